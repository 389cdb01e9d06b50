// The page around the program: its buttons, gestures on the picture, full
// screen, a picture of the user's own, and its service worker.
import { end_gestures, watch_gestures } from "./gestures.js";
import { end_hold, press, watch_buttons } from "./keys.js";
import { show } from "./panel.js";
import { picture_of, Refusal } from "./picture.js";
import { focus_view, start } from "./runs.js";
import { watch_fullscreen } from "./screen.js";

watch_buttons([...document.querySelectorAll("#keys button")],
              [...document.querySelectorAll("#legend th")].slice(1), focus_view);
watch_gestures(document.getElementById("screen"), press, focus_view);
watch_fullscreen(...["viewer", "full", "leave"].map((id) => document.getElementById(id)),
                 focus_view);
window.addEventListener("blur", () => {
  end_hold();
  end_gestures();
});

// The picture comes from beside the page, fetched while the program
// itself loads; when there is none, the program says so itself.
start(fetch("armor.raw")
  .then((response) => (response.ok ? response.arrayBuffer() : null))
  .catch(() => null));

// Starts afresh with the user's picture, or says why it cannot be one; the
// view on screen then stays as it was.
const picture_input = document.getElementById("picture");
const picture_message = document.getElementById("picture-message");
async function choose(file) {
  try {
    const picture = await picture_of(file);
    picture_message.textContent = "";
    start(Promise.resolve(picture.bytes));
    show(`page: now showing "${file.name}" (${picture.what})`, "page");
  } catch (error) {
    if (!(error instanceof Refusal))
      throw error;
    picture_message.textContent = error.message;
    show(`page: ${error.message}`, "page");
    focus_view();
  }
}
picture_input.addEventListener("change", () => {
  const file = picture_input.files[0];
  picture_input.value = ""; // the same file may be chosen again
  if (file)
    choose(file);
});
document.addEventListener("dragover", (event) => event.preventDefault());
document.addEventListener("drop", (event) => {
  event.preventDefault();
  const file = event.dataTransfer?.files[0];
  if (file)
    choose(file);
});

// Kept for offline use where the browser lets a service worker run; the
// page works the same where it does not.
if ("serviceWorker" in navigator)
  window.addEventListener("load", () => navigator.serviceWorker.register("sw.js").catch(
    (error) => console.warn(`page: no service worker: ${error.message}`)));
