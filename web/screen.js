// The canvas as the screen shows it: a drawing buffer as sharp as the
// screen, and the viewer filling the screen.

// The drawing buffer's side for a canvas side of `css` CSS px: as many
// pixels as it covers on the screen, up to 4096.
const buffer_side = (css, ratio) => Math.min(4096, Math.round(css * ratio));

// The drawing buffer the canvas needs now, [width, height]; null for one
// that covers no pixel (not shown), which keeps the one it has. The
// program's side gives it to the canvas.
export function buffer_of(canvas) {
  const { width, height } = canvas.getBoundingClientRect();
  const buffer = [buffer_side(width, devicePixelRatio), buffer_side(height, devicePixelRatio)];
  return buffer[0] === 0 || buffer[1] === 0 ? null : buffer;
}

// Calls `changed` whenever the canvas may need another drawing buffer: its
// size on the page has changed (a phone turned, the window resized, the
// browser's zoom, the viewer filling the screen), or the pixel ratio has
// (the page moved to another screen, the zoom again). Each new canvas is
// handed to the function returned.
export function watch_size(changed) {
  const sizes = new ResizeObserver(() => changed());
  const ratio = () => matchMedia(`(resolution: ${devicePixelRatio}dppx)`)
    .addEventListener("change", () => {
      changed();
      ratio();
    }, { once: true });
  ratio();
  return (canvas) => {
    sizes.disconnect();
    sizes.observe(canvas);
  };
}

// The buttons that make the viewer fill the screen ("#full", shown where
// the browser lets an element do so, not on an iPhone) and bring it back
// ("#leave", inside the viewer, shown while it fills the screen), as
// Escape does.
export function watch_fullscreen(viewer, full, leave, focus) {
  if (!document.fullscreenEnabled)
    return;
  full.hidden = false;
  full.addEventListener("click", () => viewer.requestFullscreen().catch(() => {}));
  leave.addEventListener("click", () => document.exitFullscreen());
  document.addEventListener("fullscreenchange", focus);
}
