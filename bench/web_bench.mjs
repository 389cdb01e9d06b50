// The page's start-up and frames in one browser: the time from navigation
// to the page's parsing and to the first frame's line, then the "FPS:"
// lines of key presses made one frame at a time. Prints one JSON object.
//
//   node bench/web_bench.mjs chromium|firefox URL PRESSES [DEVICE [RELOAD]]
//
// DEVICE is one of browsers.mjs's screens, the desktop by default. With
// RELOAD, the times are those of a second load, once the page's service
// worker is in charge: "online", or the web server's process, which is
// stopped first, so that the page comes from the worker alone.
import { devices, launch, newest_worker } from "../tests/support/browsers.mjs";

const [browser_name, url, presses, device = "desktop", reload] = process.argv.slice(2);
const browser = await launch(browser_name);
try {
  const page = await browser.newPage();
  await page.setViewport(devices[device]);
  // The page's clock at its first frame's line, taken from outside it:
  // navigation starts at 0 on that clock.
  await page.evaluateOnNewDocument(() => {
    const log = console.log;
    console.log = (...parts) => {
      if (window.first_frame_at === undefined && String(parts[0]).startsWith("FPS: "))
        window.first_frame_at = performance.now();
      log(...parts);
    };
  });
  await page.goto(url);
  await page.waitForFunction(() => window.first_frame_at !== undefined, { timeout: 60000 });
  if (reload) {
    await page.evaluate(newest_worker);
    if (reload !== "online")
      process.kill(Number(reload), "SIGTERM");
    await page.reload();
    await page.waitForFunction(() => window.first_frame_at !== undefined, { timeout: 60000 });
  }
  const first_frame_ms = await page.evaluate(() => window.first_frame_at);
  // Until then the browser alone has worked: fetched and parsed the page.
  const parsed_ms = await page.evaluate(() =>
    performance.getEntriesByType("navigation")[0].domInteractive);
  // Listened to only now: the browser's console traffic would slow the load.
  const rates = [];
  let arrived = () => {};
  page.on("console", (message) => {
    if (message.text().startsWith("FPS: ")) {
      rates.push(message.text().slice(5)); // as printed, "inf" included
      arrived();
    }
  });
  for (let i = 0; i < Number(presses); ++i) {
    const frame = new Promise((resolve) => { arrived = resolve; });
    await page.keyboard.press("6");
    await frame;
  }
  console.log(JSON.stringify({ browser: browser_name, device, first_frame_ms, parsed_ms, rates,
                               isolated: await page.evaluate(() => window.crossOriginIsolated) }));
} finally {
  await browser.close();
}
