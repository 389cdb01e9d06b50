// The page's modules that need no browser, under Node's own test runner:
// the program's lines, the view in the address, the queue of the page's
// presses, the picture kept for the tab, the chart's statistics, the steps
// of a wheel and two fingers, the check for a cut-off PNG or JPEG,
// a decoded image turned into the program's picture; and the page's
// buttons and legend, its contract module and the manual's KEYS, each as the
// table of keys says.
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { test } from "node:test";
import { pathToFileURL } from "node:url";

// As a page's build has them: program.js is written from the program's
// headers.
const module = (name) =>
  import(pathToFileURL(path.join(process.env.TEXTURES_PAGE_MODULES, `${name}.js`)));
const { fragment_of, view_of } = await module("address");
const { keep_picture, kept_picture } = await module("kept");
const { caption_of, issue_time, statistics } = await module("chart");
const { make_gestures, make_pinch, make_wheel } = await module("gestures");
const { hold_presses, press, send_presses, typed_key } = await module("keys");
const { cut_off, raw_of } = await module("picture");
const program = await module("program");
const { current_mode, no_drag, pan, read_line, step_pixels, zoom } = program;

test("the program's two lines read as it prints them, and no other line does", () => {
  assert.deepEqual(read_line("FPS: 1253.132812"), { rate: 1253.132812 });
  assert.deepEqual(read_line("FPS: inf"), { rate: Infinity });
  assert.deepEqual(read_line("view mode: 2"), { mode: 2 });
  for (const other of ["FPS: 12.5", "FPS: -inf", "FPS: nan", "view mode: 3", "view mode: 1 ", ""])
    assert.equal(read_line(other), null, other);
});

test("the address holds the view short, reads it back exactly, and refuses what is none", () => {
  const f = Math.fround;
  const start = [30, -24, 40, 30, 24, 0, f(Math.sqrt(3904)), f(Math.PI / 2 + 3.1416),
                 f(Math.acos(40 / f(Math.sqrt(3904)))), 0];
  assert.equal(fragment_of(start), "#view=30,-24,40,30,24,0,62.482,4.712396,0.87605804,0");
  // Odd views are views: a radius of 0.001, a polar angle past the pole.
  const odd = [f(-0.1), f(1e30), f(1.4e-45), f(0.001), f(-123456.789), 0, f(0.001), f(1e-7), 4, 2];
  assert.deepEqual(view_of(fragment_of(odd)), { view: odd });
  assert.deepEqual(view_of("#view=1,2,3,4,5,6,7,8,9,1"), { view: [1, 2, 3, 4, 5, 6, 7, 8, 9, 1] });
  const refused = (fragment) => view_of(fragment).refused;
  const view = (fields) => `#view=${fields.join(",")}`;
  const nine = [1, 2, 3, 4, 5, 6, 7, 8, 9];
  const range = (field) => `field ${field} is out of single-precision range`;
  assert.equal(refused(view([1e39, ...nine.slice(1), 0])), range(1));
  assert.equal(refused(view([...nine.slice(0, 8), "-1e-50", 0])), range(9), "too small");
  for (const junk of ["Infinity", "-inf", "NaN", "0x10", " 1", "1,5", "", "1e", "."])
    assert.match(refused(view([junk, ...nine.slice(1), 0])) ?? "", /no number|fields/, junk);
  for (const mode of ["3", "-1", "1.0", "", "01"])
    assert.equal(refused(view([...nine, mode])), "its view mode is none of 0, 1, 2", mode);
  assert.equal(refused(view(nine)), "it has 9 fields, not 10");
  assert.equal(refused(view([...nine, 0, 0])), "it has 11 fields, not 10");
  assert.equal(refused(`#view=${"9,".repeat(3000)}`), "it is 6006 characters long");
  for (const other of ["", "#top", "#view", `#${"x".repeat(5000)}`])
    assert.deepEqual(view_of(other), {}, other);
});

