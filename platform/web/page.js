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
// The content package comes gzip'ed and is unpacked here, kept in the browser's IndexedDB for the next
// visit; the program's .wasm is compiled while it downloads. On a phone a tap starts the show, a double
// tap toggles full screen, and the screen is kept on while the show plays. When the browser takes the
// canvas's WebGL context away (a tab in the background, a GPU reset) the page says so and the music
// pauses; the program draws the same frame again once the context is back and goes on from there.
'use strict';

const MAX_SECONDS = 3600;
const MAX_BENCH_FRAMES = 1000;   // per part
const LOG_LINES_KEPT = 12;   // the program's last error lines, for a fatal end
const CONSOLE_LINES_KEPT = 2000;   // what the page printed, for drivers that never see the console
const PACKAGE = 'lightrig.data';   // the content package as the program's loader names it
const PACKAGE_DOWNLOAD = 'lightrig.data.gz';
const PROGRAM_DOWNLOAD = 'lightrig.wasm.gz';   // the program, gzip'ed as well
const PACKAGE_STORE = 'lightrig-packages';   // IndexedDB database: one package, by its identity
const DOUBLE_TAP_MS = 350;
const DOUBLE_TAP_PIXELS = 40;
const SERVE_HINT = 'Open it through a web server instead: in the show\'s folder run\n' +
  'python3 -m http.server\nand open the address it prints in the browser.';

const cover = document.getElementById('cover');
const line = document.getElementById('line');
const canvas = document.getElementById('canvas');
const errorLines = [];
let stage = 'start';   // start, download, loading, playing, ended, failed
let audioContext = null;   // made on the starting gesture; the program's audio plays through it
let wakeLock = null;       // the screen kept on while the show plays
// What the page and the program print, kept in the page (window.lightrigConsole) as "type: text"
// lines: some browsers' drivers never see the console.
const consoleLines = window.lightrigConsole = [];

function note(type, text) {
  consoleLines.push(`${type}: ${text}`);
  if (consoleLines.length > CONSOLE_LINES_KEPT) consoleLines.shift();
}
window.addEventListener('error', (event) => note('pageerror', event.message));

function say(text) {
  line.textContent = text;
}

function fail(text) {
  stage = 'failed';
  releaseWakeLock();
  document.body.classList.remove('playing');
  document.body.dataset.problem = text.split('\n')[0];
  cover.hidden = false;
  cover.className = 'problem';
  say(text);
  leaveFullscreen();
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
    const response = await fetch(PROGRAM_DOWNLOAD, { method: 'HEAD', cache: 'no-store' });
    return response.ok;
  } catch (e) {
    return false;
  }
}

let togglingOff = false;   // F or a double-click leaves full screen: the show goes on

// The element full-screen API, prefixed in older WebKit; an iPhone has none: there the canvas already
// fills the window (the style keeps the show's shape) and there is nothing to toggle.
function fullscreenElement() {
  return document.fullscreenElement || document.webkitFullscreenElement || null;
}

function enterFullscreen() {
  const root = document.documentElement;
  const request = root.requestFullscreen || root.webkitRequestFullscreen;
  if (!request) return;
  const asked = request.call(root);
  if (asked && asked.catch) asked.catch(() => {});
}

function leaveFullscreen() {
  if (!fullscreenElement()) return;
  const leave = document.exitFullscreen || document.webkitExitFullscreen;
  const left = leave.call(document);
  if (left && left.catch) left.catch(() => {});
}

function toggleFullscreen() {
  if (fullscreenElement()) {
    togglingOff = true;
    leaveFullscreen();
  } else {
    enterFullscreen();
  }
}

// The screen stays on while the show plays; the browser lets go of the lock when the tab is hidden,
// so it is asked for again when the tab comes back.
async function takeWakeLock() {
  if (!navigator.wakeLock || wakeLock || stage !== 'playing' || document.visibilityState !== 'visible') return;
  try {
    const lock = await navigator.wakeLock.request('screen');
    if (stage !== 'playing') {
      lock.release().catch(() => {});
      return;
    }
    wakeLock = lock;
    lock.addEventListener('release', () => { if (wakeLock === lock) wakeLock = null; });
  } catch (e) {
    note('log', `no wake lock: ${e.message}`);   // refused (battery saver, a policy): the show plays on
  }
}

