// WebKitGTK, Safari's engine (Debian's webkit2gtk-driver: WebKitWebDriver driving its MiniBrowser),
// spoken to over WebDriver classic with Node's own fetch: a browser and pages offering the few calls
// the browser tests make of puppeteer's. It needs an X display (without one a session never starts):
// the driver runs on a virtual display of its own, large enough for a 1920 x 1080 page and the
// browser's bar.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';

export const WEBKIT_DRIVER = '/usr/bin/WebKitWebDriver';
export const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
export const webkitAvailable = () => fs.existsSync(WEBKIT_DRIVER) && fs.existsSync(MINIBROWSER) &&
  fs.existsSync('/usr/bin/xvfb-run');

const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';   // WebDriver's key of an element reference
const KEYS = { Escape: '\uE00C', Enter: '\uE007' };
const DRIVER_START_MS = 60000;
const DISPLAY = '-screen 0 2400x1500x24';

function freePort(host) {
  return new Promise((resolve, reject) => {
    const probe = net.createServer().listen(0, host, () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    }).on('error', reject);
  });
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A function and its arguments as a WebDriver script: the function's source called with them.
function scriptOf(fn) {
  return `return (${fn.toString()}).apply(null, arguments);`;
}

class WebKitPage {
  constructor(browser) {
    this.browser = browser;
    this.mouse = { click: (x, y) => this.clickAt(x, y) };
    this.keyboard = { press: (key) => this.press(key) };
  }

  // The page's own record of what it printed (the driver never sees the console).
  get consoleLines() {
    return this.evaluate(() => window.lightrigConsole || []);
  }

  goto(url) {
    return this.browser.command('POST', '/url', { url });
  }

  evaluate(fn, ...args) {
    return this.browser.command('POST', '/execute/sync', { script: scriptOf(fn), args });
  }

  // Polls fn until it returns something true, as puppeteer's waitForFunction does.
  async waitForFunction(fn, options = {}, ...args) {
    const timeout = options.timeout ?? 30000;
    const polling = typeof options.polling === 'number' ? options.polling : 100;
    const end = Date.now() + timeout;
    for (;;) {
      const value = await this.evaluate(fn, ...args);
      if (value) return value;
      if (Date.now() > end) throw new Error(`waitForFunction timed out after ${timeout} ms: ${fn}`);
      await sleep(polling);
    }
  }

  // A click on whatever element lies at (x, y) of the viewport: an element click, which WebKit
  // takes as a user's gesture.
  async clickAt(x, y) {
    const element = await this.evaluate((px, py) => document.elementFromPoint(px, py), x, y);
    await this.browser.command('POST', `/element/${element[ELEMENT]}/click`, {});
  }

  press(key) {
    const value = KEYS[key] ?? key;
    return this.browser.command('POST', '/actions', {
      actions: [{ type: 'key', id: 'keyboard', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] }],
    });
  }

  async $(selector) {
    const element = await this.browser.command('POST', '/element', { using: 'css selector', value: selector });
    const id = element[ELEMENT];
    return {
      screenshot: async ({ path }) => {
        const png = await this.browser.command('GET', `/element/${id}/screenshot`);
        fs.writeFileSync(path, Buffer.from(png, 'base64'));
      },
    };
  }

  // One window serves every page in turn: closing a page leaves it blank, the program gone with it.
  close() {
    return this.goto('about:blank');
  }
}

class WebKitBrowser {
  constructor(driver, base, session) {
    this.driver = driver;
    this.base = base;
    this.session = session;
  }

  async command(method, route, body) {
    const response = await fetch(`${this.base}/session/${this.session}${route}`, {
      method, headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebKit ${method} ${route}: ${answer.value?.error}: ${answer.value?.message}`);
    return answer.value;
  }

  // Grows the window by the browser's own bar, for a viewport of width x height.
  async fitViewport(width, height) {
    const page = new WebKitPage(this);
    await this.command('POST', '/window/rect', { width, height });
    const inner = await page.evaluate(() => [innerWidth, innerHeight]);
    await this.command('POST', '/window/rect', { width: 2 * width - inner[0], height: 2 * height - inner[1] });
  }

  async newPage() {
    return new WebKitPage(this);
  }

  async close() {
    try {
      await fetch(`${this.base}/session/${this.session}`, { method: 'DELETE' });
    } finally {
      try {
        process.kill(-this.driver.pid);   // the driver, its browser and its display
      } catch (e) {
        // already gone
      }
    }
  }
}

// Starts the driver on its own virtual display and a session of the MiniBrowser, its audio clock
// running without a sound device (the autoplay policy that lets it), the viewport 1920 x 1080.
export async function launchWebKit(host, timeoutMs) {
  const port = await freePort(host);
  const driver = spawn('xvfb-run', ['-a', '-s', DISPLAY, WEBKIT_DRIVER, `--port=${port}`, `--host=${host}`],
                       { detached: true, stdio: 'ignore' });
  const base = `http://${host}:${port}`;
  const end = Date.now() + DRIVER_START_MS;
  for (;;) {
    try {
      if ((await fetch(`${base}/status`)).ok) break;
    } catch (e) {
      if (Date.now() > end) {
        process.kill(-driver.pid);
        throw new Error(`WebKitWebDriver did not answer on ${base}: ${e.message}`);
      }
    }
    await sleep(200);
  }
  const response = await fetch(`${base}/session`, {
    method: 'POST', headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify({ capabilities: { alwaysMatch: {
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation', '--autoplay-policy=allow'] },
    } } }),
  });
  const answer = await response.json();
  if (!response.ok) {
    process.kill(-driver.pid);
    throw new Error(`WebKit session: ${JSON.stringify(answer.value)}`);
  }
  const browser = new WebKitBrowser(driver, base, answer.value.sessionId);
  await browser.command('POST', '/timeouts', { script: timeoutMs, pageLoad: timeoutMs, implicit: 0 });
  await browser.fitViewport(1920, 1080);
  return browser;
}
