// The page's worker, where the program runs off the page's thread. The
// program's side (program_host.js, with the program's script) and its
// WebAssembly load side by side; meanwhile a canvas that comes gets its
// context at once, which takes a while, and the messages wait for that
// side to be up. The worker's first file imports nothing, so that it
// starts as soon as can be.
const early = [];
self.onmessage = (event) => {
  const { data } = event;
  if (data.type === "start")
    data.webgl = data.canvas.getContext("webgl", data.attributes);
  early.push(event);
};
const wasm = fetch("textures.wasm");
const { serve } = await import("./program_host.js");
serve(self, wasm);
// serve's own handler, by now.
early.forEach((event) => self.onmessage(event));
