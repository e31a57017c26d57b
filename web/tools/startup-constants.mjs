// Writes the constants the element needs before sivarta.wasm is running (the
// load's URL layout, the code rule, the defaults, the limits) as an ES module
// that the element's bundle includes. They are read from the built module
// itself, so the element and the core keep one definition.
//   node startup-constants.mjs SIVARTA.WASM OUT.js
import { readFileSync, writeFileSync } from 'node:fs';
import { describe } from '../element/sivarta-core.js';

const [wasmPath, outPath] = process.argv.slice(2);
const { c } = describe(new WebAssembly.Module(readFileSync(wasmPath)));
const names = ['limits', 'infoFolder', 'dataFolder', 'dayFileSuffix', 'maxCodeLength', 'defaultCode', 'defaultHost', 'fontPx', 'chartSize'];
const startup = Object.fromEntries(names.map((name) => {
  if (c[name] === undefined) throw new Error(`${wasmPath} exports no ${name}`);
  return [name, c[name]];
}));
writeFileSync(outPath, `// Written by web/tools/startup-constants.mjs from sivarta.wasm.\nexport default ${JSON.stringify(startup)};\n`);
