// The web build's page in Debian's Chromium (headless shell, WebGL 2 on SwiftShader), Firefox ESR (on
// the virtual display, WebGL 2 on llvmpipe), both driven by puppeteer-core, and WebKitGTK (llvmpipe,
// through its WebDriver): the pictures of ?at= against the native --frames pictures, the page as a
// person meets it, a lost context, the bad cases' messages; in Chromium also a phone's touches and
// the download under a phone's network.
// Environment: LIGHTRIG_WEB_FOLDER (the page's folder), LIGHTRIG_SHOW (the native build's show/ folder),
// LIGHTRIG_WEB_WORK (a scratch folder), LIGHTRIG_BROWSERS (optional: some of "chromium firefox webkit").
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { browsers, openPage, serveFolder, unavailableReason } from './browsers.mjs';

const FOLDER = process.env.LIGHTRIG_WEB_FOLDER;
const SHOW = process.env.LIGHTRIG_SHOW;
const WORK = process.env.LIGHTRIG_WEB_WORK;
const FPS = 60;
// One moment in each part, one just after the change from part A to C (its light cross-fade), and
// the credits.
const MOMENTS = (process.env.LIGHTRIG_WEB_MOMENTS || '20,80,100,140,167').split(',').map(Number);
// The moment the lost-context case starts at: ten seconds before the show's end, the credits.
const LATE_MOMENT = 167;
const MAX_MEMORY_BYTES = 1 << 30;   // the wasm memory's maximum (cmake/web.cmake)
const MAX_FIRST_VISIT_BYTES = 10e6;
// A phone's network, as Chromium emulates it: 20 Mbit/s down and up, 40 ms round trip.
const PHONE_NETWORK = { download: 20e6 / 8, upload: 20e6 / 8, latency: 40 };
const MAX_MEAN_ERROR = 0.01;   // of the range, per channel: the rasterizers differ
// Software rasterizers: loading and a seek take minutes in a browser here.
const PICTURE_TIMEOUT_MS = 900000;
const FLOW_TIMEOUT_MS = 900000;
const replaced = new Map();   // URL path -> Buffer, or null for "not there": a test's changed package
const served = new Map();     // URL path -> bytes sent
let server;
let origin;

const chosen = (process.env.LIGHTRIG_BROWSERS || 'chromium firefox webkit').split(/[ ,]+/).filter(Boolean);

const frameOnCanvas = (page) => page.evaluate(() => Number(document.body.dataset.frame ?? -1));
const problemOnPage = (page) => page.evaluate(() => document.body.dataset.problem ?? '');
const lineOnPage = (page) => page.evaluate(() => document.getElementById('line').textContent);
const coverShown = (page) => page.evaluate(() => !document.getElementById('cover').hidden);
const audioClock = (page) => page.evaluate(() => {
  const context = globalThis.Module?.SDL2?.audioContext;
  return context ? { time: context.currentTime, state: context.state } : { time: -1, state: 'none' };
});

// Waits until the canvas holds frame `frame` or later (or the page says what went wrong).
async function waitForFrame(page, frame, timeout) {
  await page.waitForFunction((k) => Number(document.body.dataset.frame ?? -1) >= k || document.body.dataset.problem,
                             { timeout, polling: 200 }, frame);
  const problem = await problemOnPage(page);
  assert.equal(problem, '', `the page stopped: ${await lineOnPage(page)}\n${(await page.consoleLines).join('\n')}`);
}

// GL errors, the program's error lines (the page sends them to console.warn) and the page's own
// failures; the program's progress lines are fine, and so is Chromium's notice that SDL's audio
// output (a ScriptProcessorNode) is deprecated.
const BROWSER_NOTICES = /ScriptProcessorNode is deprecated/;
async function consoleProblems(page) {
  return (await page.consoleLines).filter((l) => /^(warn|warning|error|pageerror):|ERROR \d+ in /.test(l) &&
                                                 !BROWSER_NOTICES.test(l));
}

// The page's own record of what the page and the program printed (the same in every engine).
async function programProblems(page) {
  return (await page.evaluate(() => window.lightrigConsole)).filter((l) => !l.startsWith('log: '));
}