function releaseWakeLock() {
  if (wakeLock) wakeLock.release().catch(() => {});
  wakeLock = null;
}

// The first frame on the canvas: the show plays.
function watchFrames(still) {
  new MutationObserver(() => {
    if (document.body.dataset.frame === undefined) return;
    if (stage === 'loading') {
      stage = 'playing';
      if (!still) takeWakeLock();
    }
  }).observe(document.body, { attributes: true, attributeFilter: ['data-frame'] });
}

// ---- the canvas's WebGL context taken away and given back ----
let contextLostLine = false;   // the line over the canvas, until a frame is drawn again

function showContextLost() {
  contextLostLine = true;
  cover.className = '';
  cover.hidden = false;
  line.style.marginTop = '0';
  say('The browser took the graphics away: the show goes on where it was when they are back.');
  if (audioContext) audioContext.suspend().catch(() => {});
}

function hideContextLost() {
  contextLostLine = false;
  cover.hidden = true;
  if (audioContext && stage === 'playing') audioContext.resume().catch(() => {});
}

// The program makes its objects again (platform_web.cpp); the page says what happens meanwhile.
function watchContext() {
  canvas.addEventListener('webglcontextlost', () => {
    if (stage === 'loading' || stage === 'playing' || stage === 'download') showContextLost();
  });
  canvas.addEventListener('webglcontextrestored', () => {
    if (contextLostLine) say('The graphics are back: making the show\'s pictures again...');
  });
}

// The download's progress: the packer reports "Downloading data... (loaded/total)".
function showProgress(loaded, total) {
  if (stage === 'download' && !contextLostLine)
    say(`Downloading the show: ${(loaded / 1e6).toFixed(1)} of ${(total / 1e6).toFixed(1)} MB`);
}

function keepError(text) {
  errorLines.push(text);
  if (errorLines.length > LOG_LINES_KEPT) errorLines.shift();
  note('warn', text);
  console.warn(text);
}

function print(text) {
  note('log', text);
  console.log(text);
}

function ended() {
  stage = 'ended';
  releaseWakeLock();
  document.body.classList.remove('playing');
  leaveFullscreen();
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
// seconds later. The context made here, on the click or tap, is the one the program's audio then uses.
function audioUnlockedByGesture() {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return null;
  const context = new Context();
  context.resume().catch(() => {});
  return context;
}

// A phone suspends the audio when the tab goes to the background or a call comes in, and lets it
// start again only inside a gesture's handler: every tap or key while the show plays resumes it there.
function resumeAudioInGesture() {
  if (audioContext && audioContext.state !== 'running' && stage === 'playing' && !contextLostLine)
    audioContext.resume().catch(() => {});
}

// ---- the content package: gzip'ed over the wire, unpacked here, kept for the next visit ----
function openPackageStore() {
  return new Promise((resolve) => {
    try {
      const request = indexedDB.open(PACKAGE_STORE, 1);
      request.onupgradeneeded = () => request.result.createObjectStore('packages');
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => resolve(null);
      request.onblocked = () => resolve(null);
    } catch (e) {
      resolve(null);   // no IndexedDB here (some private modes): every visit downloads
    }
  });
}

function storedPackage(store, identity) {
  return new Promise((resolve) => {
    try {
      const request = store.transaction('packages').objectStore('packages').get(identity);
      request.onsuccess = () => resolve(request.result || null);
      request.onerror = () => resolve(null);
    } catch (e) {
      resolve(null);
    }
  });
}

// Keeps this package alone: an older build's is dropped.
function keepPackage(store, identity, bytes) {
  return new Promise((resolve) => {
    try {
      const transaction = store.transaction('packages', 'readwrite');
      const packages = transaction.objectStore('packages');
      packages.clear();
      packages.put(bytes, identity);
      transaction.oncomplete = () => resolve();
      transaction.onerror = transaction.onabort = () => resolve();   // full: the next visit downloads
    } catch (e) {
      resolve();
    }
  });
}

// Reads the gzip'ed package, unpacking while it arrives, into an ArrayBuffer of size bytes.
async function downloadPackage(size) {
  const response = await fetch(PACKAGE_DOWNLOAD);
  if (!response.ok) throw new Error(`${PACKAGE_DOWNLOAD}: ${response.status} ${response.statusText}`);
  const total = Number(response.headers.get('Content-Length')) || 0;
  let loaded = 0;
  const counted = response.body.pipeThrough(new TransformStream({
    transform(chunk, controller) {
      loaded += chunk.byteLength;
      showProgress(loaded, total || loaded);
      controller.enqueue(chunk);
    },
  }));
  const reader = counted.pipeThrough(new DecompressionStream('gzip')).getReader();
  const bytes = new Uint8Array(size);
  let at = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    if (at + value.byteLength > size) throw new Error(`${PACKAGE_DOWNLOAD} unpacks to more than ${size} bytes`);
    bytes.set(value, at);
    at += value.byteLength;
  }
  if (at !== size) throw new Error(`${PACKAGE_DOWNLOAD} unpacks to ${at} bytes, not ${size}`);
  return bytes.buffer;
}

