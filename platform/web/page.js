// The show's page: start screen, download, the program's own loading, the show, its end; the moment
// to start at from the address, and what went wrong said on the page.
//   index.html              start screen, then the show from its start, music with it
//   index.html#t=SECONDS    the same from that moment
//   index.html#loop, #t=SECONDS&loop, ?loop   the same, and at its end the show starts again,
//                           turn after turn, until Escape
//   index.html?at=SECONDS[&fps=N]  no start screen: the picture of that moment alone, held
//   index.html?bench=N      no start screen: the frame cost, N frames of each part timed, the figures
//                           in document.body.dataset.frameCost
// document.body.dataset.frame is the number of the frame on the canvas (the moment frame / fps).
'use strict';

const MAX_SECONDS = 3600;
const MAX_BENCH_FRAMES = 1000;   // per part
const LOG_LINES_KEPT = 12;   // the program's last error lines, for a fatal end
const SERVE_HINT = 'Open it through a web server instead: in the show\'s folder run\n' +
  'python3 -m http.server\nand open the address it prints in the browser.';

const cover = document.getElementById('cover');
const line = document.getElementById('line');
const canvas = document.getElementById('canvas');
const errorLines = [];
let stage = 'start';   // start, download, loading, playing, ended, failed

function say(text) {
  line.textContent = text;
}

function fail(text) {
  stage = 'failed';
  document.body.classList.remove('playing');
  document.body.dataset.problem = text.split('\n')[0];
  cover.hidden = false;
  cover.className = 'problem';
  say(text);
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
}

// Seconds from the address: "#t=SECONDS" or "?at=SECONDS"; null when absent, NaN when not a number
// of seconds the show has.
function secondsOf(text) {
  if (text === null) return null;
  const value = /^\d+(\.\d+)?$/.test(text) ? Number(text) : NaN;
  return value <= MAX_SECONDS ? value : NaN;
}

