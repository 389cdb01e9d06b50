// Gestures on the picture, each counted in the program's own steps: one
// movement key a step, in the current view mode (a drag with one finger or
// the left button) or in the mode the gesture stands for, whatever the
// current one: zoom for the wheel and a pinch, pan for a right-button or
// Shift drag and two fingers moving together.

import { down, left, pan, right, up, zoom } from "./program.js";

// The keys for one axis's travel, one for every `step` px counted from
// where the gesture began less what has been sent, and what has been sent
// once they are: a gesture that turns back first uses up what it had left
// over.
export function travel_keys(travel, sent, forward, back, step = 10) {
  const keys = [];
  for (; travel - sent >= step; sent += step)
    keys.push(forward);
  for (; travel - sent <= -step; sent -= step)
    keys.push(back);
  return { keys, sent };
}

// A wheel event's deltaY in CSS px: lines and pages counted so that a
// notch is 100 px wherever it comes from (3 lines where a browser counts
// lines, a page where it counts pages), five steps of 20 px.
export function wheel_pixels(delta_y, delta_mode) {
  return delta_y * ([1, 100 / 3, 100][delta_mode] ?? 1);
}

// The steps of a wheel: scrolling up comes closer (up), down goes further
// (down); what is left over carries to the next event.
export function make_wheel() {
  let travel = 0, sent = 0;
  return (delta_y, delta_mode) => {
    travel += wheel_pixels(delta_y, delta_mode);
    const moved = travel_keys(travel, sent, down, up, 20);
    sent = moved.sent;
    return moved.keys.map((key) => ({ key, mode: zoom }));
  };
}

// Two fingers, each {id, x, y}: every 10 px change of the distance between
// them zooms (up apart, down together), and every 10 px of their midpoint's
// travel pans, as a drag does. Their moves may arrive a finger at a time,
// so they count once both fingers have moved, or once one moves again
// while the other stays: fingers that keep their distance make no zoom
// step.
export function make_pinch(a, b) {
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
      const travel = travel_keys(now[axis] - start[axis], sent[axis], forward, back);
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

const touches = new Map(); // the fingers on the canvas: id -> {id, x, y}
let drag = null; // one pointer's: {id, x, y, sent_x, sent_y, mode}
let pinch = null;

function start_drag(pointer, mode) {
  drag = { id: pointer.id, x: pointer.x, y: pointer.y, sent_x: 0, sent_y: 0, mode };
}

// Ends every gesture: when the page starts afresh, loses the focus, or the
// browser cancels a pointer.
export function end_gestures() {
  drag = pinch = null;
  touches.clear();
}

// Follows the gestures on the canvas inside `screen`, handing each step to
// `press` (its key and its mode, or null for the current mode); a tap only
// focuses. Elsewhere on the page, scrolling and zooming are the browser's.
export function watch_gestures(screen, press, focus) {
  const send = (steps) => steps.forEach(({ key, mode }) => press(key, mode));
  const on_canvas = (event) => event.target.id === "canvas";
  screen.addEventListener("pointerdown", (event) => {
    if (!on_canvas(event))
      return;
    focus();
    const pointer = { id: event.pointerId, x: event.clientX, y: event.clientY };
    if (event.pointerType === "touch") {
      touches.set(pointer.id, pointer);
      if (touches.size === 1) {
        start_drag(pointer, null);
      } else if (touches.size === 2) {
        drag = null;
        pinch = make_pinch(...touches.values());
      }
    } else if (!drag && (event.button === 0 || event.button === 2)) {
      start_drag(pointer, (event.button === 2 || event.shiftKey) ? pan : null);
    } else {
      return;
    }
    screen.setPointerCapture(event.pointerId);
  });
  screen.addEventListener("pointermove", (event) => {
    const { pointerId: id, clientX: x, clientY: y } = event;
    if (touches.has(id))
      Object.assign(touches.get(id), { x, y });
    if (pinch?.fingers().includes(id)) {
      send(pinch.move(id, x, y));
    } else if (drag?.id === id) {
      const across = travel_keys(x - drag.x, drag.sent_x, right, left);
      const along = travel_keys(y - drag.y, drag.sent_y, down, up);
      drag.sent_x = across.sent;
      drag.sent_y = along.sent;
      send([...across.keys, ...along.keys].map((key) => ({ key, mode: drag.mode })));
    }
  });
  // A finger that lifts from two ends the pinch; the other one drags on
  // from where it is, without a jump.
  const lift = (event) => {
    const id = event.pointerId;
    touches.delete(id);
    if (pinch?.fingers().includes(id)) {
      send(pinch.end());
      pinch = null;
      const [rest] = touches.values();
      if (rest)
        start_drag(rest, null);
    } else if (drag?.id === id) {
      drag = null;
    }
  };
  screen.addEventListener("pointerup", lift);
  screen.addEventListener("lostpointercapture", lift);
  screen.addEventListener("pointercancel", end_gestures);
  const wheel = make_wheel();
  // Ctrl+wheel too, as browsers send a trackpad's pinch: the browser's own
  // zoom does not happen over the canvas, nor does the page scroll.
  screen.addEventListener("wheel", (event) => {
    event.preventDefault();
    if (on_canvas(event))
      send(wheel(event.deltaY, event.deltaMode));
  }, { passive: false });
  // Safari's own pinch of the page.
  screen.addEventListener("gesturestart", (event) => event.preventDefault());
  screen.addEventListener("contextmenu", (event) => event.preventDefault());
}
