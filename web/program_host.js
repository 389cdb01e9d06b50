// The program's side of the page: it runs the program (textures.js), one
// run at a time, on the canvas the page hands it, wherever the page has
// put it: in a dedicated worker (program_worker.js), where the browser can
// draw there, or on the page's own thread. It speaks with the page by
// messages alone, the same in both places.
//
// From the page, on `port`:
//   {type: "start", run, canvas, attributes, view, lost, buffer}  a run
//       (its number) on this canvas, whose context has these attributes
//       (program.js's), from this view (or the start view where null), its
//       presses dropped until its first frame where it brings a lost one
//       back, its drawing buffer [width, height] (or null: as it is)
//   {type: "picture", run, bytes}  its picture (an ArrayBuffer, or null)
//   {type: "quit", run}            ends it
//   {type: "key", key}             a typed key, at once (none before the
//                                  first frame)
//   {type: "press", key, mode}     a press of a button or gesture, queued
//                                  (keys.js), in a view mode or current_mode
//   {type: "pointer", ...}, {type: "wheel", delta_y, delta_mode},
//   {type: "end_gestures"}         the gestures' events (gestures.js)
//   {type: "view", view}           shows this view
//   {type: "buffer", buffer}       the drawing buffer the canvas needs now
// To the page:
//   {type: "line", run, kind, line, view}  a line of standard output or
//       error (kind), with the view once the run has drawn
//   {type: "uploads", run, count}  textures up so far
//   {type: "no_context", run}      no WebGL context can be had for it
//   {type: "lost", run, view}      its context is lost; the view it had
//   {type: "restored", run}        a lost context is back (and let go)
import { make_gestures } from "./gestures.js";
import { hold_presses, press, send_presses } from "./keys.js";
import { current_mode, read_line, view_field_count } from "./program.js";
import textures from "./textures.js";

