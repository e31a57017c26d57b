// sivarta.wasm, fetched and compiled once per page. Without the page's own
// compile (below) it is asked for when the element's module first waits for
// the core, after the charts' early files: a host serves a few requests at a
// time, and on a page of thirty charts asking for it first drew them later.
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
