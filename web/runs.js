// The runs of the program, each on a canvas and in a runtime of its own,
// with its picture. A new picture starts the next run; so does a lost
// WebGL context, from which the next run comes back with the same picture
// and the view as it was.
import { make_follower } from "./address.js";
import { make_chart } from "./chart.js";
import { end_gestures } from "./gestures.js";
import { end_hold, hold_presses, name_buttons, send_presses } from "./keys.js";
import { say_problem, show } from "./panel.js";
import { read_line, view_field_count, window_height, window_width } from "./program.js";
import { fit, fits, watch_size } from "./screen.js";

const screen = document.getElementById("screen");
const loading = document.getElementById("loading");
const [bar, uploads] = loading.children;
const note_time = make_chart(document.getElementById("chart"), document.getElementById("caption"));

let program = null; // the module of the run now going
let waiting = null; // a lost run, while no context can be had

export const focus_view = () => document.getElementById("canvas")?.focus({ preventScroll: true });

// The view of a run, its camera's fields and view mode as the program
// gives them; before its first frame, the one it is to start from.
const view_of_run = (module) => (module.drawn
  ? Array.from({ length: view_field_count }, (_, i) => module._view_field(i))
  : module.view);

// The run whose view is on screen, or null where there is none.
const on_screen = () => (program?.drawn && !program.quitting ? program : null);

// The view now on screen, or null where there is none.
export const view_now = () => {
  const run = on_screen();
  return run && view_of_run(run);
};

// The running program's rule for the pointer's steps (src/pointer.h), or
// null where no run has drawn.
const rule = {
  travel_steps: (travel, sent) => program._page_travel_steps(travel, sent),
  drag_mode: (button, shift) => program._page_drag_mode(button, shift),
};
export const rule_now = () => on_screen() && rule;

// The page's address follows the view.
const follow = make_follower(view_now);

// Shows this view (an address's): at once where the run has drawn, else
// from its first frame.
export function show_view(view) {
  if (!program)
    return;
  if (program.drawn) {
    view.forEach((value, i) => program._set_view_field(i, value));
    program._redraw();
  } else {
    program.view = view;
  }
  name_buttons(view[view.length - 1]);
}

// The canvas needs another drawing buffer: it is given it just before the
// next frame, which, once the run has drawn its first, is asked for now.
const observe = watch_size(() => {
  if (!program || fits(program.canvas))
    return;
  program.refit = true;
  if (program.drawn && !program.quitting)
    program._redraw();
});

const script = new Promise((resolve, reject) => {
  const element = document.createElement("script");
  element.src = "textures.js";
  element.onload = resolve;
  element.onerror = () => reject(new Error("textures.js did not load"));
  document.head.append(element);
});

function show_uploads(count) {
  bar.value = count;
  uploads.textContent = `${count} of ${bar.max} textures up`;
}

// A line of the run's standard output.
function output(module, line) {
  show(line, "output");
  const { mode, rate } = read_line(line) ?? {};
  if (mode !== undefined) {
    name_buttons(mode);
    follow();
  } else if (rate !== undefined) {
    note_time(rate);
    if (!module.drawn) {
      module.drawn = true;
      // On the page's clock, for whoever measures its start (a profiler,
      // the benchmark).
      performance.mark("first frame");
      loading.hidden = true;
      send_presses(({ key, mode }) => module._press_from_page(key.charCodeAt(0), mode));
    }
    follow();
  }
}

// A stream of one run's bytes, cut into lines; silent once that run is
// over.
function stream(module, kind) {
  let bytes = [];
  const decoder = new TextDecoder();
  return (byte) => {
    if (module !== program)
      return;
    if (byte === null || byte === 10) {
      if (byte === 10 || bytes.length > 0) {
        const line = decoder.decode(new Uint8Array(bytes));
        kind === "output" ? output(module, line) : show(line, kind);
      }
      bytes = [];
    } else {
      bytes.push(byte < 0 ? byte + 256 : byte);
    }
  };
}

