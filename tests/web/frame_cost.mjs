// Frame cost of the three parts in the browsers against the native build, in one run: the native
// bench (desktop GL, and OpenGL ES through the same layer the page draws with), the page's
// ?bench=N in Chromium and in Firefox, taken in turn for each round; prints each run's figures and
// then a table of ms per frame, the fastest of the rounds. Run by bench/web_frame_cost.sh.
// Usage: node frame_cost.mjs WEB_FOLDER SHOW_DIR NATIVE_BENCH FRAMES_PER_PART ROUNDS
import { execFileSync } from 'node:child_process';
import { browsers, openPage, serveFolder, PROTOCOL_TIMEOUT_MS } from './browsers.mjs';

const [folder, show, nativeBench, framesText, roundsText] = process.argv.slice(2);
const frames = Number(framesText);
const rounds = Number(roundsText);
const PARTS = ['part A', 'part C', 'part B'];   // the order both benches visit them in

// "part A: 512.3 ms per frame ..." lines of the native bench, or the page's "part A: 512.3, ...".
function figuresOf(text) {
  const figures = {};
  for (const match of text.matchAll(/(part [ABC]): ([\d.]+)/g)) figures[match[1]] = Number(match[2]);
  if (PARTS.some((part) => !(part in figures))) throw new Error(`no figure for every part in: ${text}`);
  return figures;
}

function runNative(gl) {
  const out = execFileSync(nativeBench, [String(frames), '--gl', gl],
                           { cwd: show, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'],
                             env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
  return figuresOf(out.split('\n').filter((l) => / ms per frame/.test(l)).join('\n'));
}

async function runBrowser(name, origin) {
  const browser = await browsers[name].launch();
  try {
    const page = await openPage(browser, `${origin}/index.html?bench=${frames}`);
    await page.waitForFunction(() => document.body.dataset.frameCost || document.body.dataset.problem,
                               { timeout: PROTOCOL_TIMEOUT_MS, polling: 500 });
    const said = await page.evaluate(() => document.body.dataset.frameCost ||
                                           document.getElementById('line').textContent);
    return figuresOf(said);
  } finally {
    await browser.close();
  }
}

const columns = [
  { name: 'native GL', run: () => runNative('desktop') },
  { name: 'native ES', run: () => runNative('es') },
];
for (const name of ['chromium', 'firefox']) {
  if (browsers[name].available) columns.push({ name, run: (origin) => runBrowser(name, origin) });
  else console.log(`${name}: cannot be had here (Firefox needs a display), left out`);
}

const { origin, server } = await serveFolder(folder);
const fastest = columns.map(() => ({}));
try {
  for (let round = 1; round <= rounds; round++) {
    for (const [c, column] of columns.entries()) {
      const figures = await column.run(origin);
      console.log(`round ${round}, ${column.name}: ${PARTS.map((p) => `${p} ${figures[p].toFixed(1)}`).join(', ')} ms`);
      for (const part of PARTS) fastest[c][part] = Math.min(fastest[c][part] ?? Infinity, figures[part]);
    }
  }
} finally {
  server.close();
}

console.log(`\nms per frame, 1920 x 1080, ${frames} frames per part, the fastest of ${rounds} rounds ` +
            '(x: against native GL)');
console.log(['part'.padEnd(8), ...columns.map((c) => c.name.padStart(18))].join(''));
for (const part of PARTS) {
  const cells = columns.map((c, i) => {
    const ms = fastest[i][part];
    return `${ms.toFixed(1)} (x${(ms / fastest[0][part]).toFixed(2)})`.padStart(18);
  });
  console.log([part.padEnd(8), ...cells].join(''));
}
