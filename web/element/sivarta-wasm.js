// sivarta.wasm, fetched and compiled once per page. The element's bundle
// evaluates this module first, so the compile starts before anything else
// the element does.
const wasmUrl = new URL('sivarta.wasm', import.meta.url);

// A page may start the compile itself before this module arrives (README's
// inline line): window['sivarta.wasm'], a promise of [url, compiled module].
// Taken when it is this very file and compiled; anything else is ignored.
async function compileCore() {
  const early = globalThis['sivarta.wasm'];
  try {
    const [url, compiled] = early && await early;
    if (url === wasmUrl.href) return await compiled;
  } catch {
    // none, another file, or its compile failed: compiled here
  }
  const response = fetch(wasmUrl);
  try {
    return await WebAssembly.compileStreaming(response);
  } catch {
    // A server that does not say application/wasm: compile from the bytes.
    return WebAssembly.compile(await (await fetch(wasmUrl)).arrayBuffer());
  }
}

export const coreCompiled = compileCore();
