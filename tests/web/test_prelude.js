// Runs before the page's own script in the tests' copy of the page (test.html): what a test needs to
// hold or watch, the same in every engine (WebKit's driver has no way to run a script before a
// page's own). window.lightrigTest:
//   holdClock(true|false)  stops and restarts the page's clock (performance.now): the show stays on
//                          its frame while held, and goes on from there
//   wake                   a stand-in for the screen wake lock: requests made, locks held
//   setHidden(true|false)  the tab to the background and back (the browser lets go of wake locks)
//   resumes                the event being handled at each AudioContext.resume call, or 'none'
// ?test=nowebgl2 takes WebGL 2 away, ?test=nofullscreen the element full-screen API (an iPhone).
'use strict';
(() => {
  const options = (new URLSearchParams(location.search).get('test') || '').split(',');
  const test = window.lightrigTest = { wake: { requests: 0, active: 0 }, resumes: [] };

  const realNow = performance.now.bind(performance);
  let heldAt = null;
  let offset = 0;   // ms the clock was held
  performance.now = () => (heldAt !== null ? heldAt : realNow() - offset);
  test.holdClock = (hold) => {
    if (hold && heldAt === null) heldAt = realNow() - offset;
    if (!hold && heldAt !== null) {
      offset = realNow() - heldAt;
      heldAt = null;
    }
  };

  const locks = [];
  Object.defineProperty(navigator, 'wakeLock', { configurable: true, value: {
    request: async (type) => {
      if (document.visibilityState !== 'visible') throw new DOMException('the tab is hidden', 'NotAllowedError');
      const lock = new EventTarget();
      lock.type = type;
      lock.released = false;
      lock.release = async () => {
        if (lock.released) return;
        lock.released = true;
        test.wake.active--;
        lock.dispatchEvent(new Event('release'));
      };
      test.wake.requests++;
      test.wake.active++;
      locks.push(lock);
      return lock;
    },
  } });

  let hidden = false;
  Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (hidden ? 'hidden' : 'visible') });
  Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
  test.setHidden = (value) => {
    hidden = value;
    if (hidden) for (const lock of locks) lock.release();
    document.dispatchEvent(new Event('visibilitychange'));
  };

  const Context = window.AudioContext || window.webkitAudioContext;
  if (Context) {
    const resume = Context.prototype.resume;
    Context.prototype.resume = function () {
      test.resumes.push(window.event ? window.event.type : 'none');
      return resume.call(this);
    };
  }

  if (options.includes('nowebgl2')) {
    const real = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
      return kind === 'webgl2' ? null : real.call(this, kind, ...rest);
    };
  }
  if (options.includes('nofullscreen')) {
    delete Element.prototype.requestFullscreen;
    delete Element.prototype.webkitRequestFullscreen;
  }
})();
