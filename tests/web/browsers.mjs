// Debian's Chromium (headless shell, WebGL 2 on SwiftShader) and Firefox ESR (on the virtual display,
// WebGL 2 on llvmpipe) as puppeteer-core launches them for the page, WebKitGTK (llvmpipe) through its
// WebDriver, and a static server for the page's folder: shared by the browser tests and the
// frame-cost bench.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { launchWebKit, MINIBROWSER, webkitAvailable } from './webkit.mjs';

// Software rasterizers: loading and a seek take minutes in a browser here.
export const PROTOCOL_TIMEOUT_MS = 900000;

export const CHROMIUM = '/usr/bin/chromium-headless-shell';
export const FIREFOX = '/usr/bin/firefox-esr';
export const browsers = {
  chromium: {
    available: fs.existsSync(CHROMIUM),
    launch: () => puppeteer.launch({
      executablePath: CHROMIUM, headless: 'shell', protocolTimeout: PROTOCOL_TIMEOUT_MS,
      args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
             '--autoplay-policy=no-user-gesture-required', '--window-size=1920,1080'],
    }),
  },
  firefox: {
    // Headless Firefox offers no WebGL 2 here: it runs on the virtual display. Without a sound
    // device its audio contexts never start: the mock audio output stands in for one, its clock
    // running with the wall clock as Chromium's fake output does.
    available: fs.existsSync(FIREFOX) && !!process.env.DISPLAY,
    launch: () => puppeteer.launch({
      browser: 'firefox', executablePath: FIREFOX, headless: false, protocolTimeout: PROTOCOL_TIMEOUT_MS,
      extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0,
                           'full-screen-api.allow-trusted-requests-only': false,
                           'media.cubeb.force_mock_context': true },
    }),
  },
  webkit: {
    // On a virtual display of its own.
    available: webkitAvailable(),
    launch: () => launchWebKit(loopbackAddress(), PROTOCOL_TIMEOUT_MS),
  },
};
export const unavailableReason = {
  chromium: CHROMIUM,
  firefox: 'firefox-esr and a display',
  webkit: `webkit2gtk-driver (${MINIBROWSER}) and xvfb-run`,
};

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.png': 'image/png', '.jpg': 'image/jpeg', '.txt': 'text/plain', '.gz': 'application/gzip' };

// The machine's own loopback interface, as its network configuration names it.
export function loopbackAddress() {
  for (const entries of Object.values(os.networkInterfaces()))
    for (const entry of entries) if (entry.internal && entry.family === 'IPv4') return entry.address;
  throw new Error('no IPv4 loopback interface on this machine');
}

// Serves folder on a free port of the loopback interface; replaced maps a URL path to a Buffer that
// stands in for the file, or to null for "not there". served counts the bytes of the bodies sent,
// by path. Resolves to { origin, server }.
export function serveFolder(folder, replaced = new Map(), served = new Map()) {
  const serve = (request, response) => {
    const name = decodeURIComponent(request.url.split(/[?#]/)[0]);   // the path, without the query
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    let body = replaced.has(name) ? replaced.get(name) : null;
    if (!replaced.has(name) && file.startsWith(folder) && fs.existsSync(file) && fs.statSync(file).isFile())
      body = fs.readFileSync(file);
    if (body === null) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                              'Cache-Control': 'no-store' });
    if (request.method !== 'HEAD') served.set(name, (served.get(name) || 0) + body.length);
    response.end(request.method === 'HEAD' ? undefined : body);
  };
  return new Promise((resolve) => {
    const server = http.createServer(serve).listen(0, loopbackAddress(), () => {
      const { address, port } = server.address();
      resolve({ origin: `http://${address}:${port}`, server });
    });
  });
}

// Opens url in a page of the show's size, its console kept in page.consoleLines (WebKit's page
// reads the page's own record of it).
export async function openPage(browser, url) {
  const page = await browser.newPage();
  if (!page.setViewport) {
    await page.goto(url);
    return page;
  }
  await page.setViewport({ width: 1920, height: 1080 });
  page.consoleLines = [];
  page.on('console', (message) => page.consoleLines.push(`${message.type()}: ${message.text()}`));
  page.on('pageerror', (error) => page.consoleLines.push(`pageerror: ${error.message}`));
  await page.goto(url);
  return page;
}
