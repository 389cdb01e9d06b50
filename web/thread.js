// Where the program runs, and the channel to it. The page asks for this
// module before any other and runs it as soon as it comes, so that the
// program loads beside the rest of the page: in a dedicated worker of the
// page (program_worker.js) where the browser can hand a canvas to one, and
// else on the page's own thread, as also where the address asks for it
// (`?thread=page`). Whether the worker can draw, the first run finds out
// (runs.js). The page speaks to it by messages alone, the same in both places
// (program_host.js).

let listener = null; // the page's, once it listens
const early = []; // what the program said before that
const hear = (data) => (listener ? listener(data) : early.push(data));

export let in_worker = new URLSearchParams(location.search).get("thread") !== "page" &&
  "transferControlToOffscreen" in HTMLCanvasElement.prototype;
let channel = in_worker ? Promise.resolve(worker()) : own_thread();

function worker() {
  const worker = new Worker("program_worker.js", { type: "module" });
  worker.onmessage = ({ data }) => hear(data);
  // A worker that fails, to start or later, is heard as the program is:
  // before a first frame, the page takes it as one that cannot draw.
  worker.onerror = () => hear({ type: "no_worker" });
  return worker;
}

// The program on the page's own thread: its side of the messages, at the
// other end of a channel within the thread.
async function own_thread() {
  const wasm = fetch("textures.wasm");
  const { serve } = await import("./program_host.js");
  // Messages go over as they are (a canvas too), in order, once the code
  // that sent them is done.
  const ends = [{}, {}];
  ends.forEach((end, i) => {
    end.postMessage = (data) => queueMicrotask(() => ends[1 - i].onmessage({ data }));
  });
  ends[0].onmessage = ({ data }) => hear(data);
  serve(ends[1], wasm);
  return ends[0];
}

// The page hears the program's messages here, those that came before too.
export function listen(to) {
  listener = to;
  early.splice(0).forEach(to);
}

// Hands the program a message, with what it takes over (a canvas).
export const post = (message, transfer = []) =>
  channel.then((to) => to.postMessage(message, transfer));

// The worker cannot draw: the program runs on the page's own thread from
// now on.
export function leave_worker() {
  in_worker = false;
  channel.then((worker) => worker.terminate());
  channel = own_thread();
}
