// The page's start-up and frames in one browser: the time from navigation
// to the page's parsing and to the first frame's line, then the "FPS:"
// lines of key presses made one frame at a time. Prints one JSON object.
//
//   node bench/web_bench.mjs chromium|firefox URL PRESSES [DEVICE [RELOAD]]
//
// DEVICE is one of browsers.mjs's screens, the desktop by default. With
// RELOAD, the times are those of a second load, once the page's service
// worker is in charge: "online", or the web server's process, which is
// stopped first, so that the page comes from the worker alone. With
// "busy" in its place, it notes the longest stretch the page's thread was
// busy (busy_ms), from the document's start through the first frame, the
// presses, a drag and the wheel: the longest wait a tap could have had.
import { devices, launch, newest_worker, program_module } from "../tests/support/browsers.mjs";

const { read_line, right } = await program_module();

const [browser_name, url, presses, device = "desktop", reload] = process.argv.slice(2);
const browser = await launch(browser_name);
try {
  const page = await browser.newPage();
  await page.setViewport(devices[device]);
  const busy = reload === "busy";
  if (busy) {
    // Tasks of its own, one after the other: the gaps between them are
    // the thread's other work.
    await page.evaluateOnNewDocument(() => {
      window.busy_ms = 0;
      const channel = new MessageChannel();
      let last = performance.now();
      channel.port1.onmessage = () => {
        const now = performance.now();
        window.busy_ms = Math.max(window.busy_ms, now - last);
        last = now;
        channel.port2.postMessage(0);
      };
      channel.port2.postMessage(0);
    });
  }
  // The page marks its first frame's line on its own clock, on which
  // navigation starts at 0.
  const first_frame = () => page.waitForFunction(
    () => performance.getEntriesByName("first frame")[0]?.startTime, { timeout: 60000 });
  await page.goto(url);
  await first_frame();
  if (reload && !busy) {
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
  let busy_ms = null;
  if (busy) {
    // Skipped on the bare page, which has no canvas to drag on.
    const canvas = await page.$("#canvas");
    const box = canvas && await canvas.boundingBox();
    if (box) {
      const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
      await page.mouse.move(x, y);
      await page.mouse.down();
      for (let i = 1; i <= 20; ++i)
        await page.mouse.move(x + 3 * i, y + 2 * i);
      await page.mouse.up();
      for (let i = 0; i < 5; ++i)
        await page.mouse.wheel({ deltaY: i % 2 ? 100 : -100 });
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
    busy_ms = await page.evaluate(() => window.busy_ms);
  }
  console.log(JSON.stringify({ browser: browser_name, device, first_frame_ms, parsed_ms, rates, busy_ms,
                               isolated: await page.evaluate(() => window.crossOriginIsolated) }));
} finally {
  await browser.close();
}
