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

export const coreCompiled = compileCore();
