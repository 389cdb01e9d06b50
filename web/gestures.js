// Gestures on the picture, each counted in the program's own steps: one
// movement key a step, in the current view mode (a drag with one finger or
// the left button) or in the mode the gesture stands for, whatever the
// current one: zoom for the wheel and a pinch, pan for a right-button or
// Shift drag and two fingers moving together. The page forwards the
// pointer's events (watch_gestures); beside the program, its rule
// (src/pointer.h) counts the steps and names a button's mode
// (make_gestures).
//
// `steps(travel, sent)` is that rule's count for one axis: the steps that
// `travel` px from where the gesture began make, `sent` having been made.

import {
  current_mode, down, left, no_drag, notch_steps, pan, right, step_pixels, up, zoom,
} from "./program.js";

// The keys for one axis's travel, and the steps made once they are.
export function travel_keys(steps, travel, sent, forward, back) {
  const count = steps(travel, sent);
  return { keys: Array(Math.abs(count)).fill(count > 0 ? forward : back), sent: sent + count };
}

// A wheel event's deltaY in notches: lines and pages counted so that a
// notch is 100 px wherever it comes from (3 lines where a browser counts
// lines, a page where it counts pages).
export function wheel_notches(delta_y, delta_mode) {
  return delta_y * ([1, 100 / 3, 100][delta_mode] ?? 1) / 100;
}

// The steps of a wheel: a notch travels as far as a drag of its steps;
// scrolling up comes closer (up), down goes further (down); what is left
// over carries to the next event.
export function make_wheel(steps) {
  let travel = 0, sent = 0;
  return (delta_y, delta_mode) => {
    travel += wheel_notches(delta_y, delta_mode) * notch_steps * step_pixels;
    const moved = travel_keys(steps, travel, sent, down, up);
    sent = moved.sent;
    return moved.keys.map((key) => ({ key, mode: zoom }));
  };
}

// Two fingers, each {id, x, y}: the change of the distance between them
// zooms (up apart, down together), and their midpoint's travel pans, each
// counted as a drag's travel is. Their moves may arrive a finger at a
// time, so they count once both fingers have moved, or once one moves
// again while the other stays: fingers that keep their distance make no
// zoom step.
export function make_pinch(a, b, steps) {
  const at = new Map([[a.id, [a.x, a.y]], [b.id, [b.x, b.y]]]);
  const span = () => {
    const [[x0, y0], [x1, y1]] = at.values();
    return { distance: Math.hypot(x1 - x0, y1 - y0), x: (x0 + x1) / 2, y: (y0 + y1) / 2 };
  };
  const start = span();
  const sent = { distance: 0, x: 0, y: 0 };
  const moved = new Set();
  const axes = [["distance", up, down, zoom], ["x", right, left, pan], ["y", down, up, pan]];
  function count() {
    moved.clear();
    const now = span();
    return axes.flatMap(([axis, forward, back, mode]) => {
      const travel = travel_keys(steps, now[axis] - start[axis], sent[axis], forward, back);
      sent[axis] = travel.sent;
      return travel.keys.map((key) => ({ key, mode }));
    });
  }
  return {
    fingers: () => [...at.keys()],
    // The steps a finger's move to (x, y) makes.
    move(id, x, y) {
      const steps = moved.has(id) ? count() : [];
      at.set(id, [x, y]);
      moved.add(id);
      return moved.size === 2 ? [...steps, ...count()] : steps;
    },
    // The steps of the moves not yet counted, as a finger lifts.
    end: () => (moved.size ? count() : []),
  };
}

