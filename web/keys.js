// The page's own presses, from its buttons and gestures, and the buttons
// themselves.

// Presses reach the program one an animation frame, in order: each then
// draws its own frame, after which the next goes. Until a run's first frame
// they wait, or, while there is no view at all, have no effect; a fling
// beyond the bound is dropped rather than left to play out.
const queue = [];
const queue_bound = 32;
let send = null; // hands a key and its view mode to the running program
let dropping = false;
let pumping = false;

// A key, in the view mode `mode` (a gesture's own) or, where it is null,
// in the current one.
export function press(key, mode = null) {
  if (key.length !== 1 || !"2468rv".includes(key) || dropping || queue.length >= queue_bound)
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

// Typed keys reach the program through GLUT's own listeners, which come
// after this one: while there is no view, they stop here.
for (const type of ["keydown", "keyup", "keypress"])
  window.addEventListener(type, (event) => {
    if (dropping)
      event.stopImmediatePropagation();
  }, true);

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

// What each key does in each view mode, for the buttons' names.
const modes = ["orbit", "zoom", "pan"];
const actions = {
  8: ["up over the look-at point", "closer", "down"],
  2: ["down towards the horizon", "further", "up"],
  4: ["round clockwise", "nothing in zoom mode", "+x"],
  6: ["round anticlockwise", "nothing in zoom mode", "\u2212x"],
};

let buttons = [], headings = [];
let hold = null;
let give_focus = () => {};

// Names the buttons, and marks the table's column, for the view mode.
export function name_buttons(mode) {
  for (const button of buttons) {
    const key = button.textContent;
    const action = key === "v" ? `next view mode, ${modes[(mode + 1) % 3]}`
                 : key === "r" ? "reset the projection" : actions[key][mode];
    button.setAttribute("aria-label", `${key}: ${action}`);
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
    press(key);
    repeat(key, 50);
  }, delay);
}

export function watch_buttons(all, mode_headings, focus) {
  buttons = all;
  headings = mode_headings;
  give_focus = focus;
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
      if ("2468".includes(key))
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
