// A picture of the user's own, chosen or dropped: any image the browser
// reads, drawn at the picture's size, or a raw picture as the program reads
// it.

import { picture_bytes, picture_side as side } from "./program.js";

const max_pixels = 8192 * 8192;

// Why a file cannot be the picture; its message names the file.
export class Refusal extends Error {}

const count = (n) => n.toLocaleString("en-US");

// Browsers draw what they can of a cut-off PNG or JPEG; such a file is
// known by its missing end: a PNG's IEND chunk, a JPEG's end-of-image
// marker after its last scan. Gives the format so cut off, or null.
const png = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];
const starts = (bytes, signature) => signature.every((byte, i) => bytes[i] === byte);
export function cut_off(bytes) {
  if (starts(bytes, png)) {
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    for (let at = 8; at + 8 <= bytes.length;) {
      const type = String.fromCharCode(...bytes.subarray(at + 4, at + 8));
      at += 12 + view.getUint32(at);
      if (type === "IEND")
        return at > bytes.length ? "PNG" : null;
    }
    return "PNG";
  }
  if (starts(bytes, [0xff, 0xd8, 0xff])) {
    // Scans hold no FF D9: their FF bytes are followed by 00 or a restart.
    let scan = -1;
    for (let i = 0; i + 1 < bytes.length; ++i)
      if (bytes[i] === 0xff && bytes[i + 1] === 0xda)
        scan = i;
    for (let i = scan + 2; scan >= 0 && i + 1 < bytes.length; ++i)
      if (bytes[i] === 0xff && bytes[i + 1] === 0xd9)
        return null;
    return "JPEG";
  }
  return null;
}

// The raw picture of an RGBA image of the picture's size: the colour kept
// without its alpha, and the top row last, as the program's first row is the bottom.
export function raw_of(rgba) {
  const raw = new Uint8Array(picture_bytes);
  for (let row = 0; row < side; ++row)
    for (let x = 0; x < side; ++x) {
      const from = ((side - 1 - row) * side + x) * 4;
      raw.set(rgba.subarray(from, from + 3), (row * side + x) * 3);
    }
  return raw;
}

function too_large(file, width, height) {
  if (width * height > max_pixels)
    throw new Refusal(`"${file.name}" is too large to read here: ${count(width)} \u00d7 ` +
                      `${count(height)} pixels, more than ${count(max_pixels)} in all`);
}

// The image the browser makes of the file, or null when it makes none.
async function decoded(file) {
  const image = new Image();
  image.src = URL.createObjectURL(file);
  try {
    await new Promise((loaded, failed) => {
      image.onload = loaded;
      image.onerror = failed;
    });
    too_large(file, image.naturalWidth, image.naturalHeight);
    await image.decode();
    return image;
  } catch (error) {
    if (error instanceof Refusal)
      throw error;
    return null;
  } finally {
    URL.revokeObjectURL(image.src);
  }
}

// The image drawn at the picture's size whatever its shape, as RGBA; null where the
// browser cannot draw it (an SVG of no size, in Firefox).
function drawn(image) {
  const drawing = document.createElement("canvas");
  drawing.width = drawing.height = side;
  const context = drawing.getContext("2d", { willReadFrequently: true });
  context.imageSmoothingQuality = "high";
  try {
    context.drawImage(image, 0, 0, side, side);
  } catch {
    return null;
  }
  return context.getImageData(0, 0, side, side).data;
}

// The file as the program's picture, and what it was; throws a Refusal
// where it cannot be one.
export async function picture_of(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (bytes.length === 0)
    throw new Refusal(`"${file.name}" is empty`);
  const format = cut_off(bytes);
  if (format)
    throw new Refusal(`"${file.name}" is a ${format} cut off before its end`);
  // A PNG says its size before any of it is decoded.
  if (starts(bytes, png) && bytes.length >= 24) {
    const header = new DataView(bytes.buffer);
    too_large(file, header.getUint32(16), header.getUint32(20));
  }
  const image = await decoded(file);
  const rgba = image && drawn(image);
  if (!rgba) {
    if (bytes.length === picture_bytes)
      return { bytes: bytes.buffer, what: "a raw picture" };
    throw new Refusal(`"${file.name}" is not a picture the browser can read, nor a raw ` +
                      `picture of ${count(picture_bytes)} bytes`);
  }
  const { naturalWidth: width, naturalHeight: height } = image;
  return { bytes: raw_of(rgba).buffer,
           what: `${width} \u00d7 ${height}` +
                 (width === side && height === side ? "" : `, scaled to ${side} \u00d7 ${side}`) };
}
