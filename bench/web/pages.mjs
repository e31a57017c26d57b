// The three pages bench/compare loads in turn. Each one resolves
// window.__times with { drawn, presented } (ms from navigation start):
// drawn once its picture is on the canvas, presented two frames later.
//   floor:   fetches both files at once, fills one rectangle
//   peer:    the peer library draws the same two files as candles and volume
//   element: <sivarta-chart> as a page author embeds it, with or without
//            README's preload lines
const head = `<!doctype html><html><head><meta charset="utf-8"><style>body{margin:0}</style>
<script>
  window.__times = new Promise((resolve) => {
    window.__drawn = () => {
      const drawn = performance.now();
      requestAnimationFrame(() => requestAnimationFrame(() => resolve({ drawn, presented: performance.now() })));
    };
  });
</script>`;

// Both files, fetched at once, never from a cache (as the element fetches
// them); `code` is a script expression.
const fetchBothOf = (code) => `Promise.all(['info', 'Date'].map((folder) =>
    fetch('/sisefile/' + folder + '/' + ${code} + '.dat', { cache: 'no-store' }).then((r) => r.arrayBuffer())))`;
const fetchBoth = (code) => fetchBothOf(`'${code}'`);

export function floorPage({ code, width, height }) {
  return `${head}</head><body><canvas id="c" width="${width}" height="${height}"></canvas>
<script>
  ${fetchBoth(code)}.then(() => {
    const context = document.getElementById('c').getContext('2d');
    context.fillStyle = '#eef5fc';
    context.fillRect(0, 0, ${width}, ${height});
    window.__drawn();
  });
</script></body></html>`;
}

// `preload`: with the lines README gives a page that shows its chart at once.
export function elementPage({ code, width, height, host, preload = false }) {
  const lines = !preload ? '' : `<link rel="preload" href="/sivarta.wasm" as="fetch" crossorigin>
<link rel="preload" href="//${host}/sisefile/info/${code}.dat" as="fetch" crossorigin>
<link rel="preload" href="//${host}/sisefile/Date/${code}.dat" as="fetch" crossorigin>
<script>self.sivartaWasm = WebAssembly.compileStreaming(fetch("/sivarta.wasm"))</script>`;
  return `${head}<script type="module" src="/sivarta.js"></script>${lines}</head><body>
<sivarta-chart id="c" width="${width}" height="${height}"><param name="strCode" value="${code}">
<param name="strChartUrl" value="${host}"><param name="nsizeMainX" value="${width}"><param name="nsizeMainY" value="${height}"></sivarta-chart>
<script>
  // readyinfo comes right after the chart's canvas was painted.
  document.getElementById('c').addEventListener('readyinfo', () => window.__drawn(), { once: true });
</script></body></html>`;
}

