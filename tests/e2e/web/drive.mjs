// Drives the viewer's page in a real browser, as a user would, one step
// at a time, and reports what the page said as one JSON document on
// standard output.
//
//   node drive.mjs --browser chromium|firefox|firefox-no-workers --url URL
//                  --folder FOLDER
//                  [--device desktop|touch|phone|landscape|small]
//                  [--server PID] STEP...
//
// Devices: as browsers.mjs has them.
// A step is ACTION, or NAME=ACTION: a named step's results are kept under
// its name: the program's lines from its start to the next named step's
// (the unnamed ones between, such as waits, are its own), and the frame or
// fact its action notes.
// Actions:
//   frame              waits for the first frame's line
//   error              waits for a line on standard error
//   key:K              types K, and waits for the line it makes (none for
//                      a key the program ignores)
//   tap:K, click:K     taps (touch) or clicks (mouse) the page's button K,
//                      and waits for its line
//   ~key:K, ~tap:K, ~click:K
//                      the same, without waiting for a line
//   hold:HOW:K:MS      holds button K by touch or mouse for MS ms; with a
//                      fifth part "leave", then slides off it onto the
//                      canvas and lets go a second later
//   drag:HOW:X,Y;...   drags on the canvas from its centre through the
//                      points given relative to it, one move event each: by
//                      touch, or by mouse ("mouse", or "right" with its
//                      right button)
//   fingers:X,Y,S;...  two fingers on the canvas, 120 px apart across its
//                      centre, move together by X,Y as their distance grows
//                      by S, one touch event carrying both for each point;
//                      then the right one lifts, the left one moves 5 px
//                      on and lifts (Chromium)
//   wheel:DY, wheel:DY:ctrl
//                      turns the mouse wheel over the canvas by DY px, with
//                      Ctrl held for the second
//   screen:DEVICE      shows the page on another device's screen from here
//                      on
//   fullscreen, leave  clicks the button that makes the viewer fill the
//                      screen, or the one that brings it back; waits for
//                      the change, and for the canvas's new buffer
//   lines:N            waits until the program has printed N lines in all
//   settle             waits until the program has been quiet for 600 ms
//   shot               saves the canvas, once the frame is on it, as
//                      FOLDER/NAME.png (its "frame"), one pixel a device
//                      pixel, which is one a pixel of its drawing buffer
//   page:PATH          saves what the viewport shows as PATH
//   layout             notes where everything is on the page
//   axe                notes what axe-core finds wanting in the page's
//                      accessibility: the rules it breaks, and where
//   heap               notes the JavaScript heap after a garbage
//                      collection (Chromium)
//   choose:FILE, drop:FILE, button:ID
//                      gives the page a picture through its file control, or
//                      by dropping it on the page (Chromium), or clicks the
//                      page's control of that id; waits for the page's line
//                      and, where it shows a picture, the new run's first
//                      frame
//   address            notes the page's address
//   away:PATH, back    goes to another page of the same server, and back
//                      (Chromium); notes whether the page came back from
//                      the back/forward cache ("restored"), and waits for
//                      its first frame where it was loaded afresh
//   worker             waits until the service worker of the newest build
//                      is in charge, and notes the names of its caches
//   installable        notes why Chromium would not install the page, by
//                      id
//   copy:FROM:TO       copies the folder FROM over TO, as a new build would
//   offline            stops the web server, whose process is PID
//   reload             reloads the page, and waits for its first frame
//   lose, lose:blocked the viewer's WebGL context is lost (WEBGL_lose_context),
//                      on the page's thread or in its worker, wherever the
//                      program draws; waits for the page's line on it and,
//                      unless no new context is to be had ("blocked") until
//                      restore, for the frame that brings the view back
//   restore            new contexts can be had again, and the lost one is
//                      given back; waits for the frame that brings the view
//                      back
// The document: "messages", each console message in turn ({type, text}:
// log for the program's standard output, error for its standard error,
// pageerror for an error of the page, info for the page's own lines),
// "steps", the named steps' results, "isolated", "workers" (whether the
// page may have a service worker), "problem" (the text above the canvas),
// "panel" (the lines of the console panel), "caption" (the chart's),
// "page_thread" (the WebGL contexts made, WebGL calls, and WebAssembly
// modules compiled or instances made on the page's own thread, from the
// document's start) and "caption_of_lines" (the one the page's chart.js gives the rates of the
// latest frame lines, as many as the chart has columns). Each breach of the
// page's Content-Security-Policy is a console message of type "violation".
// A step that waits longer than 20 s ends the run with status 2.
import fs from "node:fs";
import path from "node:path";
import { parseArgs } from "node:util";
import { axe_source, devices, launch, newest_worker, page_module, program_module } from "../../support/browsers.mjs";

