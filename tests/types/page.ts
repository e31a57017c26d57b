// A page script as a page author writes it against the package's types:
// every declared member once, and the misuses the types must refuse.
import { SivartaChart } from 'sivarta-chart';
import type {
  SivartaChartEventMap, SivartaColour, SivartaColourSetting, SivartaErrorDetail, SivartaLimits, SivartaNumberSetting,
  SivartaRecord, SivartaStringSetting,
} from 'sivarta-chart';

const chart = document.querySelector('sivarta-chart');
if (!chart) throw new Error('no chart on the page');
const made: SivartaChart = document.createElement('sivarta-chart');
const isChart: boolean = made instanceof SivartaChart;

// Settings: strings, numbers, colours (decimal reference, string or #rrggbb).
chart.strURL = 'https://www.example.com/quote';
chart.strCode = '000660';
chart.strType = 'ENG';
chart.strChartUrl = '';
chart.strClickAction = 'N';
chart.nsizeMainX = 400;
chart.nsizeMainY = '300';
chart.nIsToolTip = 0;
chart.nIsCurrentBar = 1;
chart.nsizeGapX = 5;
chart.nsizeGapY = 4;
const red: SivartaColour = '#e50117';
chart.crHighCandle = red;
chart.crLowCandle = 0x89482b;
chart.crMainBackGround = '16577006';
chart.crValueBackGround = '#fffff7';
chart.crVolumeBackGround = '#fffff7';
chart.crBoxLine = 0xff6363;
chart.crValueText = 0;
chart.crVolumeText = '#9400ff';
chart.crTime = 0;
chart.crValueHorizonalLine = 0xd6d6d6;
chart.crVolumeHorizonalLine = 0xd6d6d6;
chart.crStick = 0xffa570;
chart.crCurrentBarBackGround = 0xfffedf;
chart.crCurrentBarText = 0x9c3100;
chart.crCurrentBarUpLine = 0xe4fffe;
chart.crCurrentBarDownLine = 0xd0cfb2;
chart.crToolTipBackGround = 0xfffedf;
chart.crToolTipOutLine = 0xffa570;
chart.crToolTipText = 0;
// Reads give what the chart holds: colours as their reference.
const settings: [string, number, number, string, number, number, number] = [
  chart.strCode, chart.nsizeMainX, chart.crHighCandle, chart.strChartUrl, chart.nsizeMainY, chart.nIsToolTip, chart.nIsCurrentBar,
];
const more: (string | number)[] = [
  chart.strURL, chart.strType, chart.strClickAction, chart.nsizeGapX, chart.nsizeGapY, chart.crLowCandle, chart.crMainBackGround,
  chart.crValueBackGround, chart.crVolumeBackGround, chart.crBoxLine, chart.crValueText, chart.crVolumeText, chart.crTime,
  chart.crValueHorizonalLine, chart.crVolumeHorizonalLine, chart.crStick, chart.crCurrentBarBackGround, chart.crCurrentBarText,
  chart.crCurrentBarUpLine, chart.crCurrentBarDownLine, chart.crToolTipBackGround, chart.crToolTipOutLine, chart.crToolTipText,
];
// Settings by name, as a settings panel sets them.
const candles: SivartaColourSetting[] = ['crHighCandle', 'crLowCandle'];
for (const name of candles) chart[name] = '#000000';
const sizes: SivartaNumberSetting[] = ['nsizeMainX', 'nsizeMainY'];
for (const name of sizes) chart[name] = '300';
const texts: SivartaStringSetting[] = ['strCode', 'strType'];
const textValues: string[] = texts.map((name) => chart[name]);
// @ts-expect-error a setting read is what the chart holds: strCode is a string
const wrongRead: number = chart.strCode;
// @ts-expect-error a setting takes a value, not an object
chart.crHighCandle = { r: 229, g: 1, b: 23 };

// The control's methods, the page's conveniences, the limits.
const info: [string, string, number, number, number, number] = [
  chart.GetStockCode(), chart.GetStockName(), chart.GetStockDate(), chart.GetStockTime(),
  chart.GetStockCurrentga(), chart.GetStockChange(),
];
chart.StratGraph('005930');
chart.AboutBox();
const seconds: number = chart.refreshSeconds;
const limits: SivartaLimits = SivartaChart.limits;
SivartaChart.limits.loadMs = Math.min(limits.loadMs, 20000);
const watched: string[] = SivartaChart.observedAttributes;
// @ts-expect-error refreshSeconds follows the refresh attribute, it is not set
chart.refreshSeconds = 5;

async function save(): Promise<Blob> {
  await chart!.refresh();
  return chart!.toBlob();
}

// Events: each with its own detail, and other events as on any element.
const onMove = (e: SivartaChartEventMap['crosshairmove']) => {
  const record: SivartaRecord | null = e.detail;
  if (record) console.log(record.index, record.time, record.open, record.high, record.low, record.close, record.volume);
};
chart.addEventListener('crosshairmove', onMove);
chart.removeEventListener('crosshairmove', onMove);
const onAny = (e: Event) => console.log(e.type);
chart.addEventListener('custom-thing', onAny);
chart.removeEventListener('custom-thing', onAny);
chart.addEventListener('crosshairmove', (e) => {
  // @ts-expect-error the detail is null when the crosshair leaves
  console.log(e.detail.close);
});
chart.addEventListener('error', (e) => {
  const detail: SivartaErrorDetail = e.detail;
  console.warn(detail.reason);
});
chart.addEventListener('update', function (e) {
  const self: SivartaChart = this;
  console.log(e.type, self.GetStockCurrentga());
});
chart.addEventListener('readyinfo', () => { document.title = chart.GetStockName(); }, { once: true });
chart.addEventListener('keydown', (e) => console.log(e.key));
// @ts-expect-error readyinfo carries no detail
chart.addEventListener('readyinfo', (e) => console.log(e.detail));

// README's line that starts the wasm's compile early.
self.sivartaWasm = WebAssembly.compileStreaming(fetch('sivarta.wasm'));
// @ts-expect-error the compile is a promise of a module
self.sivartaWasm = 'sivarta.wasm';

export { isChart, settings, more, textValues, wrongRead, info, seconds, watched, save };
