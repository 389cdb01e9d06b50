// The program's side of what the page and the program share: the keys it
// takes, its view modes, the fields of its view and their order (as
// platform_web.cpp hands them over), and its two console lines. The page's
// modules, its tests and its benchmark take them from here.

// The keys: four movement keys, laid out as on a keypad, the projection's
// reset and the next view mode. Each but the last draws a frame, and so
// prints a frame's line; the last prints a view mode's line.
export const keys = "8246rv";
export const [up, down, left, right, reset, next_mode] = keys;
export const movement_keys = keys.slice(0, 4);

// The view modes, in the order "v" steps through them.
export const view_modes = ["orbit", "zoom", "pan"];
export const [orbit, zoom, pan] = view_modes.keys();

// The view: the camera's fields as the program keeps them, then the view
// mode.
export const camera_fields = ["eye x", "eye y", "eye z", "look-at x", "look-at y", "look-at z",
                              "radius", "azimuth", "polar angle"];
export const view_field_count = camera_fields.length + 1;

// A line of the program's standard output: { rate } for a frame's line
// ("FPS: %f", the rate Infinity where the span was too short for the
// clock), { mode } for a view mode's line ("view mode: %d"), null for any
// other.
export function read_line(line) {
  const frame = /^FPS: (inf|\d+\.\d{6})$/.exec(line);
  if (frame)
    return { rate: frame[1] === "inf" ? Infinity : Number(frame[1]) };
  const mode = /^view mode: (\d)$/.exec(line);
  if (mode && Number(mode[1]) < view_modes.length)
    return { mode: Number(mode[1]) };
  return null;
}