// Mean absolute error of two pictures as a fraction of the range, by ImageMagick.
function meanError(a, b) {
  let out;
  try {
    out = execFileSync('compare', ['-metric', 'MAE', a, b, 'null:'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (e) {
    out = `${e.stdout || ''}${e.stderr || ''}`;   // compare exits 1 when the pictures differ
  }
  const match = /\(([\d.e+-]+)\)/.exec(out);
  assert.ok(match, `compare said: ${out}`);
  return Number(match[1]);
}

function nativePicture(seconds) {
  return path.join(WORK, "native", `frame-${seconds}.png`);   // the moment as it was given
}

// test.html: the page with the tests' prelude (test_prelude.js) run before its own script.
function servePreludedPage() {
  const page = fs.readFileSync(path.join(FOLDER, 'index.html'), 'utf8');
  const prelude = fs.readFileSync(new URL('./test_prelude.js', import.meta.url));
  assert.ok(page.includes('<script src="page.js">'));
  replaced.set('/test.html', Buffer.from(page.replace('<script src="page.js">',
                                                      '<script src="test_prelude.js"></script><script src="page.js">')));
  replaced.set('/test_prelude.js', prelude);
}

before(() => {
  assert.ok(FOLDER && fs.existsSync(path.join(FOLDER, 'index.html')), `no page in ${FOLDER}`);
  fs.mkdirSync(path.join(WORK, 'native'), { recursive: true });
  servePreludedPage();
  return serveFolder(FOLDER, replaced, served).then((running) => ({ origin, server } = running));
});
after(() => server && server.close());

describe('native pictures', () => {
  test('--frames --at of the same build, the reference of the pictures in the browsers', { timeout: PICTURE_TIMEOUT_MS }, () => {
    const missing = [...new Set([...MOMENTS, LATE_MOMENT])].filter((t) => !fs.existsSync(nativePicture(t)));
    if (missing.length === 0) return;
    execFileSync('./lightrig', ['--frames', path.join(WORK, 'native'), '--at', missing.join(','), '--fps', String(FPS)],
                 { cwd: SHOW, stdio: ['ignore', 'ignore', 'inherit'], env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
    for (const t of missing) assert.ok(fs.existsSync(nativePicture(t)), `no native picture of ${t} s`);
  });
});

for (const name of chosen) {
  const kind = browsers[name];
  assert.ok(kind, `no browser called ${name}`);
  describe(name, { skip: kind.available ? false : `${name} cannot be had here (${unavailableReason[name]})` }, () => {
    let browser;
    before(async () => { browser = await kind.launch(); });
    after(async () => browser && browser.close());

    test('?at= draws the exact picture of each moment, alone on the canvas', { timeout: PICTURE_TIMEOUT_MS * MOMENTS.length }, async () => {
      const errors = [];
      for (const t of MOMENTS) {
        const opened = Date.now();
        const page = await openPage(browser, `${origin}/index.html?at=${t}`);
        const frame = Math.round(t * FPS);
        await waitForFrame(page, frame, PICTURE_TIMEOUT_MS);
        assert.equal(await frameOnCanvas(page), frame, 'a still moment stays on its frame');
        assert.equal(await coverShown(page), false, 'nothing over the picture');
        const shot = path.join(WORK, `${name}-${t}.png`);
        const canvas = await page.$('#canvas');
        await canvas.screenshot({ path: shot });
        const error = meanError(shot, nativePicture(t));
        errors.push(`${t} s: ${(error * 100).toFixed(3)}% (on the canvas in ${((Date.now() - opened) / 1000).toFixed(1)} s)`);
        assert.ok(error < MAX_MEAN_ERROR, `${name} at ${t} s differs from --frames by ${(error * 100).toFixed(2)}% (${shot})`);
        assert.deepEqual(await consoleProblems(page), []);
        await page.close();
      }
      console.log(`${name}: mean absolute error against --frames: ${errors.join(', ')}`);
    });

    test('start screen, a click, loading, the show playing with its music, Escape ending it', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await openPage(browser, `${origin}/index.html`);
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 30000 });
      assert.equal(await coverShown(page), true);
      const clicked = Date.now();
      await page.mouse.click(960, 540);
      await waitForFrame(page, 0, FLOW_TIMEOUT_MS);
      console.log(`${name}: ${((Date.now() - clicked) / 1000).toFixed(1)} s from the click to the first frame`);
      const first = await frameOnCanvas(page);
      const audioBefore = await page.evaluate(() => globalThis.Module?.SDL2?.audioContext?.currentTime ?? -1);
      await waitForFrame(page, first + 2, FLOW_TIMEOUT_MS);
      const audioAfter = await page.evaluate(() => globalThis.Module?.SDL2?.audioContext?.currentTime ?? -1);
      const audioState = await page.evaluate(() => globalThis.Module?.SDL2?.audioContext?.state ?? 'none');
      assert.ok(audioBefore >= 0, 'the music plays through an AudioContext');
      assert.ok(audioAfter > audioBefore,
                `the audio clock advances with the show (${audioBefore} -> ${audioAfter}, the context ${audioState})`);
      await page.keyboard.press('Escape');
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('The end'), { timeout: 60000 });
      assert.equal(await coverShown(page), true, 'a line to play again');
      assert.deepEqual(await consoleProblems(page), []);
      await page.close();
    });

    // One page from #t= to the show's end: its clock held while the context is lost during loading
    // and during the show, so that the picture after each restore can be held against --frames.
    test('#t= lands on its exact picture, a lost context brings it back, the screen is kept on, the show ends within its memory',
         { timeout: FLOW_TIMEOUT_MS }, async () => {
      // Without the full-screen API (as on an iPhone): the canvas stays the window's size.
      const page = await openPage(browser, `${origin}/test.html?test=nofullscreen#t=${LATE_MOMENT}`);
      const frame = LATE_MOMENT * FPS;
      const lose = () => page.evaluate(() => {
        window.lightrigTest.loser = window.GLctx.getExtension('WEBGL_lose_context');
        window.lightrigTest.loser.loseContext();
      });
      const restore = () => page.evaluate(() => window.lightrigTest.loser.restoreContext());
      const lostLineShown = () => page.waitForFunction(() => !document.getElementById('cover').hidden &&
        document.getElementById('line').textContent.includes('took the graphics away'), { timeout: 60000, polling: 100 });
      // The frame on the canvas, and nothing over it: the program drew it again.
      const pictureBack = () => page.waitForFunction((k) => document.getElementById('cover').hidden &&
        Number(document.body.dataset.frame ?? -1) === k, { timeout: FLOW_TIMEOUT_MS, polling: 200 }, frame);
      const matchesNative = async (label) => {
        const shot = path.join(WORK, `${name}-restored-${label}.png`);
        await (await page.$('#canvas')).screenshot({ path: shot });
        const error = meanError(shot, nativePicture(LATE_MOMENT));
        console.log(`${name}: the picture after a context lost ${label}: ${(error * 100).toFixed(3)}% from --frames`);
        assert.ok(error < MAX_MEAN_ERROR, `${name}: after a context lost ${label}, ${(error * 100).toFixed(2)}% (${shot})`);
      };

      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 30000 });
      await page.evaluate(() => window.lightrigTest.holdClock(true));
      await page.mouse.click(960, 540);
      // Loading: the program has its context and draws its loading screen.
      await page.waitForFunction(() => window.GLctx && document.body.dataset.frame === undefined &&
        document.body.classList.contains('playing'), { timeout: FLOW_TIMEOUT_MS, polling: 100 });
      await lose();
      await lostLineShown();
      await restore();
      await pictureBack();
      await matchesNative('while loading');
      assert.deepEqual(await page.evaluate(() => window.lightrigTest.wake), { requests: 1, active: 1 },
                       'the screen is kept on while the show plays');

      await lose();
      await lostLineShown();
      assert.equal((await audioClock(page)).state, 'suspended', 'the music pauses while the context is away');
      assert.equal(await frameOnCanvas(page), frame);
      await restore();
      await pictureBack();
      await matchesNative('while playing');
      assert.equal((await audioClock(page)).state, 'running', 'the music goes on with the picture');

      // The tab to the background and back: the browser let go of the lock, the page takes it again.
      await page.evaluate(() => window.lightrigTest.setHidden(true));
      assert.equal(await page.evaluate(() => window.lightrigTest.wake.active), 0);
      await page.evaluate(() => window.lightrigTest.setHidden(false));
      await page.waitForFunction(() => window.lightrigTest.wake.active === 1, { timeout: 10000, polling: 100 });

      const audioAtRelease = (await audioClock(page)).time;
      await page.evaluate(() => window.lightrigTest.holdClock(false));
      await waitForFrame(page, frame + FPS, FLOW_TIMEOUT_MS);
      assert.ok((await audioClock(page)).time > audioAtRelease, 'the music plays on with the show');
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('The end') ||
        document.body.dataset.problem, { timeout: FLOW_TIMEOUT_MS, polling: 500 });
      assert.equal(await problemOnPage(page), '');
      assert.equal(await page.evaluate(() => window.lightrigTest.wake.active), 0, 'the lock is let go at the end');
      const memory = await page.evaluate(() => window.Module.HEAP8.length);
      console.log(`${name}: wasm memory at the show's end (its peak: it never shrinks): ${(memory / 2 ** 20).toFixed(0)} MB`);
      assert.ok(memory <= MAX_MEMORY_BYTES);
      assert.deepEqual(await programProblems(page), []);
      await page.close();
    });

    // The page's message for each bad case (its first line is in data-problem).
    async function problemSaid(page) {
      await page.waitForFunction(() => document.body.dataset.problem, { timeout: FLOW_TIMEOUT_MS, polling: 200 });
      return lineOnPage(page);
    }

    test('a browser without WebGL 2 is told so', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await openPage(browser, `${origin}/test.html?test=nowebgl2`);
      assert.match(await problemSaid(page), /no WebGL 2/);
      await page.close();
    });

    // Firefox reads the files of the page's own folder from disk, Chromium and WebKit do not.
    test('opened from disk: Firefox plays it, the others say how to serve it', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await openPage(browser, `file://${FOLDER}/index.html?at=1`);
      if (name === 'firefox') {
        await waitForFrame(page, FPS, FLOW_TIMEOUT_MS);
        assert.equal(await frameOnCanvas(page), FPS);
      } else {
        assert.match(await problemSaid(page), /python3 -m http\.server/);
      }
      await page.close();
    });

    test('an address that names no moment, or no number of frames to time, is told so', { timeout: FLOW_TIMEOUT_MS }, async () => {
      for (const [query, said] of [['at=soon', /names no moment/], ['bench=0', /bench=N times N frames/]]) {
        const page = await openPage(browser, `${origin}/index.html?${query}`);
        assert.match(await problemSaid(page), said);
        await page.close();
      }
    });

    // The frame-cost bench's side in the browser (bench/web_frame_cost.sh reads the figures).
    test('?bench= times frames of each part and gives the figures to the page', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await openPage(browser, `${origin}/index.html?bench=1`);
      await page.waitForFunction(() => document.body.dataset.frameCost || document.body.dataset.problem,
                                 { timeout: FLOW_TIMEOUT_MS, polling: 500 });
      assert.equal(await problemOnPage(page), '');
      const figures = await page.evaluate(() => document.body.dataset.frameCost);
      assert.match(figures, /^part A: [\d.]+, part C: [\d.]+, part B: [\d.]+$/);
      for (const ms of figures.match(/[\d.]+(?=,|$)/g).map(Number)) assert.ok(ms > 0, figures);
      // Per part a frame to set it up, one timed, one to go on: 9 frames from the show's first.
      assert.equal(await frameOnCanvas(page), 8);
      assert.equal(await coverShown(page), false);
      // Chromium's notice of the pixel read that waits for every frame: the wait is the point.
      assert.deepEqual((await consoleProblems(page)).filter((l) => !/GPU stall due to ReadPixels/.test(l)), []);
      await page.close();
    });

    test('a content file missing from the package: the show\'s own message and status', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const metadata = JSON.parse(fs.readFileSync(path.join(FOLDER, 'lightrig-data.js.metadata'), 'utf8'));
      metadata.files = metadata.files.filter((f) => f.filename !== '/data/sync1.csv');
      replaced.set('/lightrig-data.js.metadata', Buffer.from(JSON.stringify(metadata)));
      try {
        const page = await openPage(browser, `${origin}/index.html?at=1`);
        const said = await problemSaid(page);
        assert.match(said, /status 1/);
        assert.match(said, /sync1\.csv/);
        await page.close();
      } finally {
        replaced.delete('/lightrig-data.js.metadata');
      }
    });

    // Touch and a phone's screen, as Chromium emulates them: an iPhone has no full-screen API for an
    // element, and lets audio start only inside a gesture's handler.
    test('a phone: a tap starts the show and its audio, the canvas fills the window, a double tap toggles full screen',
         { skip: name !== 'chromium' && 'touch emulation is Chromium\'s', timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await browser.newPage();
      await page.setViewport({ width: 844, height: 390, hasTouch: true, isMobile: true });
      page.consoleLines = [];
      page.on('console', (message) => page.consoleLines.push(`${message.type()}: ${message.text()}`));
      await page.goto(`${origin}/test.html?test=nofullscreen`);
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 30000 });
      await page.touchscreen.tap(422, 195);
      const started = await page.evaluate(() => window.lightrigTest.resumes);
      assert.ok(started.length > 0 && started.every((type) => ['click', 'touchend', 'pointerup'].includes(type)),
                `the audio context is resumed inside the tap's handler (${started})`);
      await waitForFrame(page, 0, FLOW_TIMEOUT_MS);
      // The show held on its frame: the page answers touches at once, as a phone's would.
      await page.evaluate(() => window.lightrigTest.holdClock(true));
      const layout = await page.evaluate(() => {
        const rect = document.getElementById('canvas').getBoundingClientRect();
        const style = getComputedStyle(document.getElementById('canvas'));
        return { width: rect.width, height: rect.height, window: [innerWidth, innerHeight], fit: style.objectFit,
                 touch: style.touchAction, pageTouch: getComputedStyle(document.body).touchAction };
      });
      assert.deepEqual([layout.width, layout.height], layout.window, 'the canvas fills the window');
      assert.equal(layout.fit, 'contain', 'the show keeps its shape');
      assert.deepEqual([layout.touch, layout.pageTouch], ['none', 'none'], 'touches neither scroll nor zoom');

      // The phone suspended the audio (a call, the tab in the background): the next tap resumes it.
      await page.evaluate(() => window.Module.SDL2.audioContext.suspend());
      const before = (await page.evaluate(() => window.lightrigTest.resumes)).length;
      await page.touchscreen.tap(422, 195);
      const resumed = (await page.evaluate(() => window.lightrigTest.resumes)).slice(before);
      assert.ok(resumed.length > 0 && resumed.every((type) => type !== 'none'), `resumed inside the tap (${resumed})`);
      await page.waitForFunction(() => window.Module.SDL2.audioContext.state === 'running', { timeout: 10000 });

      // With a full-screen API (an iPad's), a double tap asks for it as F and a double-click do.
      await page.evaluate(() => {
        window.lightrigTest.fullscreenRequests = 0;
        Element.prototype.requestFullscreen = () => { window.lightrigTest.fullscreenRequests++; return Promise.resolve(); };
      });
      await new Promise((resolve) => setTimeout(resolve, 600));   // the taps before are no half of a double tap
      await page.touchscreen.tap(300, 200);
      await page.touchscreen.tap(302, 201);
      assert.equal(await page.evaluate(() => window.lightrigTest.fullscreenRequests), 1);
      assert.deepEqual(await page.evaluate(() => [scrollX, scrollY, visualViewport.scale]), [0, 0, 1]);
      assert.deepEqual(await consoleProblems(page), []);
      await page.close();
    });

    // A first visit from a static server that compresses nothing, and a second one, at a phone's
    // network speed: the figures of the README.
    test('the download: at most 10 MB on a first visit, the package kept for the second',
         { skip: name !== 'chromium' && 'network emulation is Chromium\'s', timeout: FLOW_TIMEOUT_MS }, async () => {
      const context = await browser.createBrowserContext();   // storage of its own: a first visit
      const visit = async () => {
        const page = await context.newPage();
        await page.setViewport({ width: 1920, height: 1080 });
        page.consoleLines = [];
        page.on('console', (message) => page.consoleLines.push(`${message.type()}: ${message.text()}`));
        await page.emulateNetworkConditions(PHONE_NETWORK);
        served.clear();
        await page.goto(`${origin}/index.html`, { waitUntil: 'domcontentloaded', timeout: FLOW_TIMEOUT_MS });
        await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 60000 });
        const clicked = Date.now();
        await page.mouse.click(960, 540);
        await waitForFrame(page, 0, FLOW_TIMEOUT_MS);
        const seconds = (Date.now() - clicked) / 1000;
        const bytes = [...served.values()].reduce((a, b) => a + b, 0);
        const packageSent = served.has('/lightrig.data.gz');
        await page.close();
        return { seconds, bytes, packageSent };
      };
      try {
        const first = await visit();
        const second = await visit();
        console.log(`${name}: first visit ${(first.bytes / 1e6).toFixed(2)} MB, ${first.seconds.toFixed(1)} s from the ` +
                    `click to the first frame; second visit ${(second.bytes / 1e6).toFixed(2)} MB, ` +
                    `${second.seconds.toFixed(1)} s (20 Mbit/s, 40 ms)`);
        assert.ok(first.packageSent);
        assert.ok(first.bytes <= MAX_FIRST_VISIT_BYTES, `${first.bytes} bytes on a first visit`);
        assert.equal(second.packageSent, false, 'the second visit takes the package from the browser\'s store');
      } finally {
        await context.close();
      }
    });
  });
}
