// The page's frames whatever the display's refresh rate: on a virtual 144 Hz clock (the page's
// performance.now and requestAnimationFrame replaced before its scripts run, advancing 1000/144 ms a
// refresh, so most refreshes bring no new frame) the canvas holds at frame k the picture --frames
// gives for it; and the loop: past the show's end the page plays its next turn.
// Environment: as page_test.mjs (LIGHTRIG_WEB_FOLDER, LIGHTRIG_SHOW, LIGHTRIG_WEB_WORK,
// LIGHTRIG_BROWSERS); WebKit runs its cases through page_test.mjs's driver only.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { browsers, openPage, serveFolder } from './browsers.mjs';

const FOLDER = process.env.LIGHTRIG_WEB_FOLDER;
const SHOW = process.env.LIGHTRIG_SHOW;
const WORK = process.env.LIGHTRIG_WEB_WORK;
const FPS = 60;
const HZ = 144;
const START_SECONDS = 57;       // the push at 56.85 s starts the title's fade-in, which a second step
                                // of a frame would advance
const FRAMES_PLAYED = 12;
const MAX_MEAN_ERROR = 0.01;    // as the ?at= pictures: the rasterizers differ
const TIMEOUT_MS = 900000;
const chosen = (process.env.LIGHTRIG_BROWSERS || 'chromium firefox').split(/[ ,]+/)
  .filter((name) => name in browsers && browsers[name].launch);
let server;
let origin;

const frameOnCanvas = (page) => page.evaluate(() => Number(document.body.dataset.frame ?? -1));

function meanError(a, b) {
  let out;
  try {
    out = execFileSync('compare', ['-metric', 'MAE', a, b, 'null:'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (e) {
    out = `${e.stdout || ''}${e.stderr || ''}`;
  }
  const match = /\(([\d.e+-]+)\)/.exec(out);
  assert.ok(match, `compare said: ${out}`);
  return Number(match[1]);
}

// The native build's picture of frame k of the 60 fps run.
function nativeFrame(k) {
  const dir = path.join(WORK, 'native-frames');
  const file = path.join(dir, `frame-${String(k).padStart(6, '0')}.png`);
  if (!fs.existsSync(file)) {
    const ms = (k * 1000) / FPS;
    execFileSync('./lightrig', ['--frames', dir, '--from', ((ms - 0.5) / 1000).toFixed(4),
                                '--to', ((ms + 0.5) / 1000).toFixed(4), '--fps', String(FPS)],
                 { cwd: SHOW, stdio: ['ignore', 'ignore', 'inherit'], env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
  }
  assert.ok(fs.existsSync(file), `no native picture of frame ${k}`);
  return file;
}

before(async () => {
  assert.ok(FOLDER && fs.existsSync(path.join(FOLDER, 'index.html')), `no page in ${FOLDER}`);
  fs.mkdirSync(WORK, { recursive: true });
  ({ origin, server } = await serveFolder(FOLDER));
});
after(() => server && server.close());

for (const name of chosen) {
  const kind = browsers[name];
  describe(`${name}: refresh rates and the loop`, { skip: kind.available ? false : `${name} cannot be had here` }, () => {
    let browser;
    before(async () => { browser = await kind.launch(); });
    after(async () => browser && browser.close());

    test(`a ${HZ} Hz display shows at frame k the picture of frame k`, { timeout: TIMEOUT_MS }, async () => {
      const page = await browser.newPage();
      await page.setViewport({ width: 1920, height: 1080 });
      await page.evaluateOnNewDocument((hz) => {
        let now = 0;
        const clock = { frozen: false, refreshes: 0 };
        window.lightrigVirtualClock = clock;
        performance.now = () => now;
        const realFrame = window.requestAnimationFrame.bind(window);
        window.requestAnimationFrame = (callback) => realFrame(() => {
          if (!clock.frozen) {
            now += 1000 / hz;
            clock.refreshes++;
          }
          callback(now);
        });
      }, HZ);
      await page.goto(`${origin}/index.html#t=${START_SECONDS}`);
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 60000 });
      await page.keyboard.press('Enter');
      const first = START_SECONDS * FPS;
      await page.waitForFunction((k) => Number(document.body.dataset.frame ?? -1) >= k || document.body.dataset.problem,
                                 { timeout: TIMEOUT_MS, polling: 100 }, first + FRAMES_PLAYED);
      assert.equal(await page.evaluate(() => document.body.dataset.problem ?? ''), '');
      await page.evaluate(() => { window.lightrigVirtualClock.frozen = true; });
      // The refresh under way when the clock stopped may still bring a frame; then nothing moves.
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
      const frame = await frameOnCanvas(page);
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
      assert.equal(await frameOnCanvas(page), frame, 'a stopped clock brings no frame');
      const refreshes = await page.evaluate(() => window.lightrigVirtualClock.refreshes);
      assert.ok(refreshes > frame - first, `${refreshes} refreshes brought ${frame - first} frames`);
      const shot = path.join(WORK, `${name}-${HZ}hz-${frame}.png`);
      await (await page.$('#canvas')).screenshot({ path: shot });
      const error = meanError(shot, nativeFrame(frame));
      console.log(`${name}: ${HZ} Hz, frame ${frame} after ${refreshes} refreshes: ${(error * 100).toFixed(3)}% from --frames`);
      assert.ok(error < MAX_MEAN_ERROR, `${name} at ${HZ} Hz, frame ${frame}, differs by ${(error * 100).toFixed(2)}% (${shot})`);
      await page.close();
    });

    test('&loop plays the next turn past the show\'s end', { timeout: TIMEOUT_MS }, async () => {
      const page = await openPage(browser, `${origin}/index.html#t=177.5&loop`);
      await page.waitForFunction(() => document.getElementById('line').textContent.startsWith('Click'), { timeout: 60000 });
      await page.keyboard.press('Enter');
      // The turn frame starts again from 0 where the show would have ended.
      await page.waitForFunction(() => { const f = Number(document.body.dataset.frame ?? -1); return (f >= 0 && f < 1000) || document.body.dataset.problem; },
                                 { timeout: TIMEOUT_MS, polling: 200 });
      assert.equal(await page.evaluate(() => document.body.dataset.problem ?? ''), '');
      assert.ok(!(await page.evaluate(() => document.getElementById('line').textContent)).startsWith('The end'));
      await page.close();
    });
  });
}
