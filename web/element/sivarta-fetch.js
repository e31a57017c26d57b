// Fetching a day's files for <sivarta-chart>, within the load's limits (read
// from the core: they are the control's).

// The two URLs the core asks for a code on a host (`layout`: the core's
// constants), worked out before the core runs: null where the core refuses to
// load. The core still decides; the element uses files fetched early only
// when the core asks for the same two.
export function dayUrls(layout, code, host, https) {
  const chosen = code || layout.defaultCode;
  // eslint-disable-next-line no-control-regex
  if (chosen.length > layout.maxCodeLength || !/^[0-9A-Za-z]+$/.test(chosen) || /[\x00- \x7f]/.test(host)) return null;
  const base = (/^https?:\/\//i.test(host) ? host : `${https ? 'https' : 'http'}://${host}`).replace(/\/+$/, '');
  return [layout.infoFolder, layout.dataFolder].map((folder) => `${base}/${folder}${chosen}${layout.dayFileSuffix}`);
}

// Both files of a day at once, each as fetchDayFile gives it or {failure}. A
// failed info file ends the load as the control's does: the data file is
// dropped unread. `shown` holds only the validators of the day shown, not
// its bytes: when the host changed one file of it, the other is fetched
// again whole, so a refresh gets both files or two 304s.
export async function fetchDay(urls, signal, limits, shown = null, fresh = false) {
  const abort = new AbortController();
  signal.addEventListener('abort', () => abort.abort(signal.reason), { once: true });
  const get = (i, again) => fetchDayFile(urls[i], abort.signal, limits, again ? null : shown?.[i], fresh || again).catch(
    (error) => ({ failure: `${urls[i]}: ${error?.message ?? error}` }));
  const arrivals = urls.map((url, i) => get(i, false));
  const day = [await arrivals[0], null];
  if (day[0].failure) {
    abort.abort(new Error('the info file failed'));
    return day;
  }
  day[1] = await arrivals[1];
  // Beside a failed file a kept one fails too: the refresh says the failure.
  const kept = day.findIndex((f) => f.notModified);
  const other = day[1 - kept];
  if (kept >= 0 && !other.notModified) day[kept] = other.failure ? other : await get(kept, true);
  return day;
}

// Custom request headers make a cross-origin request need a preflight that a
// plain data host does not answer: there the browser's own cache revalidates
// (cache: 'no-cache'), which costs the same 304 on the wire.
const sameOrigin = (url) => new URL(url, location.href).origin === location.origin;

// One file of a load: 2xx only, never unchecked from a cache, at most
// limits.maxBytes bytes (counted while streaming), failed when no byte arrives
// for idleMs or the whole file takes longer than fileMs. With the validators
// of the last answer ({etag, lastModified}) the request is conditional and a
// 304 gives {notModified: true}; otherwise {bytes, etag, lastModified}. A
// `fresh` request skips every validator, the browser cache's too: after the
// host said the file changed, a validator that counts whole seconds (nginx's)
// could still match and answer 304 for the new file.
export async function fetchDayFile(url, signal, limits, validators = null, fresh = false) {
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
    const headers = {};
    if (validators && !fresh && sameOrigin(url)) {
      if (validators.etag) headers['If-None-Match'] = validators.etag;
      if (validators.lastModified) headers['If-Modified-Since'] = validators.lastModified;
    }
    // Credentials as a preload line with crossorigin asks (cookies only for
    // the page's own host), so a page's preloaded file is the one used.
    const response = await fetch(url, { cache: fresh ? 'reload' : 'no-cache', headers, signal: abort.signal, credentials: 'same-origin' });
    if (response.status === 304 && Object.keys(headers).length) return { notModified: true };
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
    return { bytes, etag: response.headers.get('etag'), lastModified: response.headers.get('last-modified') };
  } catch (error) {
    throw abort.signal.aborted && abort.signal.reason instanceof Error ? abort.signal.reason : error;
  } finally {
    clearTimeout(fileTimer);
    clearTimeout(idleTimer);
    signal.removeEventListener('abort', onParentAbort);
  }
}

// The data host's change feed, GET /events?code=CODE (Server-Sent Events): calls
// onChange for each change of the code's files and onState(true/false) as the
// feed opens and drops. A dropped feed reconnects after 1 s, doubling up to a
// minute; close() ends it.
export function followChanges(infoUrl, code, onChange, onState) {
  const url = new URL(`/events?code=${encodeURIComponent(code)}`, infoUrl);
  let source = null;
  let delay = 1000;
  let timer = 0;
  let closed = false;
  const open = () => {
    source = new EventSource(url);
    source.onopen = () => { delay = 1000; onState(true); };
    source.addEventListener('change', (e) => { if (e.data.trim() === code) onChange(); });
    source.onerror = () => {
      source.close();
      onState(false);
      if (!closed) timer = setTimeout(open, delay);
      delay = Math.min(delay * 2, 60000);
    };
  };
  open();
  return { close() { closed = true; clearTimeout(timer); source?.close(); } };
}
