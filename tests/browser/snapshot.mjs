// The web demo's snapshot: Chromium opens the demo page, waits for readyinfo,
// hovers the middle of the chart until the tooltip shows and saves the page.
//   node snapshot.mjs PAGE_URL OUT.png
import { launchBrowser } from './harness.mjs';

const [url, out] = process.argv.slice(2);
if (!url || !out) {
  console.error('usage: node snapshot.mjs PAGE_URL OUT.png');
  process.exit(2);
}
const browser = await launchBrowser();
try {
  const page = await browser.newPage({ viewport: { width: 640, height: 400 }, deviceScaleFactor: 1 });
  await page.goto(url);
  await page.waitForSelector('body[data-ready]', { timeout: 20000 });
  const box = await page.locator('sivarta-chart').boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.waitForTimeout(300);
  await page.screenshot({ path: out });
  const info = await page.$eval('sivarta-chart', (c) => [['code', c.GetStockCode()], ['name', c.GetStockName()], ['date', c.GetStockDate()],
    ['time', c.GetStockTime()], ['current', c.GetStockCurrentga()], ['change', c.GetStockChange()]]);
  for (const [key, value] of info) console.log(`${key}=${value}`);
} finally {
  await browser.close();
}