// Serves the page at `port`, with the program's WebAssembly from
// `wasm` (a promise of its response, asked for as soon as could be),
// compiled once, as it arrives where the server names its type: each run
// is an instance of it.
export function serve(port, wasm) {
  const compiled = wasm.then(async (response) => {
    if (!response.ok)
      throw new Error(`textures.wasm: ${response.status} ${response.statusText}`);
    try {
      return await WebAssembly.compileStreaming(response.clone());
    } catch {
      return WebAssembly.compile(await response.arrayBuffer());
    }
  });
  let program = null; // the module of the run now going
  const post = (message) => port.postMessage(message);
  const drawn = () => program?.drawn && !program.quitting;
  const view_of = (module) => (module.drawn
    ? Array.from({ length: view_field_count }, (_, i) => module._view_field(i))
    : module.view);
  const rule = {
    travel_steps: (travel, sent) => program._page_travel_steps(travel, sent),
    drag_mode: (button, shift) => program._page_drag_mode(button, shift),
  };
  const gestures = make_gestures(press, () => (drawn() ? rule : null));

  // A stream of one run's bytes, cut into lines; silent once that run is
  // over.
  function stream(module, kind) {
    let bytes = [];
    const decoder = new TextDecoder();
    return (byte) => {
      if (module !== program)
        return;
      if (byte === null || byte === 10) {
        if (byte === 10 || bytes.length > 0)
          line(module, kind, decoder.decode(new Uint8Array(bytes)));
        bytes = [];
      } else {
        bytes.push(byte < 0 ? byte + 256 : byte);
      }
    };
  }

  function line(module, kind, text) {
    if (kind === "output" && !module.drawn && read_line(text)?.rate !== undefined) {
      module.drawn = true;
      send_presses(({ key, mode }) => module._press_from_page(key.charCodeAt(0), mode));
    }
    post({ type: "line", run: module.number, kind, line: text,
           view: module.drawn ? view_of(module) : null });
  }

  // In the worker, the context was asked for as the message came (and a
  // canvas gives it once there, in Firefox).
  function start({ run, canvas, attributes, webgl = canvas.getContext("webgl", attributes), view,
                   lost, buffer }) {
    if (program)
      quit(program);
    gestures.end();
    if (!webgl) {
      program = null;
      hold_presses(true);
      post({ type: "no_context", run });
      return;
    }
    // Until the first frame, presses wait for it; while a lost view comes
    // back, there is none for them to act on.
    hold_presses(lost);
    let picture_given;
    const picture = new Promise((resolve) => { picture_given = resolve; });
    // (Emscripten's runtime has names of its own on the module: run, buffer.)
    const module = {
      number: run,
      canvas,
      context_attributes: attributes,
      webgl,
      view,
      wanted: buffer,
      picture_given,
      arguments: [],
      instantiateWasm: (imports, receive) => {
        compiled.then((wasm) => WebAssembly.instantiate(wasm, imports)
          .then((instance) => receive(instance, wasm)))
          .catch((error) => line(module, "error", `page: ${error.message}`));
        return {};
      },
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
      on_upload: (count) => module === program && post({ type: "uploads", run, count }),
      // Before each frame: none without a context to draw on; the first one
      // shows the view carried over; each at the drawing buffer the canvas
      // needs.
      preMainLoop: () => {
        if (webgl.isContextLost())
          return false;
        module.view?.forEach((value, i) => module._set_view_field(i, value));
        module.view = null;
        const wanted = module.wanted;
        module.wanted = null;
        if (wanted && (canvas.width !== wanted[0] || canvas.height !== wanted[1])) {
          [canvas.width, canvas.height] = wanted;
          module._fit_buffer(canvas.width, canvas.height);
        }
        return true;
      },
      // Alive between frames, and after the program's own exit as it
      // always was; only the page ends a run (quit).
      noExitRuntime: true,
      onExit: () => { module.ended = true; },
      printErr: (text) => console.warn(text),
    };
    canvas.addEventListener("webglcontextlost", (event) => {
      // Without this the browser would never give the context back.
      event.preventDefault();
      if (module === program && !module.quitting) {
        post({ type: "lost", run, view: view_of(module) });
        quit(module);
      }
    });
    // Where the browser gives a lost context back, the page may start
    // anew; the context itself is not used again.
    canvas.addEventListener("webglcontextrestored", () => {
      post({ type: "restored", run });
      webgl.getExtension("WEBGL_lose_context")?.loseContext();
    });
    program = module;
    textures(module);
  }

  // Ends a run, and lets its WebGL context go at once: the page's own doing,
  // not a loss.
  function quit(module) {
    module.quitting = true;
    if (module === program) {
      program = null;
      hold_presses(true);
    }
    if (!module.ended && module._quit_viewer) {
      try {
        module._quit_viewer();
      } catch (exit) {
        if (exit?.name !== "ExitStatus")
          throw exit;
      }
    }
    if (!module.webgl.isContextLost())
      module.webgl.getExtension("WEBGL_lose_context")?.loseContext();
  }

  const handlers = {
    start,
    picture: ({ run, bytes }) => program?.number === run && program.picture_given(bytes),
    quit: ({ run }) => program?.number === run && quit(program),
    key: ({ key }) => drawn() && program._press_from_page(key.charCodeAt(0), current_mode),
    press: ({ key, mode }) => press(key, mode),
    pointer: (event) => gestures.pointer(event),
    wheel: ({ delta_y, delta_mode }) => gestures.wheel(delta_y, delta_mode),
    end_gestures: () => gestures.end(),
    view: ({ view }) => {
      if (!program)
        return;
      if (drawn()) {
        view.forEach((value, i) => program._set_view_field(i, value));
        program._redraw();
      } else {
        program.view = view;
      }
    },
    buffer: ({ buffer }) => {
      if (!program)
        return;
      program.wanted = buffer;
      if (drawn())
        program._redraw();
    },
  };
  port.onmessage = ({ data }) => handlers[data.type]?.(data);
}
