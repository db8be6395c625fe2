// The page's frames whatever the display's refresh rate: on a virtual 144 Hz clock (the page's
// performance.now and requestAnimationFrame replaced before its scripts run, advancing 1000/144 ms a
// refresh, so most refreshes bring no new frame) the canvas holds at frame k the picture ?at= gives
// for it in the same browser; and the loop: past the show's end the page plays its next turn.
// Environment: as page_test.mjs (LIGHTRIG_WEB_FOLDER, LIGHTRIG_SHOW, LIGHTRIG_WEB_WORK,
// LIGHTRIG_BROWSERS); WebKit runs its cases through page_test.mjs's driver only.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { browsers, openPage, serveFolder } from './browsers.mjs';

const FOLDER = process.env.LIGHTRIG_WEB_FOLDER;
const WORK = process.env.LIGHTRIG_WEB_WORK;
const FPS = 60;
const HZ = 144;
const START_SECONDS = 57;       // the push at 56.85 s starts the title's fade-in, which a second step
                                // of a frame would advance
const FRAMES_PLAYED = 12;
const MAX_MEAN_ERROR = 0.001;   // the same browser's rasterizer draws the same frame: no difference
                                // but what a screenshot's encoding might add
const TIMEOUT_MS = 900000;
const chosen = (process.env.LIGHTRIG_BROWSERS || 'chromium firefox').split(/[ ,]+/)
  .filter((name) => name in browsers && browsers[name].launch);
let server;
let origin;

const frameOnCanvas = (page) => page.evaluate(() => Number(document.body.dataset.frame ?? -1));

// Mean absolute error of two pictures as a fraction of the range, by ImageMagick (which says it on
// standard error, exiting 0 for equal pictures and 1 for different ones).
function meanError(a, b) {
  const run = spawnSync('compare', ['-metric', 'MAE', a, b, 'null:'], { encoding: 'utf8' });
  const match = /\(([\d.e+-]+)\)/.exec(`${run.stdout}${run.stderr}`);
  assert.ok(match, `compare said: ${run.stdout}${run.stderr}`);
  return Number(match[1]);
}

// The browser's own picture of frame k, alone on the canvas (?at=).
async function stillPicture(browser, name, k) {
  const page = await openPage(browser, `${origin}/index.html?at=${(k / FPS).toFixed(6)}`);
  await page.waitForFunction((f) => Number(document.body.dataset.frame ?? -1) >= f || document.body.dataset.problem,
                             { timeout: TIMEOUT_MS, polling: 200 }, k);
  assert.equal(await frameOnCanvas(page), k);
  const shot = path.join(WORK, `${name}-at-${k}.png`);
  await (await page.$('#canvas')).screenshot({ path: shot });
  await page.close();
  return shot;
}

before(async () => {
  assert.ok(FOLDER && fs.existsSync(path.join(FOLDER, 'index.html')), `no page in ${FOLDER}`);
  fs.mkdirSync(WORK, { recursive: true });
  ({ origin, server } = await serveFolder(FOLDER));
});
after(() => server && server.close());

for (const name of chosen) {
  const kind = browsers[name];
  // WebKit's driver runs no script before a page's own: the page's clock cannot be replaced there.
  const skip = !kind.available ? `${name} cannot be had here`
    : (name === 'webkit' ? 'the virtual clock needs a script run before the page\'s (not in WebKit\'s driver)' : false);
  describe(`${name}: refresh rates and the loop`, { skip }, () => {
    let browser;
    before(async () => { browser = await kind.launch(); });
    after(async () => browser && browser.close());

    test(`a ${HZ} Hz display shows at frame k the picture of frame k`, { timeout: TIMEOUT_MS }, async () => {
      const page = await browser.newPage();
      await page.setViewport({ width: 1920, height: 1080 });
      await page.evaluateOnNewDocument((hz) => {
        // The picture stays on a canvas of the page's size: no full screen on the start gesture.
        Element.prototype.requestFullscreen = () => Promise.reject(new Error('not in this test'));
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
      await page.close();
      const still = await stillPicture(browser, name, frame);
      const error = meanError(shot, still);
      console.log(`${name}: ${HZ} Hz, frame ${frame} after ${refreshes} refreshes: ${(error * 100).toFixed(3)}% from ?at=`);
      assert.ok(error < MAX_MEAN_ERROR, `${name} at ${HZ} Hz, frame ${frame}, differs from ?at= by ${(error * 100).toFixed(2)}% (${shot}, ${still})`);
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
