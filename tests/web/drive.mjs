// Drives the viewer's page in a real browser, as a user would, one step
// at a time, and reports what the page said.
//
//   node drive.mjs chromium|firefox URL FOLDER STEP...
//
// Steps: "frame" waits for the first frame's line; "error" waits for a line
// on standard error; "key:K" presses K and waits for the line it makes
// (none for an ignored key); "shot:NAME" saves the canvas, once the frame
// is on it, as FOLDER/NAME.png; "page:PATH" saves the whole page as PATH.
// Every console message goes to standard output as "TYPE: TEXT" (log for
// the program's standard output, error for its standard error), and a page
// error as "pageerror: TEXT". At the end come "isolated: true|false",
// "problem: " with the text the page shows above the canvas, and
// "panel: LINE" for each line of its console panel. A step that waits
// longer than 20 s ends the run with status 2.
import path from "node:path";
import { launch } from "./browsers.mjs";

const [browser_name, url, folder, ...steps] = process.argv.slice(2);

const messages = [];
let waiting = null; // resolves when a message passes its test

function note(type, text) {
  messages.push({ type, text });
  process.stdout.write(`${type}: ${text}\n`);
  if (waiting && waiting.test({ type, text })) {
    waiting.resolve();
    waiting = null;
  }
}

// Waits for a message that passes the test, from message number `from` on.
function wait_for(test, what, from = 0) {
  if (messages.slice(from).some(test))
    return Promise.resolve();
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`waited 20 s for ${what}`)), 20000);
    waiting = { test, resolve: () => { clearTimeout(timer); resolve(); } };
  });
}

const frame_line = (m) => m.type === "log" && m.text.startsWith("FPS: ");
const mode_line = (m) => m.type === "log" && m.text.startsWith("view mode: ");
const error_line = (m) => m.type === "error";

const browser = await launch(browser_name);
let status = 0;
try {
  const page = await browser.newPage();
  page.on("console", (message) => note(message.type(), message.text()));
  page.on("pageerror", (error) => note("pageerror", String(error.message ?? error)));
  await page.goto(url);
  for (const step of steps) {
    const [verb, argument] = step.split(/:(.*)/s);
    if (verb === "frame") {
      await wait_for(frame_line, "the first frame");
    } else if (verb === "error") {
      await wait_for(error_line, "a line on standard error");
      // Whatever else would come has had its chance.
      await new Promise((resolve) => setTimeout(resolve, 1000));
    } else if (verb === "key") {
      const line = "2468r".includes(argument) ? frame_line : argument === "v" ? mode_line : null;
      const from = messages.length;
      // As a user types a capital: with Shift held.
      const shifted = argument !== argument.toLowerCase();
      if (shifted)
        await page.keyboard.down("Shift");
      await page.keyboard.press(argument);
      if (shifted)
        await page.keyboard.up("Shift");
      if (line)
        await wait_for(line, `the line after key ${argument}`, from);
    } else if (verb === "shot") {
      // The frame drawn in this animation frame is shown by the next.
      await page.evaluate(() => new Promise((resolve) =>
        requestAnimationFrame(() => requestAnimationFrame(resolve))));
      const canvas = await page.$("canvas");
      await canvas.screenshot({ path: path.join(folder, `${argument}.png`) });
    } else if (verb === "page") {
      await page.screenshot({ path: argument });
    } else {
      throw new Error(`unknown step ${step}`);
    }
  }
  note("isolated", String(await page.evaluate(() => window.crossOriginIsolated)));
  note("problem", await page.$eval("#problem", (element) => element.textContent));
  const panel = await page.$$eval("#console > div", (rows) => rows.map((row) => row.textContent));
  for (const line of panel)
    note("panel", line);
} catch (error) {
  process.stderr.write(`drive.mjs: ${error.message}\n`);
  status = 2;
} finally {
  await browser.close();
}
process.exit(status);
