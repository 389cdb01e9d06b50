// The view in the page's address, so that a reload, a discarded tab or an
// address sent to someone comes back to it: "#view=" then the view's
// fields as the program has them, separated by commas.
import { camera_fields, view_field_count, view_modes } from "./program.js";

const prefix = "#view=";
const modes = Object.keys(view_modes); // "0", "1", ...
// Longer than any view written here, by far; a longer fragment is junk.
const longest = 400;
const number = /^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$/i;

// The shortest decimal that reads back as the same single-precision value.
function shortest(value) {
  for (let digits = 1; digits < 9; ++digits) {
    const text = String(Number(value.toPrecision(digits)));
    if (Math.fround(Number(text)) === value)
      return text;
  }
  return String(Number(value.toPrecision(9)));
}

// The fragment of a view: the camera's fields (single-precision values)
// and the view mode.
export function fragment_of(view) {
  const camera = view.slice(0, camera_fields.length);
  return prefix + [...camera.map(shortest), view[camera_fields.length]].join(",");
}

// What an address's fragment holds, which anyone may have typed or sent:
// { view } where it is a view the program can take, { refused: why } where
// it looks like one but is not, and {} where it is something else. An odd
// view (a radius of 0.001, a polar angle past the pole) is a view.
export function view_of(fragment) {
  if (!fragment.startsWith(prefix))
    return {};
  if (fragment.length > longest)
    return { refused: `it is ${fragment.length} characters long` };
  const parts = fragment.slice(prefix.length).split(",");
  if (parts.length !== view_field_count)
    return { refused: `it has ${parts.length} fields, not ${view_field_count}` };
  const view = [];
  for (const [i, part] of parts.slice(0, camera_fields.length).entries()) {
    if (!number.test(part))
      return { refused: `field ${i + 1} is no number` };
    const value = Number(part);
    const single = Math.fround(value);
    if (!Number.isFinite(single) || (single === 0 && value !== 0))
      return { refused: `field ${i + 1} is out of single-precision range` };
    view.push(single);
  }
  const mode = parts[camera_fields.length];
  if (!modes.includes(mode))
    return { refused: `its view mode is none of ${modes.join(", ")}` };
  return { view: [...view, Number(mode)] };
}

// The page's address with the view in it.
export function address_of(view) {
  const address = new URL(location.href);
  address.hash = fragment_of(view);
  return address.href;
}

// Keeps the address's fragment on the view `read` gives (or leaves it,
// where that gives null), as it changes: written at most every 250 ms, so
// never more than once a frame, and at most 250 ms after the latest
// change. No history entry is added.
export function make_follower(read) {
  let written = -Infinity, timer = null;
  function write() {
    timer = null;
    written = performance.now();
    const view = read();
    const address = view && address_of(view);
    if (address && address !== location.href)
      history.replaceState(history.state, "", address);
  }
  return () => {
    if (timer === null)
      timer = setTimeout(write, Math.max(0, written + 250 - performance.now()));
  };
}
