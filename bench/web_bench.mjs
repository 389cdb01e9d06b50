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
import { devices, launch, newest_worker, program_module } from "../tests/support/browsers.mjs";

const { read_line, right } = await program_module();

const [browser_name, url, presses, device = "desktop", reload] = process.argv.slice(2);
const browser = await launch(browser_name);
try {
  const page = await browser.newPage();
  await page.setViewport(devices[device]);
  // The page marks its first frame's line on its own clock, on which
  // navigation starts at 0.
  const first_frame = () => page.waitForFunction(
    () => performance.getEntriesByName("first frame")[0]?.startTime, { timeout: 60000 });
  await page.goto(url);
  await first_frame();
  if (reload) {
    await page.evaluate(newest_worker);
    if (reload !== "online")
      process.kill(Number(reload), "SIGTERM");
    await page.reload();
    await first_frame();
  }
  const first_frame_ms = await page.evaluate(
    () => performance.getEntriesByName("first frame")[0].startTime);
  // Until then the browser alone has worked: fetched and parsed the page.
  const parsed_ms = await page.evaluate(() =>
    performance.getEntriesByType("navigation")[0].domInteractive);
  // Listened to only now: the browser's console traffic would slow the load.
  const rates = [];
  let arrived = () => {};
  page.on("console", (message) => {
    const { rate } = read_line(message.text()) ?? {};
    if (rate !== undefined) {
      rates.push(rate); // Infinity, which JSON writes as null, for a span under the clock's step
      arrived();
    }
  });
  for (let i = 0; i < Number(presses); ++i) {
    const frame = new Promise((resolve) => { arrived = resolve; });
    await page.keyboard.press(right);
    await frame;
  }
  console.log(JSON.stringify({ browser: browser_name, device, first_frame_ms, parsed_ms, rates,
                               isolated: await page.evaluate(() => window.crossOriginIsolated) }));
} finally {
  await browser.close();
}