test("the page's presses reach the program one a frame, in order, and a fling is cut short", () => {
  const frames = [];
  globalThis.requestAnimationFrame = (callback) => frames.push(callback);
  const frame = () => frames.splice(0).forEach((callback) => callback());
  const sent = [];
  for (const key of ["8", "x", "R", "22"])
    press(key);
  press("6", zoom);
  frame();
  send_presses(({ key, mode }) => sent.push(`${key}${mode === current_mode ? "" : mode}`));
  frame();
  assert.deepEqual(sent, ["8"], "waiting for the first frame, then one a frame");
  frame();
  assert.deepEqual(sent, ["8", "61"]);
  for (let i = 0; i < 40; ++i)
    press("4");
  while (frames.length)
    frame();
  assert.equal(sent.length, 2 + 32);
  hold_presses(true);
  press("2");
  send_presses((step) => sent.push(step));
  frame();
  assert.equal(sent.length, 2 + 32, "a press while there is no view is dropped");
});

test("a picture kept for the tab comes back byte for byte, or not at all", () => {
  const items = new Map();
  globalThis.sessionStorage = { setItem: (key, value) => items.set(key, value),
                                getItem: (key) => items.get(key) ?? null };
  assert.equal(kept_picture(), null);
  const bytes = Uint8Array.from({ length: 196608 }, (_, i) => (i * 7) % 256);
  assert.equal(keep_picture("own.png", "256 × 256", bytes.buffer), null);
  const kept = kept_picture();
  assert.deepEqual([kept.name, kept.what], ["own.png", "256 × 256"]);
  assert.deepEqual(new Uint8Array(kept.bytes), bytes);
  items.set("textures.picture", JSON.stringify({ name: "x", what: "y", raw: btoa("short") }));
  assert.equal(kept_picture(), null, "a picture of another size");
  items.set("textures.picture", "{ not JSON");
  assert.equal(kept_picture(), null);
  globalThis.sessionStorage.setItem = () => {
    throw new DOMException("The quota has been exceeded.", "QuotaExceededError");
  };
  assert.equal(keep_picture("own.png", "", bytes.buffer), "The quota has been exceeded.");
});

test("the chart's times and caption", () => {
  assert.equal(issue_time(Infinity), 0);
  assert.equal(issue_time(500), 2);
  assert.deepEqual(statistics([4, 1, 3, 2]), { median: 2.5, p99: 4, slowest: 4 });
  // Nearest rank: the 198th of 200.
  const times = Array.from({ length: 200 }, (_, i) => 200 - i);
  assert.deepEqual(statistics(times), { median: 100.5, p99: 198, slowest: 200 });
  assert.equal(caption_of([3, 1, 0]), "issue time: median 1.00 ms, p99 3.00 ms over 3 frames");
});

// The program's count of an axis's steps, as the page gets it from a run
// (its arithmetic is tested with the program's).
const rule = (travel, sent) => Math.trunc(travel / step_pixels - sent);
const steps = (list) => list.map(({ key, mode }) => `${key}${mode}`).join(" ");

test("a wheel zooms a step each 20 px, a notch five in any unit, and carries the rest", () => {
  const wheel = make_wheel(rule);
  assert.equal(steps(wheel(100, 0)), "21 21 21 21 21", "a notch down goes further");
  assert.equal(steps(wheel(-3, 1)), "81 81 81 81 81", "a notch of 3 lines up comes closer");
  assert.equal(steps(wheel(-1, 2)), "81 81 81 81 81", "a page");
  assert.equal(steps(wheel(-15, 0)), "");
  assert.equal(steps(wheel(-5, 0)), "81", "15 px and 5 px are one step");
  assert.equal(steps(wheel(12, 0)), "");
  assert.equal(steps(wheel(12, 0)), "21", "the way back uses up the rest first");
});

