// A run's WebGL context: the one GLUT asks for (RGB, double-buffered,
// depth), WebGL 1 as the emulation has it. Asked for once for each canvas
// and kept: the worker asks as soon as a canvas comes, while the program
// still loads (program_worker.js), the page's thread when the run starts,
// and Firefox refuses a second request in a worker.
export const context_attributes =
  { alpha: false, depth: true, stencil: false, antialias: false, majorVersion: 1 };

const made = new WeakMap();

export function context_of(canvas) {
  if (!made.has(canvas))
    made.set(canvas, canvas.getContext("webgl", context_attributes));
  return made.get(canvas);
}