const { values: options, positionals: steps } = parseArgs({
  options: { browser: { type: "string" }, url: { type: "string" }, folder: { type: "string" },
             device: { type: "string", default: "desktop" }, server: { type: "string" } },
  allowPositionals: true,
});
const { next_mode, program_keys, read_line } = await program_module();
const { caption_of, issue_time } = await page_module("chart");

const result = { messages: [], steps: {} };
let waiting = null; // resolves when a message passes its test
let muted = false;
let named = null; // the results of the latest named step

function note(type, text) {
  if (muted)
    return;
  result.messages.push({ type, text });
  if (named && type === "log")
    named.lines.push(text);
  if (waiting && waiting.test()) {
    waiting.resolve();
    waiting = null;
  }
}

// Waits until the test passes, as messages arrive.
function wait_until(test, what) {
  if (test())
    return Promise.resolve();
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`waited 20 s for ${what}`)), 20000);
    waiting = { test, resolve: () => { clearTimeout(timer); resolve(); } };
  });
}

const program_lines = () => result.messages.filter((m) => m.type === "log").length;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// The points of a step, "X,Y;X,Y;...", as lists of numbers.
const points = (list) => (list ? list.split(";").map((point) => point.split(",").map(Number)) : []);
// Waits for a line of the program's of the kind ("rate" for a frame's
// line, "mode" for a view mode's), from message number `from` on.
function wait_for(kind, from, what) {
  return wait_until(() => result.messages.slice(from).some(
    (m) => m.type === "log" && read_line(m.text)?.[kind] !== undefined), what);
}
// Waits for the line the key makes: a view mode's, a frame's, or none for
// a key the program ignores.
function wait_for_line(key, from) {
  return !program_keys.includes(key) ? Promise.resolve()
    : wait_for(key === next_mode ? "mode" : "rate", from, `the line after ${key}`);
}