test("two fingers zoom by their distance and pan by their midpoint, a finger at a time", () => {
  const pinch = make_pinch({ id: 1, x: 100, y: 200 }, { id: 2, x: 220, y: 200 }, rule);
  // Both move right by 15 px, one finger's event after the other's: a
  // pan, and no zoom step although the distance changed between them.
  assert.equal(steps(pinch.move(1, 115, 200)), "");
  assert.equal(steps(pinch.move(2, 235, 200)), "62");
  assert.equal(steps(pinch.move(1, 130, 200)), "");
  assert.equal(steps(pinch.move(2, 250, 200)), "62 62");
  // Apart by 25 px, and down by 10 at once.
  assert.equal(steps(pinch.move(1, 117.5, 210)), "");
  assert.equal(steps(pinch.move(2, 262.5, 210)), "81 81 22");
  // One finger alone, moving twice: counted as the second move comes, and
  // the rest as it lifts.
  assert.equal(steps(pinch.move(2, 240.5, 210)), "");
  assert.equal(steps(pinch.move(2, 230.5, 210)), "21 42");
  assert.equal(steps(pinch.end()), "21");
  assert.equal(steps(pinch.end()), "");
});

test("the pointer's events, passed on, make each step once, and none before a run draws", () => {
  const made = [];
  let running = null;
  const gestures = make_gestures((key, mode) => made.push({ key, mode }), () => running);
  const taken = () => steps(made.splice(0));
  const pointer = (what, id, x, y, more = {}) => gestures.pointer({ what, id, x, y, ...more });
  pointer("down", 1, 0, 0, { button: 0 });
  pointer("move", 1, 40, 0);
  assert.equal(taken(), "", "a mouse drag begun before the first frame is not taken");
  pointer("up", 1);
  running = { travel_steps: rule,
              drag_mode: (button, shift) => (button === 2 || shift ? pan : button ? no_drag : current_mode) };
  pointer("down", 2, 0, 0, { button: 2 });
  pointer("move", 2, 25, -12);
  pointer("move", 2, 31, -12);
  assert.equal(taken(), "62 62 82 62", "a right drag pans, each step once");
  pointer("up", 2);
  pointer("move", 2, 90, 0);
  pointer("down", 3, 0, 0, { button: 1 });
  pointer("move", 3, 90, 0);
  assert.equal(taken(), "", "nothing after the release, nor for the middle button");
  // Two fingers; the one left on drags on from where it is.
  pointer("down", 4, 100, 200, { touch: true });
  pointer("down", 5, 220, 200, { touch: true });
  pointer("move", 4, 90, 200);
  pointer("move", 5, 230, 200);
  pointer("up", 5);
  assert.equal(taken(), "81 81");
  pointer("move", 4, 90, 215);
  assert.equal(taken(), `2${current_mode}`);
  gestures.wheel(100, 0);
  assert.equal(taken(), "21 21 21 21 21");
  gestures.end();
  pointer("move", 4, 90, 300);
  assert.equal(taken(), "", "ended");
});

test("a typed key is the program's by its place on the keyboard, whatever Caps Lock says", () => {
  const key = (keyCode, more = {}) => typed_key({ keyCode, ...more });
  assert.deepEqual([key(54), key(104), key(82), key(86), key(50, { shiftKey: true })],
                   ["6", "8", "r", "v", "2"]);
  for (const other of [key(82, { shiftKey: true }), key(54, { ctrlKey: true }), key(65),
                       key(37), key(55)])
    assert.equal(other, null);
});

// A PNG's chunks (length, type, data, CRC; the CRC unchecked here).
function chunk(type, length) {
  const bytes = new Uint8Array(12 + length);
  new DataView(bytes.buffer).setUint32(0, length);
  bytes.set([...type].map((c) => c.charCodeAt(0)), 4);
  return [...bytes];
}
const png = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, ...chunk("IHDR", 13),
             ...chunk("IDAT", 40), ...chunk("IEND", 0)];
// A JPEG whose thumbnail, before the scan, has an end marker of its own.
const jpeg = [0xff, 0xd8, 0xff, 0xe1, 0, 6, 0xff, 0xd9, 0, 0, 0xff, 0xda, 0, 2, 1, 0xff, 0, 2,
              0xff, 0xd0, 3, 0xff, 0xd9];