// Starts a run with the picture (a promise of an ArrayBuffer, or of null
// for none, which is put into its working directory in the place of the
// one before), at the view given (its fields, as the program gives them:
// an address's, or the one a lost context had, `lost`) or the start view.
// False where the browser gives the page no WebGL context.
export function start(picture, { view = null, lost = false } = {}) {
  waiting = null;
  if (program)
    quit(program);
  const fresh = document.createElement("canvas");
  Object.assign(fresh, { id: "canvas", width: window_width, height: window_height, tabIndex: 0 });
  fresh.setAttribute("aria-label", "The viewer: twelve textured boxes");
  document.getElementById("canvas")?.remove();
  screen.prepend(fresh);
  observe(fresh);
  // The context GLUT asks for (RGB, double-buffered, depth), had now: the
  // browser sets it up while the program loads, and GLUT then finds it.
  const webgl =
    fresh.getContext("webgl", { alpha: false, depth: true, stencil: false, antialias: false });
  fresh.focus({ preventScroll: true });
  end_hold();
  end_gestures();
  say_problem("");
  if (!webgl) {
    // WebGL turned off, or no GPU to be had: the program could draw nothing,
    // and no run takes the page's presses.
    say_problem("page: this browser gives the page no WebGL context, which the viewer needs");
    hold_presses(true);
    loading.hidden = true;
    program = null;
    return false;
  }
  // Until the first frame, presses wait for it; while a lost view comes
  // back, there is none for them to act on.
  hold_presses(lost);
  name_buttons(view ? view[view.length - 1] : 0);
  show_uploads(0);
  loading.hidden = false;
  const module = {
    canvas: fresh,
    arguments: [],
    picture,
    view,
    webgl,
    refit: true,
    preRun: [() => {
      // The program's own standard output and error, apart from the
      // runtime's messages, which go to the browser's console alone.
      module.FS.init(null, stream(module, "output"), stream(module, "error"));
      module.addRunDependency("armor.raw");
      picture.then((bytes) => {
        if (bytes)
          module.FS.writeFile("armor.raw", new Uint8Array(bytes));
        module.removeRunDependency("armor.raw");
      });
    }],
    on_upload: (count) => module === program && show_uploads(count),
    // Before each frame: none without a context to draw on; the first one
    // shows the view carried over; each at the drawing buffer the canvas
    // needs.
    preMainLoop: () => {
      if (webgl.isContextLost())
        return false;
      module.view?.forEach((value, i) => module._set_view_field(i, value));
      module.view = null;
      if (module.refit && fit(fresh))
        module._fit_buffer(fresh.width, fresh.height);
      module.refit = false;
      return true;
    },
    // Alive between frames, and after the program's own exit as it
    // always was; only the page ends a run (quit).
    noExitRuntime: true,
    onExit: () => { module.ended = true; },
    printErr: (text) => console.warn(text),
  };
  fresh.addEventListener("webglcontextlost", (event) => {
    // Without this the browser would never give the context back.
    event.preventDefault();
    if (module === program && !module.quitting)
      lose(module);
  });
  program = module;
  // A run that a newer one overtook while it loaded ends once it is up.
  script.then(() => textures(module)).then(() => {
    if (module !== program)
      quit(module);
  });
  return true;
}

// Ends a run, and lets its WebGL context go at once: the page's own doing,
// not a loss.
function quit(module) {
  module.quitting = true;
  if (!module.ended && module._quit_viewer) {
    try {
      module._quit_viewer();
    } catch (exit) {
      if (exit?.name !== "ExitStatus")
        throw exit;
    }
  }
  module.webgl.getExtension("WEBGL_lose_context")?.loseContext();
}

// The run's context is gone, and its picture with it: it ends, and a new
// run takes its picture and view.
function lose(module) {
  const view = view_of_run(module);
  show("page: the WebGL context was lost; the view comes back as soon as the page can draw " +
       "again", "page");
  hold_presses(true);
  loading.hidden = true;
  quit(module);
  come_back({ picture: module.picture, view, context: module.webgl });
}

function come_back(lost) {
  if (start(lost.picture, { view: lost.view, lost: true })) {
    // The lost context, where the browser gave it back, is not used.
    if (!lost.context.isContextLost())
      lost.context.getExtension("WEBGL_lose_context")?.loseContext();
    return;
  }
  waiting = lost;
  const message = "page: no WebGL context can be had now; the page tries again when the " +
                  "browser gives one back";
  say_problem(message);
  show(message, "page");
  lost.context.canvas.addEventListener("webglcontextrestored", () => {
    if (waiting === lost)
      come_back(lost);
  }, { once: true });
}