function readAddress() {
  const query = new URLSearchParams(location.search);
  const hash = new URLSearchParams(location.hash.replace(/^#/, ''));
  const at = secondsOf(query.get('at'));
  const start = secondsOf(hash.get('t'));
  const loop = query.has('loop') || hash.has('loop');
  if (loop && (query.has('bench') || query.has('at')))
    return { problem: 'loop plays the show over and over: it goes with #t=SECONDS, not with at= or bench=.' };
  if (query.has('bench')) {
    const frames = /^\d+$/.test(query.get('bench')) ? Number(query.get('bench')) : NaN;
    if (!(frames >= 1 && frames <= MAX_BENCH_FRAMES))
      return { problem: `bench=N times N frames of each part, N from 1 to ${MAX_BENCH_FRAMES}.` };
    return { still: true, args: ['--bench', String(frames)] };
  }
  const fps = query.has('fps') ? (/^\d+$/.test(query.get('fps')) ? Number(query.get('fps')) : NaN) : 60;
  if (Number.isNaN(at) || Number.isNaN(start) || Number.isNaN(fps) || fps < 1 || fps > 1000)
    return { problem: 'This address names no moment of the show: use #t=SECONDS, or ?at=SECONDS with ' +
             'an optional &fps=N (N from 1 to 1000).' };
  if (at !== null) return { still: true, args: ['--at', String(at), '--fps', String(fps)] };
  return { still: false, args: (start ? ['--start', String(start)] : []).concat(loop ? ['--loop'] : []) };
}

function hasWebGl2() {
  try {
    return !!document.createElement('canvas').getContext('webgl2');
  } catch (e) {
    return false;
  }
}

// The browser reads the show's files only from a server (a folder opened directly is refused).
async function filesReadable() {
  try {
    const response = await fetch('lightrig.wasm', { method: 'HEAD', cache: 'no-store' });
    return response.ok;
  } catch (e) {
    return false;
  }
}

let togglingOff = false;   // F or a double-click leaves full screen: the show goes on

function toggleFullscreen() {
  if (document.fullscreenElement) {
    togglingOff = true;
    document.exitFullscreen().catch(() => {});
  } else {
    document.documentElement.requestFullscreen().catch(() => {});
  }
}

// The first frame on the canvas: the show plays.
function watchFrames() {
  new MutationObserver(() => {
    if (stage === 'loading' && document.body.dataset.frame !== undefined) stage = 'playing';
  }).observe(document.body, { attributes: true, attributeFilter: ['data-frame'] });
}

// The download's progress: the packer reports "Downloading data... (loaded/total)".
function showStatus(text) {
  if (stage !== 'download') return;
  const match = /\((\d+(?:\.\d+)?)\/(\d+(?:\.\d+)?)\)/.exec(text);
  if (match) say(`Downloading the show: ${(match[1] / 1e6).toFixed(1)} of ${(match[2] / 1e6).toFixed(1)} MB`);
}

function keepError(text) {
  errorLines.push(text);
  if (errorLines.length > LOG_LINES_KEPT) errorLines.shift();
  console.warn(text);
}

function ended() {
  stage = 'ended';
  document.body.classList.remove('playing');
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  cover.className = '';
  cover.hidden = false;
  line.style.marginTop = '0';
  say('The end. Click or press a key to play again.');
  const again = () => {
    location.hash = '';
    location.reload();
  };
  setTimeout(() => {
    cover.addEventListener('click', again, { once: true });
    window.addEventListener('keydown', again, { once: true });
  }, 300);
}

function stopped(status) {
  if (stage === 'failed' || stage === 'ended') return;
  if (status === 0) {
    ended();
    return;
  }
  const said = errorLines.length ? errorLines.join('\n') : 'no message';
  fail(`The show stopped (status ${status}):\n${said}`);
}

// Browsers let a page's audio start only within a gesture; the show opens its audio after loading,
// seconds later. The context made here, on the click, is the one the program's audio then uses.
function audioUnlockedByGesture() {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return null;
  const context = new Context();
  context.resume().catch(() => {});
  return context;
}

function startProgram(args, still, audioContext) {
  stage = 'download';
  watchFrames();
  if (!still) say('Downloading the show...');
  window.Module = {
    canvas,
    arguments: args,
    print: (text) => console.log(text),
    printErr: keepError,
    setStatus: showStatus,
    monitorRunDependencies: (left) => {
      if (left === 0 && stage === 'download') {
        stage = 'loading';
        cover.hidden = true;
        if (!still) document.body.classList.add('playing');
      }
    },
    onRuntimeInitialized: () => {
      stage = 'loading';
      cover.hidden = true;
    },
    onShowEnded: (status) => stopped(status),
    onExit: (status) => stopped(status),
    onAbort: (what) => fail(`The show stopped: ${what}\n${errorLines.join('\n')}`),
  };
  if (audioContext) window.Module.SDL2 = { audioContext };
  window.addEventListener('error', (event) => {
    if (stage === 'download' || stage === 'loading')
      fail(`The show could not start: ${event.message}\n${errorLines.join('\n')}`);
  });
  for (const name of ['lightrig-data.js', 'lightrig.js']) {
    const script = document.createElement('script');
    script.src = name;
    script.async = false;   // the content's loader first
    script.onerror = () => fail(`The page could not load ${name}: the show's folder is incomplete.`);
    document.body.appendChild(script);
  }
}

function listenForKeys() {
  window.addEventListener('keydown', (event) => {
    if (event.key === 'f' || event.key === 'F') toggleFullscreen();
  });
  canvas.addEventListener('dblclick', toggleFullscreen);
  // In full screen the browser keeps Escape to itself and leaves full screen: that ends the show too.
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement && stage === 'playing' && !togglingOff && window.Module._lightrigPressEscape)
      window.Module._lightrigPressEscape();
    togglingOff = false;
  });
}

async function main() {
  const address = readAddress();
  if (address.problem) return fail(address.problem);
  if (!hasWebGl2())
    return fail('This browser offers no WebGL 2, which the show draws with. A current Chrome or Firefox ' +
                'with hardware acceleration switched on has it.');
  if (!(await filesReadable())) {
    return fail(location.protocol === 'file:'
      ? 'This browser does not read the show\'s files from a folder opened directly.\n' + SERVE_HINT
      : 'The show\'s files cannot be read from here (lightrig.wasm is missing?).\n' + SERVE_HINT);
  }
  if (address.still) {
    // A picture for whoever asked for it: nothing over the canvas.
    cover.hidden = true;
    startProgram(address.args, true);
    return;
  }
  say('Click or press a key to start');
  const start = (event) => {
    if (event.type === 'keydown' && (event.key === 'f' || event.key === 'F')) return;
    cover.removeEventListener('click', start);
    window.removeEventListener('keydown', start);
    document.documentElement.requestFullscreen().catch(() => {});
    canvas.focus();
    listenForKeys();
    startProgram(address.args, false, audioUnlockedByGesture());
  };
  cover.addEventListener('click', start);
  window.addEventListener('keydown', start);
}

main();