test("a PNG or JPEG cut off before its end is told apart from a whole one", () => {
  assert.equal(cut_off(Uint8Array.from(png)), null);
  assert.equal(cut_off(Uint8Array.from(png.slice(0, -12))), "PNG", "no IEND");
  assert.equal(cut_off(Uint8Array.from(png.slice(0, -2))), "PNG", "IEND cut short");
  assert.equal(cut_off(Uint8Array.from(png.slice(0, 40))), "PNG", "inside IDAT");
  // The same check on a view into a larger buffer.
  assert.equal(cut_off(Uint8Array.from([0, ...png]).subarray(1)), null);
  assert.equal(cut_off(Uint8Array.from(jpeg)), null);
  assert.equal(cut_off(Uint8Array.from(jpeg.slice(0, -2))), "JPEG", "in the scan");
  assert.equal(cut_off(Uint8Array.from(jpeg.slice(0, 10))), "JPEG", "before the scan");
  assert.equal(cut_off(new TextEncoder().encode("to do: buy milk\n")), null);
});

test("a decoded image becomes the picture bottom row first, without its alpha", () => {
  const rgba = new Uint8Array(256 * 256 * 4);
  for (let y = 0; y < 256; ++y)
    for (let x = 0; x < 256; ++x)
      rgba.set([x, y, 7, 99], (y * 256 + x) * 4);
  const raw = raw_of(rgba);
  assert.equal(raw.length, 196608);
  assert.deepEqual([...raw.subarray(0, 6)], [0, 255, 7, 1, 255, 7]);
  assert.deepEqual([...raw.subarray(-3)], [255, 0, 7]);
});

test("the page's buttons and legend, its contract module and the manual's KEYS are the table's", () => {
  const read = (file) => fs.readFileSync(file, "utf8");
  const source = (file) => read(new URL(`../../${file}`, import.meta.url));
  const entries = (kind) => [...source("src/keys.def").matchAll(new RegExp(`^${kind}\\((.*)\\)$`, "gm"))]
    .map(([, entry]) => entry.split(/, (?=[^"]*(?:"[^"]*"[^"]*)*$)/).map((part) => part.replace(/^["']|["']$/g, "")));
  const modes = entries("VIEW_MODE").map(([name]) => name);
  const [movement, others, moves] = ["MOVEMENT_KEY", "KEY", "MOVE"].map(entries);
  const words = ([name]) => modes.map((mode) => moves.find(([k, m]) => k === name && m === mode)[4]);
  const key_of = ([, key]) => key;
  assert.deepEqual(program.view_modes, modes);
  assert.equal(program.movement_keys, movement.map(key_of).join(""));
  assert.equal(program.program_keys, [...movement, ...others].map(key_of).join(""));
  [...movement, ...others].forEach(([name, key]) => assert.equal(program[name], key, name));

  const page = read(path.join(process.env.TEXTURES_PAGE_MODULES, "index.html"));
  const texts = (html, tag) => [...html.matchAll(new RegExp(`<${tag}[^>]*>(.*?)</${tag}>`, "g"))]
    .map(([, text]) => text.replace(/<[^>]+>/g, ""));
  const pad = [...movement].sort((a, b) => a[2] - b[2] || a[3] - b[3]);
  assert.deepEqual(texts(page, "button").filter((text) => program.program_keys.includes(text)),
                   [...pad, ...others].map(key_of));
  assert.deepEqual(texts(page.slice(page.indexOf('id="legend"')), "tr"), [
    `Key${modes.map((mode, i) => `${mode[0].toUpperCase()}${mode.slice(1)} (mode ${i})`).join("")}`,
    ...movement.map((entry) => key_of(entry) + words(entry).join("")),
    ...others.map(([, key, , what]) => key + what)]);

  const manual = source("docs/textures.1.md");
  const block = manual.slice(manual.indexOf("<!-- keys -->"), manual.indexOf("<!-- /keys -->"));
  assert.deepEqual(block.split("\n## ").slice(1).map((part) => [...part.matchAll(/^- `(.)`: (.*)$/gm)]
    .map(([, key, what]) => `${key} ${what}`)), [
    ...modes.map((_, i) => movement.map((entry) => `${key_of(entry)} ${words(entry)[i]}`)),
    others.map(([, key, , what]) => `${key} ${what}`)]);
});
