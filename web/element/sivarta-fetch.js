// Fetching a day's files for <sivarta-chart>, within the load's limits (read
// from the core: they are the control's).

// One file of a load: 2xx only, never from a cache, at most limits.maxBytes bytes
// (counted while streaming), failed when no byte arrives for idleMs or the
// whole file takes longer than fileMs.
export async function fetchDayFile(url, signal, limits) {
  const abort = new AbortController();
  const stop = (reason) => abort.abort(reason);
  const onParentAbort = () => stop(signal.reason);
  signal.addEventListener('abort', onParentAbort);
  const fileTimer = setTimeout(() => stop(new Error(`timed out after ${limits.fileMs} ms`)), limits.fileMs);
  let idleTimer = 0;
  const idle = () => {
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => stop(new Error(`no data for ${limits.idleMs} ms`)), limits.idleMs);
  };
  try {
    idle();
    const response = await fetch(url, { cache: 'no-store', signal: abort.signal, credentials: 'omit' });
    if (response.status < 200 || response.status > 299) throw new Error(`HTTP ${response.status}`);
    const declared = Number(response.headers.get('content-length'));
    if (declared > limits.maxBytes) throw new Error(`larger than ${limits.maxBytes} bytes`);
    const chunks = [];
    let total = 0;
    const reader = response.body.getReader();
    for (;;) {
      idle();
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > limits.maxBytes) {
        reader.cancel().catch(() => {});
        throw new Error(`larger than ${limits.maxBytes} bytes`);
      }
      chunks.push(value);
    }
    const bytes = new Uint8Array(total);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes;
  } catch (error) {
    throw abort.signal.aborted && abort.signal.reason instanceof Error ? abort.signal.reason : error;
  } finally {
    clearTimeout(fileTimer);
    clearTimeout(idleTimer);
    signal.removeEventListener('abort', onParentAbort);
  }
}
