// The web build's page in Debian's Chromium (headless shell, WebGL 2 on SwiftShader) and Firefox ESR
// (on the virtual display, WebGL 2 on llvmpipe), driven by puppeteer-core: the pictures of ?at= against
// the native --frames pictures, the page as a person meets it, and the bad cases' messages.
// Environment: LIGHTRIG_WEB_FOLDER (the page's folder), LIGHTRIG_SHOW (the native build's show/ folder),
// LIGHTRIG_WEB_WORK (a scratch folder), LIGHTRIG_BROWSERS (optional: "chromium", "firefox" or both).
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { browsers, CHROMIUM, openPage, serveFolder } from './browsers.mjs';

const FOLDER = process.env.LIGHTRIG_WEB_FOLDER;
const SHOW = process.env.LIGHTRIG_SHOW;
const WORK = process.env.LIGHTRIG_WEB_WORK;
const FPS = 60;
// One moment in each part, one just after the change from part A to C (its light cross-fade), and
// the credits.
const MOMENTS = (process.env.LIGHTRIG_WEB_MOMENTS || '20,80,100,140,167').split(',').map(Number);
const MAX_MEAN_ERROR = 0.01;   // of the range, per channel: the rasterizers differ
// Software rasterizers: loading and a seek take minutes in a browser here.
const PICTURE_TIMEOUT_MS = 900000;
const FLOW_TIMEOUT_MS = 900000;
const replaced = new Map();   // URL path -> Buffer, or null for "not there": a test's changed package
let server;
let origin;

const chosen = (process.env.LIGHTRIG_BROWSERS || 'chromium firefox').split(/[ ,]+/).filter(Boolean);

const frameOnCanvas = (page) => page.evaluate(() => Number(document.body.dataset.frame ?? -1));
const problemOnPage = (page) => page.evaluate(() => document.body.dataset.problem ?? '');
const lineOnPage = (page) => page.evaluate(() => document.getElementById('line').textContent);
const coverShown = (page) => page.evaluate(() => !document.getElementById('cover').hidden);

// Waits until the canvas holds frame `frame` or later (or the page says what went wrong).
async function waitForFrame(page, frame, timeout) {
  await page.waitForFunction((k) => Number(document.body.dataset.frame ?? -1) >= k || document.body.dataset.problem,
                             { timeout, polling: 200 }, frame);
  const problem = await problemOnPage(page);
  assert.equal(problem, '', `the page stopped: ${await lineOnPage(page)}\n${page.consoleLines.join('\n')}`);
}

// GL errors, the program's error lines (the page sends them to console.warn) and the page's own
// failures; the program's progress lines are fine, and so is Chromium's notice that SDL's audio
// output (a ScriptProcessorNode) is deprecated.
const BROWSER_NOTICES = /ScriptProcessorNode is deprecated/;
function consoleProblems(page) {
  return page.consoleLines.filter((l) => /^(warn|warning|error|pageerror):|ERROR \d+ in /.test(l) &&
                                         !BROWSER_NOTICES.test(l));
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

before(() => {
  assert.ok(FOLDER && fs.existsSync(path.join(FOLDER, 'index.html')), `no page in ${FOLDER}`);
  fs.mkdirSync(path.join(WORK, 'native'), { recursive: true });
  return serveFolder(FOLDER, replaced).then((served) => ({ origin, server } = served));
});
after(() => server && server.close());

describe('native pictures', () => {
  test('--frames --at of the same build, the reference of the pictures in the browsers', { timeout: PICTURE_TIMEOUT_MS }, () => {
    const missing = MOMENTS.filter((t) => !fs.existsSync(nativePicture(t)));
    if (missing.length === 0) return;
    execFileSync('./lightrig', ['--frames', path.join(WORK, 'native'), '--at', missing.join(','), '--fps', String(FPS)],
                 { cwd: SHOW, stdio: ['ignore', 'ignore', 'inherit'], env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
    for (const t of missing) assert.ok(fs.existsSync(nativePicture(t)), `no native picture of ${t} s`);
  });
});

for (const name of chosen) {
  const kind = browsers[name];
  assert.ok(kind, `no browser called ${name}`);
  describe(name, { skip: kind.available ? false : `${name} cannot be had here (${name === 'firefox' ? 'firefox-esr and a display' : CHROMIUM})` }, () => {
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
        assert.deepEqual(consoleProblems(page), []);
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
      assert.deepEqual(consoleProblems(page), []);
      await page.close();
    });

    test('#t= lands on its moment', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await openPage(browser, `${origin}/index.html#t=100`);
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 30000 });
      await page.keyboard.press('Enter');
      await waitForFrame(page, 0, FLOW_TIMEOUT_MS);
      const frame = await frameOnCanvas(page);
      assert.ok(frame >= 100 * FPS && frame < 110 * FPS, `frame ${frame} is not at 100 s`);
      await page.close();
    });

    // The page's message for each bad case (its first line is in data-problem).
    async function problemSaid(page) {
      await page.waitForFunction(() => document.body.dataset.problem, { timeout: FLOW_TIMEOUT_MS, polling: 200 });
      return lineOnPage(page);
    }

    test('a browser without WebGL 2 is told so', { timeout: FLOW_TIMEOUT_MS }, async () => {
      const page = await browser.newPage();
      await page.evaluateOnNewDocument(() => {
        const real = HTMLCanvasElement.prototype.getContext;
        HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
          return kind === 'webgl2' ? null : real.call(this, kind, ...rest);
        };
      });
      await page.goto(`${origin}/index.html`);
      assert.match(await problemSaid(page), /no WebGL 2/);
      await page.close();
    });

    // Firefox reads the files of the page's own folder from disk, Chromium does not.
    test('opened from disk: Firefox plays it, Chromium says how to serve it', { timeout: FLOW_TIMEOUT_MS }, async () => {
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
      assert.deepEqual(consoleProblems(page).filter((l) => !/GPU stall due to ReadPixels/.test(l)), []);
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
        replaced.clear();
      }
    });
  });
}