// The files are requested before the library's script, so they travel while
// it loads, as a page author who cares would write it. Records become candles
// and volume bars at their time of day; the info file's current price is a
// price line, the strip of the chart.
export function peerPage({ code, width, height }) {
  return `${head}<style>#tip{position:absolute;display:none;padding:2px 4px;font:12px monospace;
  background:#dffeff;border:1px solid #70a5ff;pointer-events:none;white-space:nowrap}</style>
<script>const files = ${fetchBoth(code)};</script>
<script src="/peer/lightweight-charts.standalone.production.js"></script></head><body>
<div id="c" style="position:relative;width:${width}px;height:${height}px"></div><div id="tip"></div>
<script>
  function parseDay(info, data) {
    const records = [], view = new DataView(data);
    // Only the first record's date counts: the day all times belong to.
    const day = data.byteLength >= 28 ? String(view.getInt32(0, true)) : '19700101';
    const midnight = Date.UTC(+day.slice(0, 4), +day.slice(4, 6) - 1, +day.slice(6, 8)) / 1000;
    for (let at = 0; at + 28 <= data.byteLength; at += 28) {
      const int = (k) => view.getInt32(at + 4 * k, true);
      const time = int(1);
      const seconds = midnight + Math.floor(time / 10000) * 3600 + (Math.floor(time / 100) % 100) * 60 + time % 100;
      records.push({ time: seconds, open: int(2), high: int(3), low: int(4), close: int(5), volume: int(6) });
    }
    const current = info.byteLength === 128 ? new DataView(info).getInt32(68, true) : 0;
    return { records, current };
  }
  files.then(([info, data]) => {
    const { records, current } = parseDay(info, data);
    const L = LightweightCharts;
    const chart = L.createChart(document.getElementById('c'), {
      width: ${width}, height: ${height},
      layout: { background: { type: 'solid', color: '#eef5fc' }, fontSize: 11 },
      timeScale: { timeVisible: true, secondsVisible: false },
    });
    const candles = chart.addSeries(L.CandlestickSeries, { upColor: '#e50117', downColor: '#2b4889', borderVisible: false,
                                                          wickUpColor: '#e50117', wickDownColor: '#2b4889' });
    candles.setData(records.map(({ time, open, high, low, close }) => ({ time, open, high, low, close })));
    if (current) candles.createPriceLine({ price: current, color: '#00319c', lineWidth: 1, axisLabelVisible: true });
    const volumes = chart.addSeries(L.HistogramSeries, { color: '#70a5ff', priceFormat: { type: 'volume' }, priceScaleId: 'volume' });
    chart.priceScale('volume').applyOptions({ scaleMargins: { top: 0.7, bottom: 0 } });
    volumes.setData(records.map(({ time, volume }) => ({ time, value: volume })));
    chart.timeScale().fitContent();
    // The tooltip a page adds: the record under the crosshair beside the pointer.
    const tip = document.getElementById('tip');
    chart.subscribeCrosshairMove((param) => {
      window.__crosshairMoves = (window.__crosshairMoves || 0) + 1;
      const bar = param.point && param.seriesData.get(candles);
      if (!bar) { tip.style.display = 'none'; return; }
      const volume = param.seriesData.get(volumes);
      tip.textContent = new Date(bar.time * 1000).toISOString().slice(11, 19) + ' ' + bar.open + ' ' + bar.high + ' ' +
                        bar.low + ' ' + bar.close + ' ' + (volume ? volume.value : '');
      tip.style.display = 'block';
      tip.style.left = (param.point.x + 12) + 'px';
      tip.style.top = (param.point.y + 12) + 'px';
    });
    window.__chart = chart;
    // The library draws in the next animation frame; __drawn's two frames come after it.
    window.__drawn();
  });
</script></body></html>`;
}

// Many charts on one page, 228x190 each, one code each; drawn once every one
// has fired readyinfo.
export function chartsPage({ codes, host }) {
  const charts = codes.map((code) => `<sivarta-chart width="228" height="190"><param name="strCode" value="${code}">
<param name="strChartUrl" value="${host}"></sivarta-chart>`).join('\n');
  return `${head}<script type="module" src="/sivarta.js"></script></head><body>
${charts}
<script>
  let left = ${codes.length};
  for (const chart of document.querySelectorAll('sivarta-chart'))
    chart.addEventListener('readyinfo', () => --left || window.__drawn(), { once: true });
</script></body></html>`;
}

// Their floor: every pair of files fetched at once, one rectangle filled on
// one canvas per code.
export function chartsFloorPage({ codes }) {
  return `${head}</head><body>${codes.map(() => '<canvas width="228" height="190"></canvas>').join('')}
<script>
  Promise.all(${JSON.stringify(codes)}.map((code) => ${fetchBothOf('code')})).then(() => {
    for (const canvas of document.querySelectorAll('canvas')) {
      const context = canvas.getContext('2d');
      context.fillStyle = '#eef5fc';
      context.fillRect(0, 0, 228, 190);
    }
    window.__drawn();
  });
</script></body></html>`;
}
