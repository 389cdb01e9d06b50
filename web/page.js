// The page around the program: its buttons, gestures on the picture, full
// screen, the view in the address and sharing it, a picture of the user's
// own kept for the tab, and its service worker.
import { address_of, view_of } from "./address.js";
import { watch_gestures } from "./gestures.js";
import { end_hold, watch_buttons, watch_typed_keys } from "./keys.js";
import { forget_picture, keep_picture, kept_picture } from "./kept.js";
import { show } from "./panel.js";
import { picture_of, Refusal } from "./picture.js";
import { current_mode } from "./program.js";
import { first_frame, focus_view, show_view, start, to_program, type_key, view_now }
  from "./runs.js";
import { watch_fullscreen } from "./screen.js";

const element = (id) => document.getElementById(id);
const press = (key, mode = current_mode) => to_program({ type: "press", key, mode });
watch_typed_keys(type_key);
watch_buttons([...document.querySelectorAll("#keys button")], element("legend"), focus_view, press);
const end_gestures = watch_gestures(element("screen"), to_program, focus_view);
watch_fullscreen(element("viewer"), element("full"), element("leave"), focus_view);
window.addEventListener("blur", () => {
  end_hold();
  end_gestures();
  to_program({ type: "end_gestures" });
});
// Back from the back/forward cache, just as it was: the keys go on at once.
window.addEventListener("pageshow", (event) => event.persisted && focus_view());

// The view the address holds, or null; one that looks like a view but
// cannot be one is refused, and the page shows `instead`.
function address_view(instead) {
  const { view, refused } = view_of(location.hash);
  if (refused)
    show(`page: the address's view is refused (${refused}); the page shows ${instead}`, "page");
  return view ?? null;
}
window.addEventListener("hashchange", () => {
  const view = address_view("the view as it was");
  if (view)
    show_view(view);
});

// The served picture comes from beside the page, fetched while the program
// itself loads; when there is none, the program says so itself.
const served = () => fetch("armor.raw")
  .then((response) => (response.ok ? response.arrayBuffer() : null))
  .catch(() => null);
const served_button = element("served");
const kept = kept_picture();
start(kept ? Promise.resolve(kept.bytes) : served(), { view: address_view("the start view") });
if (kept) {
  show(`page: showing "${kept.name}" (${kept.what}) again, kept for this tab`, "page");
  served_button.hidden = false;
}
served_button.addEventListener("click", () => {
  forget_picture();
  served_button.hidden = true;
  start(served());
  show("page: now showing the served picture", "page");
});

// Starts afresh with the user's picture, kept for the tab, or says why it
// cannot be one; the view on screen then stays as it was.
const picture_input = element("picture");
const picture_message = element("picture-message");
async function choose(file) {
  try {
    const picture = await picture_of(file);
    picture_message.textContent = "";
    start(Promise.resolve(picture.bytes));
    show(`page: now showing "${file.name}" (${picture.what})`, "page");
    served_button.hidden = false;
    const refusal = keep_picture(file.name, picture.what, picture.bytes);
    if (refusal)
      show(`page: this browser keeps no picture for the tab (${refusal}); a reload shows the ` +
           "served picture", "page");
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

// The address of the view on screen, to the system's share sheet where
// there is one, else to the clipboard; the page says which, or why not.
const share_message = element("share-message");
element("share").addEventListener("click", async () => {
  const view = view_now();
  const address = view ? address_of(view) : location.href;
  let said;
  try {
    if (navigator.share) {
      await navigator.share({ title: document.title, url: address });
      said = "the address of this view went to the share sheet";
    } else {
      await navigator.clipboard.writeText(address);
      said = `the address of this view is on the clipboard: ${address}`;
    }
  } catch (error) {
    said = error.name === "AbortError" ? "the address was not shared"
      : `the address could not be shared (${error.message}); it is ${address}`;
  }
  share_message.textContent = said;
  show(`page: ${said}`, "page");
  focus_view();
});

// Kept for offline use where the browser lets a service worker run; the
// page works the same where it does not. Its install fetches every file
// again, so it waits for the first frame rather than slow the start.
if ("serviceWorker" in navigator)
  first_frame.then(() => navigator.serviceWorker.register("sw.js").catch(
    (error) => console.warn(`page: no service worker: ${error.message}`)));