// The package the program's loader asks for: from the last visit when it is the same build's,
// else downloaded and kept. Its identity and size come from the loader's table.
async function contentPackage() {
  const response = await fetch('lightrig-data.js.metadata');
  if (!response.ok) throw new Error(`lightrig-data.js.metadata: ${response.status} ${response.statusText}`);
  const metadata = await response.json();
  const identity = `${metadata.package_uuid}/${metadata.remote_package_size}`;
  const store = await openPackageStore();
  const kept = store && await storedPackage(store, identity);
  if (kept && kept.byteLength === metadata.remote_package_size) return kept;
  const bytes = await downloadPackage(metadata.remote_package_size);
  if (store) await keepPackage(store, identity, bytes);
  return bytes;
}

// The program compiled while it downloads and unpacks, beside the package.
async function compileProgram() {
  const response = await fetch(PROGRAM_DOWNLOAD);
  if (!response.ok) throw new Error(`${PROGRAM_DOWNLOAD}: ${response.status} ${response.statusText}`);
  const unpacked = new Response(response.body.pipeThrough(new DecompressionStream('gzip')),
                                { headers: { 'Content-Type': 'application/wasm' } });
  if (WebAssembly.compileStreaming) return WebAssembly.compileStreaming(unpacked);
  return WebAssembly.compile(await unpacked.arrayBuffer());
}

function addScript(name) {
  const script = document.createElement('script');
  script.src = name;
  script.async = false;   // in the order added: the content's loader first
  script.onerror = () => fail(`The page could not load ${name}: the show's folder is incomplete.`);
  document.body.appendChild(script);
}

async function startProgram(args, still) {
  stage = 'download';
  watchFrames(still);
  watchContext();
  if (!still) say('Downloading the show...');
  if (!window.DecompressionStream)
    return fail('This browser cannot unpack the show\'s download (it has no DecompressionStream). A ' +
                'current Chrome, Firefox or Safari can.');
  const program = compileProgram();
  program.catch(() => {});   // said when the program asks for it
  let content;
  try {
    content = await contentPackage();
  } catch (e) {
    return fail(`The show's content could not be downloaded: ${e.message}`);
  }
  if (stage !== 'download') return;
  window.Module = {
    canvas,
    arguments: args,
    print,
    printErr: keepError,
    // Asked for once; the program's file system holds it from then on.
    getPreloadedPackage: (name) => {
      const handed = name.endsWith(PACKAGE) ? content : null;
      content = null;
      return handed;
    },
    instantiateWasm: (imports, receive) => {
      program.then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
        .catch((e) => fail(`The show's program could not start: ${e.message}`));
      return {};
    },
    monitorRunDependencies: (left) => {
      if (left === 0 && stage === 'download') {
        stage = 'loading';
        if (!contextLostLine) cover.hidden = true;
        if (!still) document.body.classList.add('playing');
      }
    },
    onRuntimeInitialized: () => {
      stage = 'loading';
      if (!contextLostLine) cover.hidden = true;
    },
    onContextBack: () => { if (contextLostLine) hideContextLost(); },
    onShowEnded: (status) => stopped(status),
    onExit: (status) => stopped(status),
    onAbort: (what) => fail(`The show stopped: ${what}\n${errorLines.join('\n')}`),
  };
  if (audioContext) window.Module.SDL2 = { audioContext };
  window.addEventListener('error', (event) => {
    if (stage === 'download' || stage === 'loading')
      fail(`The show could not start: ${event.message}\n${errorLines.join('\n')}`);
  });
  addScript('lightrig-data.js');
  addScript('lightrig.js');
}

