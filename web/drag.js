// Drags on the picture: every 10 px of travel along an axis, counted from
// where the drag began less what has been sent, is one movement key.

// The keys for one axis's travel, and what has been sent once they are.
export function travel_keys(travel, sent, forward, back) {
  const keys = [];
  for (; travel - sent >= 10; sent += 10)
    keys.push(forward);
  for (; travel - sent <= -10; sent -= 10)
    keys.push(back);
  return { keys, sent };
}

let drag = null;

// Ends the drag, when the page starts afresh or loses the focus.
export function end_drag(event) {
  if (drag && (!event || event.pointerId === drag.id))
    drag = null;
}

function send(travel, sent, forward, back, press) {
  const moved = travel_keys(travel, sent, forward, back);
  moved.keys.forEach(press);
  return moved.sent;
}

// Follows drags by one pointer on `screen`, handing each key to `press`;
// a second finger is ignored, and a tap only focuses.
export function watch_drags(screen, press, focus) {
  screen.addEventListener("pointerdown", (event) => {
    focus();
    if (drag || !event.isPrimary || event.button !== 0)
      return;
    drag = { id: event.pointerId, x: event.clientX, y: event.clientY, sent_x: 0, sent_y: 0 };
    screen.setPointerCapture(event.pointerId);
  });
  screen.addEventListener("pointermove", (event) => {
    if (!drag || event.pointerId !== drag.id)
      return;
    drag.sent_x = send(event.clientX - drag.x, drag.sent_x, "6", "4", press);
    drag.sent_y = send(event.clientY - drag.y, drag.sent_y, "2", "8", press);
  });
  for (const type of ["pointerup", "pointercancel", "lostpointercapture"])
    screen.addEventListener(type, end_drag);
  screen.addEventListener("contextmenu", (event) => event.preventDefault());
}
