// Keys: the queue of the page's presses, from its buttons and gestures,
// which the program's side keeps (program_host.js); and on the page, the
// typed keys and the buttons themselves.
import { current_mode, movement_keys, next_mode, program_keys, view_modes } from "./program.js";

// Presses reach the program one an animation frame, in order: each then
// draws its own frame, after which the next goes. Until a run's first frame
// they wait, or, while there is no view at all, have no effect; a fling
// beyond the bound is dropped rather than left to play out.
const queue = [];
const queue_bound = 32;
let send = null; // hands a key and its view mode to the running program
let dropping = false;
let pumping = false;

// A key, in the view mode `mode` (a gesture's own) or, where it is
// current_mode, in the current one.
export function press(key, mode = current_mode) {
  if (key.length !== 1 || !program_keys.includes(key) || dropping || queue.length >= queue_bound)
    return;
  queue.push({ key, mode });
  pump();
}

function pump() {
  if (pumping || !send || queue.length === 0)
    return;
  pumping = true;
  requestAnimationFrame(() => {
    pumping = false;
    if (send)
      send(queue.shift());
    pump();
  });
}

// The program's key that a key typed on the page stands for, or null: as
// GLUT reads a key, by its place on the keyboard (Caps Lock makes no
// capital), with the keypad's digits as the others.
export function typed_key(event) {
  if (event.ctrlKey || event.altKey || event.metaKey)
    return null;
  const code = event.keyCode;
  let key = null;
  if (code >= 48 && code <= 57)
    key = String.fromCharCode(code);
  else if (code >= 96 && code <= 105)
    key = String.fromCharCode(code - 48);
  else if (code >= 65 && code <= 90)
    key = String.fromCharCode(event.shiftKey ? code : code + 32);
  return key !== null && program_keys.includes(key) ? key : null;
}

// Typed keys, each handed to `type` as it comes; the browser's own
// meaning is kept for every other key.
export function watch_typed_keys(type) {
  window.addEventListener("keydown", (event) => {
    const key = typed_key(event);
    if (key === null)
      return;
    event.preventDefault();
    type(key);
  }, true);
}

// No program takes presses now: they wait for the next one's first frame,
// or with `drop` are dropped until then.
export function hold_presses(drop) {
  send = null;
  dropping = drop;
  queue.length = 0;
}

// The program has drawn its first frame: `to` hands it each press, a key
// and its mode.
export function send_presses(to) {
  send = to;
  dropping = false;
  pump();
}

let buttons = [], headings = [];
let actions = new Map(); // what each key does in each view mode, from the legend
let hold = null;
let give_focus = () => {};
let press_button = () => {};

// Names the buttons for the view mode, and marks its column in the legend.
export function name_buttons(mode) {
  for (const button of buttons) {
    const key = button.textContent;
    const each = actions.get(key); // one a view mode, or one for all
    const action = each[each.length > 1 ? mode : 0];
    button.setAttribute("aria-label", key === next_mode
      ? `${key}: ${action}, ${view_modes[(mode + 1) % view_modes.length]}` : `${key}: ${action}`);
  }
  headings.forEach((heading, i) => heading.classList.toggle("current", i === mode));
}

// Ends a held button's repeat, and hands the keyboard back to the canvas.
export function end_hold() {
  if (!hold)
    return;
  clearTimeout(hold.timer);
  hold.button.classList.remove("held");
  hold = null;
  give_focus();
}

// A held movement key repeats as a held keyboard key does: after 400 ms,
// then every 50 ms, until it is let go or left.
function repeat(key, delay) {
  hold.timer = setTimeout(() => {
    press_button(key);
    repeat(key, 50);
  }, delay);
}

// Follows the buttons `all`, each named for what it does as the table
// `legend` says: a row a key, its text in the first cell, then what it
// does in each view mode, or in all of them; each press goes to `press`.
export function watch_buttons(all, legend, focus, press) {
  buttons = all;
  const [heading, ...rows] = [...legend.rows].map((row) => [...row.cells]);
  headings = heading.slice(1);
  actions = new Map(rows.map(([key, ...cells]) => [key.textContent,
                                                   cells.map((cell) => cell.textContent)]));
  give_focus = focus;
  press_button = press;
  name_buttons(0);
  for (const button of buttons) {
    const key = button.textContent;
    button.addEventListener("pointerdown", (event) => {
      if (!event.isPrimary || event.button !== 0)
        return;
      end_hold();
      // A touch holds on to its button; let it go, so that leaving the
      // button ends the hold.
      if (button.hasPointerCapture(event.pointerId))
        button.releasePointerCapture(event.pointerId);
      hold = { button, timer: null };
      button.classList.add("held");
      press(key);
      if (movement_keys.includes(key))
        repeat(key, 400);
    });
    for (const type of ["pointerup", "pointercancel", "pointerleave"])
      button.addEventListener(type, end_hold);
    // Activation without a pointer, by assistive technology.
    button.addEventListener("click", (event) => {
      if (event.detail === 0)
        press(key);
    });
    button.addEventListener("contextmenu", (event) => event.preventDefault());
  }
}
