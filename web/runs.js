// The runs of the program, each on a canvas of its own, with its picture.
// A new picture starts the next run; so does a lost WebGL context, from
// which the next run comes back with the same picture and the view as it
// was. Where the program runs (thread.js) the first run finds out by
// trying.
import { make_follower } from "./address.js";
import { make_chart } from "./chart.js";
import { end_hold, name_buttons } from "./keys.js";
import { say_problem, show } from "./panel.js";
import { context_attributes, read_line, window_height, window_width } from "./program.js";
import { buffer_of, watch_size } from "./screen.js";
import { in_worker, leave_worker, listen, post } from "./thread.js";

const screen = document.getElementById("screen");
const loading = document.getElementById("loading");
const [bar, uploads] = loading.children;
const note_time = make_chart(document.getElementById("chart"), document.getElementById("caption"));

let program = null; // the run now going: {run, canvas, picture, view, lost, buffer, drawn, shown}
let waiting = null; // a lost run's picture and view, while no context can be had
let runs = 0;
let settled = false; // whether a run has shown that the program can draw where it runs

// The page's first frame, once drawn: what would slow the start waits for
// it.
let drew_first;
export const first_frame = new Promise((resolve) => { drew_first = resolve; });

export const focus_view = () => document.getElementById("canvas")?.focus({ preventScroll: true });

// The run whose view is on screen, or null where there is none.
const on_screen = () => (program?.drawn && !program.quitting ? program : null);

// The view now on screen, its camera's fields and view mode as the program
// gives them, or null where there is none.
export const view_now = () => on_screen()?.shown ?? null;

// Hands the running program a message of the page's (a press, a gesture's
// event), or drops it where there is no run.
export function to_program(message) {
  if (program && !program.quitting)
    post(message);
}

// A typed key: at once where a view is on screen, else dropped.
export function type_key(key) {
  if (on_screen())
    post({ type: "key", key });
}

// The page's address follows the view.
const follow = make_follower(view_now);

// Shows this view (an address's): at once where the run has drawn, else
// from its first frame.
export function show_view(view) {
  if (!program || program.quitting)
    return;
  if (!program.drawn)
    program.view = view;
  post({ type: "view", view });
  name_buttons(view[view.length - 1]);
}

// The canvas needs another drawing buffer: the program's side gives it just
// before the next frame, which, once the run has drawn its first, it draws
// now.
const observe = watch_size(() => {
  const buffer = program && !program.quitting && buffer_of(program.canvas);
  if (!buffer || (buffer[0] === program.buffer?.[0] && buffer[1] === program.buffer?.[1]))
    return;
  program.buffer = buffer;
  post({ type: "buffer", buffer });
});

function show_uploads(count) {
  bar.value = count;
  uploads.textContent = `${count} of ${bar.max} textures up`;
}

// A message of the program's side; those of runs that are over are not
// heard, but for a lost context given back.
listen((data) => {
  if (data.type === "no_worker") {
    if (!settled && in_worker)
      program ? cannot_draw(program) : leave_worker();
    return;
  }
  if (data.type === "restored") {
    if (waiting?.lost === data.run)
      start(waiting.picture, { view: waiting.view, lost: waiting.lost });
    return;
  }
  const run = program;
  if (!run || data.run !== run.run || run.quitting)
    return;
  if (data.type === "line")
    data.kind === "output" ? output(run, data.line, data.view) : show(data.line, data.kind);
  else if (data.type === "uploads")
    show_uploads(data.count);
  else if (data.type === "no_context")
    cannot_draw(run);
  else if (data.type === "lost")
    lose(run, data.view);
});

// A line of the run's standard output, and the view after it.
function output(run, line, view) {
  show(line, "output");
  run.shown = view ?? run.shown;
  const { mode, rate } = read_line(line) ?? {};
  if (mode !== undefined) {
    name_buttons(mode);
    follow();
  } else if (rate !== undefined) {
    note_time(rate);
    if (!run.drawn) {
      run.drawn = true;
      settled = true;
      // On the page's clock, for whoever measures its start (a profiler,
      // the benchmark).
      performance.mark("first frame");
      drew_first();
      loading.hidden = true;
    }
    follow();
  }
}

// Starts a run with the picture (a promise of an ArrayBuffer, or of null
// for none, which is put into its working directory in the place of the
// one before), at the view given (its fields, as the program gives them:
// an address's, or the one a lost run had) or the start view; `lost` is
// the number of the run whose context was lost, which this one brings
// back.
export function start(picture, { view = null, lost = null } = {}) {
  waiting = null;
  if (program)
    quit(program);
  const fresh = document.createElement("canvas");
  Object.assign(fresh, { id: "canvas", width: window_width, height: window_height, tabIndex: 0 });
  fresh.setAttribute("aria-label", "The viewer: twelve textured boxes");
  document.getElementById("canvas")?.remove();
  screen.prepend(fresh);
  observe(fresh);
  fresh.focus({ preventScroll: true });
  end_hold();
  say_problem("");
  name_buttons(view ? view[view.length - 1] : 0);
  show_uploads(0);
  loading.hidden = false;
  const run = { run: ++runs, canvas: fresh, picture, view, lost, buffer: buffer_of(fresh),
                drawn: false, shown: null };
  program = run;
  // A canvas is handed over once: each run has a new one.
  const canvas = in_worker ? fresh.transferControlToOffscreen() : fresh;
  // With the attributes of its context, which the worker asks for before
  // the program's side is up.
  post({ type: "start", run: run.run, canvas, attributes: context_attributes, view,
         lost: lost !== null, buffer: run.buffer },
       in_worker ? [canvas] : []);
  picture.then((bytes) => post({ type: "picture", run: run.run, bytes }));
}

// Ends a run: the page's own doing, not a loss.
function quit(run) {
  run.quitting = true;
  post({ type: "quit", run: run.run });
}

// No WebGL context can be had for the run. In a worker that has not drawn
// yet, the browser cannot draw there (WebKit today): the page runs the
// program itself from now on. Bringing a lost view back, the page waits
// for the browser to give the context back. Otherwise WebGL is turned off,
// or there is no GPU to be had: the program could draw nothing, and no run
// takes the page's presses.
function cannot_draw(run) {
  run.quitting = true;
  program = null;
  if (in_worker && !settled) {
    leave_worker();
    start(run.picture, { view: run.view, lost: run.lost });
  } else if (run.lost !== null) {
    waiting = { picture: run.picture, view: run.view, lost: run.lost };
    const message = "page: no WebGL context can be had now; the page tries again when the " +
                    "browser gives one back";
    say_problem(message);
    show(message, "page");
  } else {
    say_problem("page: this browser gives the page no WebGL context, which the viewer needs");
    loading.hidden = true;
  }
}

// The run's context is gone, and its picture with it: it is over, and a
// new run takes its picture and view.
function lose(run, view) {
  show("page: the WebGL context was lost; the view comes back as soon as the page can draw " +
       "again", "page");
  run.quitting = true;
  program = null;
  loading.hidden = true;
  start(run.picture, { view, lost: run.run });
}
