// <sivarta-chart> in JSX (any JSX runtime): the settings, the box and refresh typed.
import type { SivartaChartAttributes } from 'sivarta-chart';

const shared: SivartaChartAttributes = { strChartUrl: '', crHighCandle: '#e50117' };

export const quote = (
  <sivarta-chart id="chart" class="quote" strCode="005930" strType="ENG" refresh={5} style="width:100%" nsizeMainY={190}
    {...shared} />
);
// @ts-expect-error strCode is a string
export const wrong = <sivarta-chart strCode={5930} />;