let drawing_worker = null; // the worker whose context the lose step lost
const browser = await launch(options.browser);
let status = 0;
try {
  const page = await browser.newPage();
  if (!(options.device in devices))
    throw new Error(`unknown device ${options.device}`);
  await page.setViewport(devices[options.device]);
  page.on("console", (message) => {
    const text = message.text();
    note(text.startsWith("policy violation: ") ? "violation" : message.type(), text);
  });
  await page.evaluateOnNewDocument(() => {
    window.addEventListener("securitypolicyviolation",
      (event) => console.error(`policy violation: ${event.violatedDirective} ${event.blockedURI}`),
      true);
    window.addEventListener("pageshow", (event) => { window.restored = event.persisted; });
    // What the page's own thread does with WebGL and WebAssembly.
    const use = window.page_thread = { contexts: 0, calls: 0, wasm: 0 };
    const count = (object, name, what) => {
      const original = object[name];
      object[name] = function (...rest) {
        use[what]++;
        return new.target ? Reflect.construct(original, rest, new.target) : original.apply(this, rest);
      };
    };
    const get_context = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
      const context = get_context.call(this, type, ...rest);
      use.contexts += context !== null && type.startsWith("webgl");
      return context;
    };
    for (const kind of [WebGLRenderingContext, WebGL2RenderingContext])
      for (const [name, { value }] of Object.entries(Object.getOwnPropertyDescriptors(kind.prototype)))
        if (typeof value === "function" && name !== "constructor")
          count(kind.prototype, name, "calls");
    for (const name of ["compile", "compileStreaming", "instantiate", "instantiateStreaming",
                        "Module", "Instance"])
      count(WebAssembly, name, "wasm");
  });
  // Where the program draws in a worker: the worker's WebGL contexts, so
  // that the lose step can lose one, and no new one while it blocks them.
  page.on("workercreated", (worker) => worker.evaluate(() => {
    self.contexts = [];
    const get_context = OffscreenCanvas.prototype.getContext;
    OffscreenCanvas.prototype.getContext = function (type, ...rest) {
      if (self.blocked && type.startsWith("webgl"))
        return null;
      const context = get_context.call(this, type, ...rest);
      if (context !== null && type.startsWith("webgl"))
        self.contexts.push(context);
      return context;
    };
  }).catch(() => {}));
  page.on("pageerror", (error) => note("pageerror", String(error.message ?? error)));
  await page.goto(options.url);

  const animation_frames = (count) => page.evaluate((count) => new Promise((resolve) => {
    const next = (left) => (left === 0 ? resolve() : requestAnimationFrame(() => next(left - 1)));
    next(count);
  }), count);
  // The centre of the canvas, or of the button of a key, in view.
  const centre = (what) => page.evaluate((what) => {
    const element = what === "canvas" ? document.getElementById("canvas")
      : [...document.querySelectorAll("#keys button")].find((b) => b.textContent === what);
    element.scrollIntoView({ block: "nearest" });
    const r = element.getBoundingClientRect();
    return [r.x + r.width / 2, r.y + r.height / 2];
  }, what);
  const pointer = {
    async down(how, [x, y]) {
      if (how === "touch")
        return page.touchscreen.touchStart(x, y);
      const button = how === "right" ? "right" : "left";
      await page.mouse.move(x, y);
      await page.mouse.down({ button });
      return { move: (x, y) => page.mouse.move(x, y), end: () => page.mouse.up({ button }) };
    },
  };

  for (const step of steps) {
    const [, name, action] = /^(?:([^=:]+)=)?(.*)$/s.exec(step);
    if (name !== undefined) {
      if (name in result.steps)
        throw new Error(`two steps named ${name}`);
      named = result.steps[name] = { lines: [] };
    }
    // The frame or fact of a named step, kept under its name.
    const keep = (what, value) => {
      if (name !== undefined)
        named[what] = value;
    };
    const waits = !action.startsWith("~");
    const [verb, ...parts] = action.replace(/^~/, "").split(":");
    const argument = parts.join(":");
    const from = result.messages.length;
    if (verb === "frame") {
      await wait_for("rate", 0, "the first frame");
    } else if (verb === "error") {
      await wait_until(() => result.messages.some((m) => m.type === "error"), "standard error");
      // Whatever else would come has had its chance.
      await sleep(1000);
    } else if (verb === "key") {
      // As a user types a capital: with Shift held.
      const shifted = argument !== argument.toLowerCase();
      if (shifted)
        await page.keyboard.down("Shift");
      await page.keyboard.press(argument);
      if (shifted)
        await page.keyboard.up("Shift");
      if (waits)
        await wait_for_line(argument, from);
    } else if (verb === "tap" || verb === "click") {
      const [x, y] = await centre(argument);
      if (verb === "tap")
        await page.touchscreen.tap(x, y);
      else
        await page.mouse.click(x, y);
      if (waits)
        await wait_for_line(argument, from);
    } else if (verb === "hold") {
      const [how, key, ms, leave] = parts;
      const touch = await pointer.down(how, await centre(key));
      await sleep(Number(ms));
      if (leave === "leave") {
        await touch.move(...await centre("canvas"));
        await sleep(1000);
      }
      await touch.end();
    } else if (verb === "drag") {
      const [how, moves] = parts;
      const [x, y] = await centre("canvas");
      const touch = await pointer.down(how, [x, y]);
      for (const [dx, dy] of points(moves)) {
        await touch.move(x + dx, y + dy);
        await animation_frames(1);
      }
      await touch.end();
    } else if (verb === "fingers") {
      const [x, y] = await centre("canvas");
      const session = await page.createCDPSession();
      const touch = (type, fingers) => session.send("Input.dispatchTouchEvent", {
        type, touchPoints: fingers.map(([fx, fy], id) => ({ x: fx, y: fy, id })) });
      await touch("touchStart", [[x - 60, y], [x + 60, y]]);
      let left = [x - 60, y];
      for (const [dx, dy, spread] of points(argument)) {
        left = [x - 60 - spread / 2 + dx, y + dy];
        await touch("touchMove", [left, [x + 60 + spread / 2 + dx, y + dy]]);
        await animation_frames(1);
      }
      // The right finger is gone from the next event: it has lifted.
      await touch("touchMove", [[left[0] + 5, left[1]]]);
      await animation_frames(1);
      await touch("touchEnd", []);
      await session.detach();
    } else if (verb === "wheel") {
      const [delta, ctrl] = parts;
      await page.mouse.move(...await centre("canvas"));
      if (ctrl)
        await page.keyboard.down("Control");
      await page.mouse.wheel({ deltaY: Number(delta) });
      if (ctrl)
        await page.keyboard.up("Control");
    } else if (verb === "screen") {
      await page.setViewport(devices[argument]);
    } else if (verb === "fullscreen" || verb === "leave") {
      const full = verb === "fullscreen";
      await page.click(full ? "#full" : "#leave");
      await page.waitForFunction((full) => (document.fullscreenElement !== null) === full,
                                 { timeout: 20000 }, full);
      // The window may take or give back the screen in steps of its own
      // (Firefox): on until the canvas has kept its size for a few frames
      // and has the drawing buffer that size needs.
      await page.waitForFunction(() => new Promise((resolve) => {
        const canvas = document.getElementById("canvas");
        const side = () => canvas.getBoundingClientRect().width;
        const before = side();
        const later = (frames, then) => (frames ? requestAnimationFrame(() => later(frames - 1, then))
                                                : then());
        later(3, () => resolve(side() === before &&
                               canvas.width === Math.min(4096, Math.round(before * devicePixelRatio))));
      }), { timeout: 20000, polling: 100 });
    } else if (verb === "lines") {
      await wait_until(() => program_lines() >= Number(argument), `${argument} lines in all`);
    } else if (verb === "settle") {
      const give_up = Date.now() + 20000;
      for (let count = -1; count !== program_lines(); await sleep(600)) {
        if (Date.now() > give_up)
          throw new Error("waited 20 s for the program to settle");
        count = program_lines();
      }
    } else if (verb === "shot") {
      // The canvas in view at its size, which the page draws at one pixel
      // of its buffer a device pixel (another size would change its
      // buffer), above what lies over it.
      const box = await page.$eval("#canvas", (canvas) => {
        Object.assign(canvas.style, { position: "relative", zIndex: 2 });
        canvas.scrollIntoView({ block: "nearest" });
        const r = canvas.getBoundingClientRect();
        return { x: r.x + scrollX, y: r.y + scrollY, width: r.width, height: r.height };
      });
      // The frame drawn in this animation frame is shown by the next.
      await animation_frames(2);
      // Within the viewport: a capture beyond it would resize the page.
      if (name === undefined)
        throw new Error("a shot needs a name");
      keep("frame", path.join(options.folder, `${name}.png`));
      await page.screenshot({ path: named.frame, clip: box, captureBeyondViewport: false });
      await page.$eval("#canvas", (canvas) => canvas.removeAttribute("style"));
    } else if (verb === "page") {
      await page.screenshot({ path: argument });
    } else if (verb === "layout") {
      keep("layout", await page.evaluate(() => {
        const box = (element) => {
          const r = element.getBoundingClientRect();
          return { x: r.x + scrollX, y: r.y + scrollY, width: r.width, height: r.height };
        };
        const root = document.documentElement;
        return {
          viewport: { width: innerWidth, height: innerHeight },
          scroll_width: root.scrollWidth, client_width: root.clientWidth,
          canvas: { ...box(document.getElementById("canvas")),
                    buffer: [document.getElementById("canvas").width,
                             document.getElementById("canvas").height] },
          console: box(document.getElementById("console")),
          buttons: [...document.querySelectorAll("#keys button")].map((b) => ({
            ...box(b), text: b.textContent, name: b.getAttribute("aria-label") })),
          focused: document.activeElement?.id ?? "",
          touch_action: [...document.querySelectorAll("#canvas, #keys button")].map(
            (element) => getComputedStyle(element).touchAction),
        };
      }));
    } else if (verb === "axe") {
      await page.evaluate(axe_source());
      keep("accessibility", await page.evaluate(async () =>
        (await axe.run(document, { resultTypes: ["violations"] })).violations.map(
          (rule) => `${rule.id}: ${rule.nodes.map((node) => node.target.join(" ")).join(", ")}`)));
    } else if (verb === "heap") {
      const session = await page.createCDPSession();
      await session.send("HeapProfiler.collectGarbage");
      keep("heap", (await session.send("Runtime.getHeapUsage")).usedSize);
      await session.detach();
    } else if (verb === "choose" || verb === "drop" || verb === "button") {
      if (verb === "choose") {
        await (await page.$("#picture")).uploadFile(argument);
      } else if (verb === "button") {
        await page.click(`#${argument}`);
      } else {
        const bytes = fs.readFileSync(argument).toString("base64");
        await page.evaluate((name, base64) => {
          const data = new DataTransfer();
          data.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name));
          document.body.dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true,
                                                              cancelable: true }));
        }, path.basename(argument), bytes);
      }
      const said = () => result.messages.slice(from).find((m) => m.type === "info");
      await wait_until(() => said(), `the page's line on ${argument}`);
      if (said().text.startsWith("page: now showing "))
        await wait_for("rate", result.messages.indexOf(said()), "the new run's first frame");
    } else if (verb === "address") {
      keep("address", await page.evaluate(() => location.href));
    } else if (verb === "away") {
      await page.goto(new URL(argument, options.url).href);
    } else if (verb === "back") {
      // A page back from the back/forward cache has its console's messages
      // sent again: they are not new.
      muted = true;
      await page.goBack();
      const restored = await page.evaluate(() => window.restored);
      keep("restored", restored);
      muted = false;
      if (!restored)
        await wait_for("rate", from, "the first frame after coming back");
    } else if (verb === "worker") {
      keep("caches", await page.evaluate(newest_worker));
    } else if (verb === "installable") {
      const session = await page.createCDPSession();
      keep("installability", (await session.send("Page.getInstallabilityErrors"))
        .installabilityErrors.map((error) => error.errorId));
      await session.detach();
    } else if (verb === "copy") {
      fs.cpSync(parts[0], parts[1], { recursive: true });
    } else if (verb === "offline") {
      process.kill(Number(options.server), "SIGTERM");
      await sleep(300);
    } else if (verb === "reload") {
      await page.reload();
      await wait_for("rate", from, "the reloaded page's first frame");
    } else if (verb === "lose") {
      const blocked = argument === "blocked";
      // The page's canvas, once handed over to the worker, has no context
      // of the page's.
      const handed_over = await page.$eval("#canvas", (canvas) => {
        try {
          canvas.getContext("webgl");
          return false;
        } catch {
          return true;
        }
      });
      drawing_worker = handed_over
        ? page.workers().find((worker) => worker.url().endsWith("program_worker.js")) : null;
      if (drawing_worker) {
        await drawing_worker.evaluate((blocked) => {
          self.lost = self.contexts.at(-1).getExtension("WEBGL_lose_context");
          self.blocked = blocked;
          self.lost.loseContext();
        }, blocked);
      } else {
        await page.evaluate((blocked) => {
          window.lost = document.getElementById("canvas").getContext("webgl")
            .getExtension("WEBGL_lose_context");
          if (blocked) {
            // No page can have a context, as when the GPU is gone.
            const get_context = HTMLCanvasElement.prototype.getContext;
            window.unblock = () => { HTMLCanvasElement.prototype.getContext = get_context; };
            HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
              return type.startsWith("webgl") ? null : get_context.call(this, type, ...rest);
            };
          }
          window.lost.loseContext();
        }, blocked);
      }
      await wait_until(() => result.messages.slice(from).some(
        (m) => m.type === "info" && m.text.startsWith("page: the WebGL context was lost")),
        "the page's line on the lost context");
      if (!blocked)
        await wait_for("rate", from, "the frame after the lost context");
    } else if (verb === "restore") {
      await (drawing_worker ?? page).evaluate(() => {
        self.blocked = false;
        self.unblock?.();
        self.lost.restoreContext();
      });
      await wait_for("rate", from, "the frame after the context came back");
    } else {
      throw new Error(`unknown step ${step}`);
    }
  }
  result.page_thread = await page.evaluate(() => window.page_thread);
  result.isolated = await page.evaluate(() => window.crossOriginIsolated);
  result.workers = await page.evaluate(() => "serviceWorker" in navigator);
  result.problem = await page.$eval("#problem", (element) => element.textContent);
  result.panel = await page.$$eval("#console > div", (rows) => rows.map((row) => row.textContent));
  result.caption = await page.$eval("#caption", (element) => element.textContent);
  const rates = result.messages.map((m) => (m.type === "log" ? read_line(m.text)?.rate : undefined))
    .filter((rate) => rate !== undefined);
  const columns = await page.$eval("#chart", (chart) => chart.width);
  result.caption_of_lines = rates.length ? caption_of(rates.slice(-columns).map(issue_time)) : "";
} catch (error) {
  process.stderr.write(`drive.mjs: ${error.message}\n`);
  status = 2;
} finally {
  await browser.close();
}
// Once all of it is out: a pipe takes it in parts.
process.stdout.write(JSON.stringify(result) + "\n", () => process.exit(status));