// Two taps close in time and place: what a double-click does.
function watchDoubleTaps() {
  let last = null;
  canvas.addEventListener('touchend', (event) => {
    const touch = event.changedTouches[0];
    if (!touch || event.touches.length > 0) return;
    const now = event.timeStamp;   // when the finger lifted, however busy the page was then
    if (last && now - last.time < DOUBLE_TAP_MS &&
        Math.hypot(touch.clientX - last.x, touch.clientY - last.y) < DOUBLE_TAP_PIXELS) {
      last = null;
      event.preventDefault();   // no zoom, and no click after it
      toggleFullscreen();
      return;
    }
    last = { time: now, x: touch.clientX, y: touch.clientY };
  }, { passive: false });
}

function listenForKeys() {
  window.addEventListener('keydown', (event) => {
    resumeAudioInGesture();
    if (event.key === 'f' || event.key === 'F') toggleFullscreen();
  });
  canvas.addEventListener('dblclick', toggleFullscreen);
  for (const type of ['pointerdown', 'touchend', 'click'])
    window.addEventListener(type, resumeAudioInGesture, true);
  watchDoubleTaps();
  // In full screen the browser keeps Escape to itself and leaves full screen: that ends the show too.
  const left = () => {
    if (!fullscreenElement() && stage === 'playing' && !togglingOff && window.Module._lightrigPressEscape)
      window.Module._lightrigPressEscape();
    togglingOff = false;
  };
  document.addEventListener('fullscreenchange', left);
  document.addEventListener('webkitfullscreenchange', left);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible') takeWakeLock();
  });
}

// Touches never scroll or zoom the page under the show (the style says the same to browsers that
// read touch-action; a pinch on iOS comes as gesture events).
function holdThePage() {
  const still = (event) => event.preventDefault();
  document.addEventListener('touchmove', still, { passive: false });
  document.addEventListener('gesturestart', still);
}

async function main() {
  holdThePage();
  const address = readAddress();
  if (address.problem) return fail(address.problem);
  if (!hasWebGl2())
    return fail('This browser offers no WebGL 2, which the show draws with. A current Chrome, Firefox or ' +
                'Safari with hardware acceleration switched on has it.');
  if (!(await filesReadable())) {
    return fail(location.protocol === 'file:'
      ? 'This browser does not read the show\'s files from a folder opened directly.\n' + SERVE_HINT
      : `The show's files cannot be read from here (${PROGRAM_DOWNLOAD} is missing?).\n` + SERVE_HINT);
  }
  if (address.still) {
    // A picture for whoever asked for it: nothing over the canvas.
    cover.hidden = true;
    startProgram(address.args, true);
    return;
  }
  say('Click, tap or press a key to start');
  // Inside the gesture's own handler: full screen, and the audio context started.
  const start = (event) => {
    if (event.type === 'keydown' && (event.key === 'f' || event.key === 'F')) return;
    cover.removeEventListener('click', start);
    window.removeEventListener('keydown', start);
    enterFullscreen();
    canvas.focus();
    audioContext = audioUnlockedByGesture();
    listenForKeys();
    startProgram(address.args, false);
  };
  cover.addEventListener('click', start);
  window.addEventListener('keydown', start);
}

main();