// What follows the gestures beside the program: `pointer` takes the
// page's pointer events ({what: "down", id, x, y, touch, button, shift},
// {what: "move", id, x, y}, {what: "up", id}), `wheel` its wheel's, and
// `end` ends every gesture (the page started afresh, lost the focus, or
// the browser cancelled a pointer). Each step goes to `press` (its key and
// its mode, or current_mode). `rule()` is the running
// program's rule, {travel_steps, drag_mode}, or null while there is none:
// a finger's or the wheel's travel then waits, and counts once there is;
// a mouse button, whose mode the rule names, starts no drag.
export function make_gestures(press, rule) {
  const touches = new Map(); // the fingers on the canvas: id -> {id, x, y}
  let drag = null; // one pointer's: {id, x, y, sent_x, sent_y, mode}
  let pinch = null;
  const send = (steps) => steps.forEach(({ key, mode }) => press(key, mode));
  const steps = (travel, sent) => rule()?.travel_steps(travel, sent) ?? 0;
  const start_drag = (pointer, mode) => {
    drag = { id: pointer.id, x: pointer.x, y: pointer.y, sent_x: 0, sent_y: 0, mode };
  };
  const end = () => {
    drag = pinch = null;
    touches.clear();
  };
  const on_down = ({ id, x, y, touch, button, shift }) => {
    const pointer = { id, x, y };
    if (touch) {
      touches.set(id, pointer);
      if (touches.size === 1) {
        start_drag(pointer, current_mode);
      } else if (touches.size === 2) {
        drag = null;
        pinch = make_pinch(...touches.values(), steps);
      }
      return;
    }
    const mode = rule()?.drag_mode(button, shift) ?? no_drag;
    if (!drag && mode !== no_drag)
      start_drag(pointer, mode);
  };
  const on_move = ({ id, x, y }) => {
    if (touches.has(id))
      Object.assign(touches.get(id), { x, y });
    if (pinch?.fingers().includes(id)) {
      send(pinch.move(id, x, y));
    } else if (drag?.id === id) {
      const across = travel_keys(steps, x - drag.x, drag.sent_x, right, left);
      const along = travel_keys(steps, y - drag.y, drag.sent_y, down, up);
      drag.sent_x = across.sent;
      drag.sent_y = along.sent;
      send([...across.keys, ...along.keys].map((key) => ({ key, mode: drag.mode })));
    }
  };
  // A finger that lifts from two ends the pinch; the other one drags on
  // from where it is, without a jump.
  const on_up = ({ id }) => {
    touches.delete(id);
    if (pinch?.fingers().includes(id)) {
      send(pinch.end());
      pinch = null;
      const [rest] = touches.values();
      if (rest)
        start_drag(rest, current_mode);
    } else if (drag?.id === id) {
      drag = null;
    }
  };
  const wheel = make_wheel(steps);
  const handlers = { down: on_down, move: on_move, up: on_up };
  return {
    pointer: (event) => handlers[event.what]?.(event),
    wheel: (delta_y, delta_mode) => send(wheel(delta_y, delta_mode)),
    end,
  };
}

// Follows the gestures on the canvas inside `screen`, handing the
// pointer's events and the wheel's to `forward` ({type: "pointer", ...} or
// {type: "wheel", delta_y, delta_mode}, as make_gestures takes them); a
// tap only focuses. Elsewhere on the page, scrolling and zooming are the
// browser's.
export function watch_gestures(screen, forward, focus) {
  const held = new Set(); // the pointers down on the canvas
  const on_canvas = (event) => event.target.id === "canvas";
  screen.addEventListener("pointerdown", (event) => {
    if (!on_canvas(event))
      return;
    focus();
    held.add(event.pointerId);
    forward({ type: "pointer", what: "down", id: event.pointerId, x: event.clientX,
              y: event.clientY, touch: event.pointerType === "touch", button: event.button,
              shift: event.shiftKey });
    screen.setPointerCapture(event.pointerId);
  });
  screen.addEventListener("pointermove", (event) => {
    if (held.has(event.pointerId))
      forward({ type: "pointer", what: "move", id: event.pointerId, x: event.clientX,
                y: event.clientY });
  });
  const lift = (event) => {
    if (held.delete(event.pointerId))
      forward({ type: "pointer", what: "up", id: event.pointerId });
  };
  screen.addEventListener("pointerup", lift);
  screen.addEventListener("lostpointercapture", lift);
  screen.addEventListener("pointercancel", () => {
    held.clear();
    forward({ type: "end_gestures" });
  });
  // Ctrl+wheel too, as browsers send a trackpad's pinch: the browser's own
  // zoom does not happen over the canvas, nor does the page scroll.
  screen.addEventListener("wheel", (event) => {
    event.preventDefault();
    if (on_canvas(event))
      forward({ type: "wheel", delta_y: event.deltaY, delta_mode: event.deltaMode });
  }, { passive: false });
  // Safari's own pinch of the page.
  screen.addEventListener("gesturestart", (event) => event.preventDefault());
  screen.addEventListener("contextmenu", (event) => event.preventDefault());
  return () => held.clear();
}
