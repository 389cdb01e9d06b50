// The page's worker, where the program runs off the page's thread. The
// program's side (program_host.js, with the program's script) and its
// WebAssembly load side by side; meanwhile a canvas that comes gets its
// context at once, which takes a while, and the messages wait for that
// side to be up.
import { context_of } from "./context.js";

const early = [];
self.onmessage = (event) => {
  if (event.data.type === "start")
    context_of(event.data.canvas);
  early.push(event);
};
const wasm = fetch("textures.wasm");
const { serve } = await import("./program_host.js");
serve(self, wasm);
// serve's own handler, by now.
early.forEach((event) => self.onmessage(event));
