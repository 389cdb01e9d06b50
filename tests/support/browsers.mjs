// The two browsers the web tests and benchmark drive, as installed from
// Debian: headless Chromium, and Firefox ESR on the display; and axe-core,
// which checks a page's accessibility from inside it.
import fs from "node:fs";
import { createRequire } from "node:module";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

// A module of the page, as a build leaves them in the folder
// TEXTURES_PAGE_MODULES names: program.js written from the program's table
// and headers.
export const page_module = (name) =>
  import(pathToFileURL(path.join(process.env.TEXTURES_PAGE_MODULES, `${name}.js`)));
export const program_module = () => page_module("program");

export const axe_source = () =>
  fs.readFileSync(createRequire(import.meta.url).resolve("axe-core"), "utf8");

const options = {
  chromium: {
    browser: "chrome",
    executablePath: "/usr/bin/chromium",
    headless: true,
    // WebGL without a GPU; the rest keeps Chromium off the network.
    args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--no-first-run", "--disable-quic"],
  },
  // Headless Firefox has no WebGL here; on a (virtual) display it has.
  firefox: {
    browser: "firefox",
    executablePath: "/usr/bin/firefox-esr",
    headless: false,
    extraPrefsFirefox: { "webgl.force-enabled": true },
  },
};
// Firefox as a user has it who has turned service workers off.
options["firefox-no-workers"] = {
  ...options.firefox,
  extraPrefsFirefox: { ...options.firefox.extraPrefsFirefox, "dom.serviceWorkers.enabled": false },
};

// The screens pages are shown on: a 1280 x 800 desktop, the same on a
// screen of 3 device pixels a CSS pixel, a smaller window (800 x 500) on
// that screen, the desktop with a touch screen, a phone (390 x 844, 3
// device pixels a CSS pixel), the phone turned (844 x 390) and a small
// phone (320 x 568).
export const devices = {
  desktop: { width: 1280, height: 800 },
  desktop3x: { width: 1280, height: 800, deviceScaleFactor: 3 },
  window3x: { width: 800, height: 500, deviceScaleFactor: 3 },
  touch: { width: 1280, height: 800, hasTouch: true },
  phone: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  landscape: { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  small: { width: 320, height: 568, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
};

// Run in the page: waits until the service worker of the newest build is in
// charge, asking the server for it first, and gives the names of the caches.
export async function newest_worker() {
  const registration = await navigator.serviceWorker.ready;
  await registration.update();
  while (registration.installing || registration.waiting ||
         registration.active?.state !== "activated")
    await new Promise((resolve) => setTimeout(resolve, 50));
  return caches.keys();
}

// The browser, with a home of its own in the temporary folder, gone when
// it closes: what it keeps there (crash reports, a downloads folder) stays
// out of the user's.
export async function launch(name) {
  if (!(name in options))
    throw new Error(`unknown browser ${name}`);
  const home = fs.mkdtempSync(path.join(os.tmpdir(), "textures-browser-"));
  // Its configuration and data folders too, as they derive from the home.
  const { XDG_CONFIG_HOME, XDG_DATA_HOME, ...env } = process.env;
  const browser = await puppeteer.launch({ ...options[name], env: { ...env, HOME: home },
                                           defaultViewport: { width: 1280, height: 800 } });
  browser.on("disconnected", () => fs.rmSync(home, { recursive: true, force: true }));
  return browser;
}
