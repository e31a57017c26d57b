// sivarta.wasm, fetched and compiled once per page. The element's bundle
// evaluates this module first, so the compile starts before anything else
// the element does.
const wasmUrl = new URL('sivarta.wasm', import.meta.url);

async function compileCore() {
  const response = fetch(wasmUrl);
  try {
    return await WebAssembly.compileStreaming(response);
  } catch {
    // A server that does not say application/wasm: compile from the bytes.
    return WebAssembly.compile(await (await fetch(wasmUrl)).arrayBuffer());
  }
}

// A page may start the compile itself while it is still parsing, before this
// module runs: `self.sivartaWasm = WebAssembly.compileStreaming(fetch(...))`
// in its head. Should that fail, the module's own compile serves.
export const coreCompiled = Promise.resolve(globalThis.sivartaWasm).then(
  (early) => (early instanceof WebAssembly.Module ? early : compileCore()), () => compileCore());
