// Types of sivarta.js: the <sivarta-chart> element, its settings, methods and
// events. Importing the module defines the element.

/** The record under the crosshair, as crosshairmove reports it. */
export interface SivartaRecord {
  /** Position of the record in the day, 0 for the first. */
  index: number;
  /** HHMMSS, e.g. 93000 for 09:30:00. */
  time: number;
  open: number;
  high: number;
  low: number;
  close: number;
  volume: number;
}

/** detail of the error event: why a load or refresh failed or was refused. */
export interface SivartaErrorDetail {
  reason: string;
}

/** The loading limits every chart of the page obeys (milliseconds, bytes). */
export interface SivartaLimits {
  /** A file that sends no data this long fails. */
  idleMs: number;
  /** A file that takes longer than this fails. */
  fileMs: number;
  /** A load (both files) that takes longer than this fails. */
  loadMs: number;
  /** A file larger than this fails. */
  maxBytes: number;
}

/**
 * A colour: the control's colour reference 0x00BBGGRR (red in the low byte)
 * as a number or decimal string, or CSS hex "#rrggbb" when set.
 */
export type SivartaColour = number | string;

/** The settings by kind, under their own names. */
export type SivartaStringSetting = 'strURL' | 'strCode' | 'strType' | 'strChartUrl' | 'strClickAction';
export type SivartaNumberSetting = 'nsizeMainX' | 'nsizeMainY' | 'nIsToolTip' | 'nIsCurrentBar' | 'nsizeGapX' | 'nsizeGapY';
export type SivartaColourSetting =
  | 'crMainBackGround' | 'crValueBackGround' | 'crVolumeBackGround' | 'crBoxLine' | 'crValueText' | 'crVolumeText'
  | 'crTime' | 'crValueHorizonalLine' | 'crVolumeHorizonalLine' | 'crStick' | 'crHighCandle' | 'crLowCandle'
  | 'crCurrentBarBackGround' | 'crCurrentBarText' | 'crCurrentBarUpLine' | 'crCurrentBarDownLine'
  | 'crToolTipBackGround' | 'crToolTipOutLine' | 'crToolTipText';

/** The events of <sivarta-chart> beside those of every element. */
export interface SivartaChartEventMap extends Omit<HTMLElementEventMap, 'error'> {
  /** The record under the crosshair changed; detail is null when it left the chart. */
  crosshairmove: CustomEvent<SivartaRecord | null>;
  /** A refresh changed the day shown. */
  update: Event;
  /** A load failed or a day was refused; a refresh that failed keeps the day shown. */
  error: CustomEvent<SivartaErrorDetail>;
  /** Once per load, after it succeeded or failed. */
  readyinfo: Event;
}

type Listener<K extends keyof SivartaChartEventMap> = (this: SivartaChart, ev: SivartaChartEventMap[K]) => unknown;

export declare class SivartaChart extends HTMLElement {
  /** The core's loading limits; a page may tighten them. */
  static limits: SivartaLimits;
  static readonly observedAttributes: string[];

