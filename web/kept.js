// The user's own picture, kept for the life of the tab (sessionStorage),
// so that a reload or a discarded tab comes back with it; a new tab, or an
// address sent to someone, starts with the served picture. The picture as
// base64 is 256 KB, well within what every browser's storage takes.

import { picture_bytes } from "./program.js";

const key = "textures.picture";

// Keeps the picture; the browser's reason where it refuses (private
// browsing, a full quota, storage turned off), else null.
export function keep_picture(name, what, bytes) {
  const raw = new Uint8Array(bytes);
  let text = "";
  for (let at = 0; at < raw.length; at += 0x8000)
    text += String.fromCharCode(...raw.subarray(at, at + 0x8000));
  try {
    sessionStorage.setItem(key, JSON.stringify({ name, what, raw: btoa(text) }));
    return null;
  } catch (error) {
    return error.message || error.name;
  }
}

// The picture kept, { name, what, bytes }, or null where there is none
// that can serve.
export function kept_picture() {
  try {
    const { name, what, raw } = JSON.parse(sessionStorage.getItem(key));
    const bytes = Uint8Array.from(atob(raw), (c) => c.charCodeAt(0));
    if (bytes.length !== picture_bytes)
      return null;
    return { name: String(name), what: String(what), bytes: bytes.buffer };
  } catch {
    return null;
  }
}

export function forget_picture() {
  try {
    sessionStorage.removeItem(key);
  } catch {
    // Nothing was kept where storage is refused.
  }
}
