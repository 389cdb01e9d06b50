// The two browsers the web tests and benchmark drive, as installed from
// Debian: headless Chromium, and Firefox ESR on the display.
import puppeteer from "puppeteer-core";

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

export function launch(name) {
  if (!(name in options))
    throw new Error(`unknown browser ${name}`);
  return puppeteer.launch({ ...options[name], defaultViewport: { width: 1280, height: 800 } });
}