  // Every setting reads as the chart holds it; numbers and colours also take
  // strings as markup gives them; a value the chart refuses throws RangeError.
  /** Page a click opens; empty opens the built-in default page. */
  get strURL(): string;
  set strURL(value: string);
  /** Instrument code; empty means 005930. Changing it loads again. */
  get strCode(): string;
  set strCode(value: string);
  /** Chart width in pixels (228) when CSS does not size the element. */
  get nsizeMainX(): number;
  set nsizeMainX(value: number | string);
  /** Chart height in pixels (190) when CSS does not size the element. */
  get nsizeMainY(): number;
  set nsizeMainY(value: number | string);
  get crMainBackGround(): number;
  set crMainBackGround(value: SivartaColour);
  get crValueBackGround(): number;
  set crValueBackGround(value: SivartaColour);
  get crVolumeBackGround(): number;
  set crVolumeBackGround(value: SivartaColour);
  get crBoxLine(): number;
  set crBoxLine(value: SivartaColour);
  /** 1 shows the tooltip; any other value turns it off. */
  get nIsToolTip(): number;
  set nIsToolTip(value: number | string);
  /** 1 draws the current-price strip; 0 leaves no room for it. */
  get nIsCurrentBar(): number;
  set nIsCurrentBar(value: number | string);
  get nsizeGapX(): number;
  set nsizeGapX(value: number | string);
  get nsizeGapY(): number;
  set nsizeGapY(value: number | string);
  get crValueText(): number;
  set crValueText(value: SivartaColour);
  get crVolumeText(): number;
  set crVolumeText(value: SivartaColour);
  get crTime(): number;
  set crTime(value: SivartaColour);
  get crValueHorizonalLine(): number;
  set crValueHorizonalLine(value: SivartaColour);
  get crVolumeHorizonalLine(): number;
  set crVolumeHorizonalLine(value: SivartaColour);
  get crStick(): number;
  set crStick(value: SivartaColour);
  get crHighCandle(): number;
  set crHighCandle(value: SivartaColour);
  get crLowCandle(): number;
  set crLowCandle(value: SivartaColour);
  get crCurrentBarBackGround(): number;
  set crCurrentBarBackGround(value: SivartaColour);
  get crCurrentBarText(): number;
  set crCurrentBarText(value: SivartaColour);
  get crCurrentBarUpLine(): number;
  set crCurrentBarUpLine(value: SivartaColour);
  get crCurrentBarDownLine(): number;
  set crCurrentBarDownLine(value: SivartaColour);
  get crToolTipBackGround(): number;
  set crToolTipBackGround(value: SivartaColour);
  get crToolTipOutLine(): number;
  set crToolTipOutLine(value: SivartaColour);
  get crToolTipText(): number;
  set crToolTipText(value: SivartaColour);
  /** "ENG" (exactly) for English labels. */
  get strType(): string;
  set strType(value: string);
  /** Data host: host, host:port or scheme://host; empty means the page's own host. */
  get strChartUrl(): string;
  set strChartUrl(value: string);
  /** "N" (exactly) turns the click-through off. */
  get strClickAction(): string;
  set strClickAction(value: string);

  /** Seconds between refreshes (the refresh attribute, at least 1); 0 when the chart does not refresh. */
  readonly refreshSeconds: number;

  /** The instrument code of the last load; "" before one or when it failed. */
  GetStockCode(): string;
  /** The instrument name of the last load. */
  GetStockName(): string;
  /** The date, YYYYMMDD; 0 before a load. */
  GetStockDate(): number;
  /** The time of the snapshot, HHMMSS. */
  GetStockTime(): number;
  /** The current price. */
  GetStockCurrentga(): number;
  /** The change, signed. */
  GetStockChange(): number;
  /** Does nothing; kept so that old pages run unchanged. */
  StratGraph(code?: string): void;
  /** Does nothing; kept so that old pages run unchanged. */
  AboutBox(): void;

  /** Reloads the day now and resolves when done; before a day is shown it is a load, resolved at its readyinfo. */
  refresh(): Promise<void>;
  /** The chart as shown, crosshair included, as a PNG. */
  toBlob(): Promise<Blob>;

  addEventListener<K extends keyof SivartaChartEventMap>(type: K, listener: Listener<K>, options?: boolean | AddEventListenerOptions): void;
  addEventListener(type: string, listener: EventListenerOrEventListenerObject, options?: boolean | AddEventListenerOptions): void;
  removeEventListener<K extends keyof SivartaChartEventMap>(type: K, listener: Listener<K>, options?: boolean | EventListenerOptions): void;
  removeEventListener(type: string, listener: EventListenerOrEventListenerObject, options?: boolean | EventListenerOptions): void;
}

/** What markup (or JSX) may set on <sivarta-chart>: the settings, the box and refresh. */
export type SivartaChartAttributes = { [K in SivartaStringSetting]?: string } & {
  [K in SivartaNumberSetting | SivartaColourSetting]?: number | string;
} & {
  /** The element's box, pixels or a CSS length; without CSS size the chart keeps nsizeMainX x nsizeMainY. */
  width?: number | string;
  height?: number | string;
  /** Seconds between refreshes, at least 1. */
  refresh?: number | string;
  id?: string;
  class?: string;
  className?: string;
  style?: string | Record<string, string | number>;
  title?: string;
  hidden?: boolean;
  slot?: string;
  tabIndex?: number;
  children?: unknown;
  key?: string | number;
  ref?: unknown;
};

declare global {
  /** The wasm's compile, started by the page before the module runs (README's preload lines). */
  var sivartaWasm: Promise<WebAssembly.Module> | undefined;
  interface HTMLElementTagNameMap {
    'sivarta-chart': SivartaChart;
  }
  namespace JSX {
    interface IntrinsicElements {
      'sivarta-chart': SivartaChartAttributes;
    }
  }
}
