// The page's worker, where the program runs off the page's thread: the
// program's WebAssembly and script and its side of the page's messages
// (program_host.js), fetched side by side. Messages that come before that
// side is up wait for it.
"use strict";
const early = [];
self.onmessage = (event) => early.push(event);
const wasm = fetch("textures.wasm");
const host = import("./program_host.js");
importScripts("textures.js");
host.then(({ serve }) => {
  serve(self, wasm);
  early.forEach((event) => self.onmessage(event));
});
