// browser.mjs -- Debian's Chromium driven for the page tests: started headless with software WebGL,
// the page's console and requests watched, and the game's state read through its test hooks
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

// The served page's address (the benchmark script may name several, separated by commas).
export const pageAddress = (process.env.QUARZIL_PAGE || '').split(',')[0];
if (!pageAddress) throw new Error('QUARZIL_PAGE must hold the served page\'s address');

// Headless, with WebGL drawn by SwiftShader and no connection of Chromium's own to the outside.
const chromiumArguments = [
  '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-quic',
  '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--autoplay-policy=user-gesture-required',
];

export const viewport = { width: 1024, height: 768 };

// Stands in for the page's clock so a test can run game time faster: the game reads its time
// from performance.now().
function clockScript() {
  const real = performance.now.bind(performance);
  let factor = 1, realBase = real(), gameBase = realBase;
  performance.now = () => gameBase + (real() - realBase) * factor;
  window.quarzilSpeed = (value) => { gameBase = performance.now(); realBase = real(); factor = value; };
  // What the page hands the browser's audio: the loudest sample of every buffer started.
  window.quarzilAudio = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...rest) {
    let peak = 0;
    if (this.buffer) {
      const samples = this.buffer.getChannelData(0);
      for (let i = 0; i < samples.length; ++i) peak = Math.max(peak, Math.abs(samples[i]));
    }
    window.quarzilAudio.push(peak);
    return start.apply(this, rest);
  };
}

// A browser with its own new profile folder, kept across close and open when reopen is used.
export async function openBrowser(profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quarzil-web-'))) {
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: chromiumArguments, viewport,
  });
  await context.addInitScript(clockScript);
  const page = context.pages()[0] || await context.newPage();
  const watched = { errors: [], foreign: [] };
  page.on('console', (message) => { if (message.type() === 'error') watched.errors.push(message.text()); });
  page.on('pageerror', (error) => watched.errors.push(error.message));
  page.on('request', (request) => {
    if (!request.url().startsWith(pageAddress)) watched.foreign.push(request.url());
  });
  return { context, page, watched, profile };
}

// Loads the page (the one served at QUARZIL_PAGE unless another address is given) and waits for its
// first frame.
export async function loadGame(page, address = pageAddress) {
  await page.goto(address);
  await page.waitForFunction(() => window.quarzilFirstFrame !== undefined, null, { timeout: 30000 });
}

export const game = {
  mode: (page) => page.evaluate(() => Module._quarzil_game_mode()),
  score: (page) => page.evaluate(() => Module._quarzil_score()),
  paused: (page) => page.evaluate(() => Module._quarzil_paused()),
  type: (page) => page.evaluate(() => Module._quarzil_game_type()),
  clock: (page) => page.evaluate(() => Module._quarzil_clock_time()),
  tableTop: (page) => page.evaluate(() => Module._quarzil_table_top()),
  soundOff: (page) => page.evaluate(() => Module._quarzil_sound_off()),
  frames: (page) => page.evaluate(() => Module._quarzil_frames()),
  kinds: (page) => page.evaluate(() => Array.from({ length: 64 }, (_, i) => Module._quarzil_gem_kind(i))),
  tableName: (page, row) => page.evaluate((r) => Module.UTF8ToString(Module._quarzil_table_name(r)), row),
  // Canvas pixels of a square's centre; the canvas starts at the page's top left corner.
  square: (page, index) => page.evaluate((i) => [Module._quarzil_square_on_canvas(i, 0),
                                                Module._quarzil_square_on_canvas(i, 1)], index),
};

export const MODE_OVER = 0, MODE_PLAY = 1, MODE_NAME_ENTRY = 2;
export const TYPE_TIMED = 0, TYPE_RELAXED = 1;

// What the browser's storage holds for a path of the page's file system: { mode, text } (text null
// for a folder), or null where it holds nothing. Read from the IndexedDB itself, not from the
// game's files in memory.
export function storedFile(page, file) {
  return page.evaluate((file) => new Promise((resolve, reject) => {
    const opening = indexedDB.open('/home/web_user');
    opening.onerror = () => reject(opening.error);
    opening.onsuccess = () => {
      const database = opening.result;
      const reading = database.transaction(['FILE_DATA'], 'readonly').objectStore('FILE_DATA').get(file);
      reading.onsuccess = () => {
        database.close();
        const entry = reading.result;
        resolve(entry ? { mode: entry.mode, text: entry.contents ? new TextDecoder('latin1').decode(entry.contents) : null }
          : null);
      };
      reading.onerror = () => { database.close(); reject(reading.error); };
    };
  }), file);
}

// A swap that lines up three or more: [from, to] square indexes, or null.
export function scoringSwap(kinds) {
  const at = (board, row, column) => (row < 0 || row > 7 || column < 0 || column > 7 ? -1 : board[row * 8 + column]);
  const runThrough = (board, index) => {
    const row = Math.floor(index / 8), column = index % 8, kind = board[index];
    for (const [dr, dc] of [[0, 1], [1, 0]]) {
      let length = 1;
      for (let k = 1; at(board, row + dr * k, column + dc * k) === kind; ++k) ++length;
      for (let k = 1; at(board, row - dr * k, column - dc * k) === kind; ++k) ++length;
      if (length >= 3) return true;
    }
    return false;
  };
  for (let index = 0; index < 64; ++index) {
    for (const neighbour of [index % 8 < 7 ? index + 1 : -1, index < 56 ? index + 8 : -1]) {
      if (neighbour < 0) continue;
      const board = kinds.slice();
      [board[index], board[neighbour]] = [board[neighbour], board[index]];
      if (runThrough(board, index) || runThrough(board, neighbour)) return [index, neighbour];
    }
  }
  return null;
}

// Decodes a picture (a PNG, as screenshots are) in the page and keeps its pixels there, as
// window[name] = { width, height, pixels } with four bytes (RGBA) a pixel, for the reading of them
// in the page that follows.
export async function keepPicture(page, png, name = 'quarzilPicture') {
  await page.evaluate(async ({ data, name }) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    window[name] = { width: image.width, height: image.height, pixels };
  }, { data: png.toString('base64'), name });
}

// Drags with the mouse from the centre of one square to the centre of another, as a player does.
export async function drag(page, from, to) {
  const [x0, y0] = await game.square(page, from);
  const [x1, y1] = await game.square(page, to);
  await page.mouse.move(x0, y0);
  await page.mouse.down();
  await page.mouse.move(x1, y1, { steps: 8 });
  await page.mouse.up();
}

export async function waitFor(page, what, test, timeout = 15000) {
  const end = Date.now() + timeout;
  let value;
  for (;;) {
    value = await what(page);
    if (test(value)) return value;
    if (Date.now() > end) throw new Error(`timed out waiting: last value ${JSON.stringify(value)}`);
    await page.waitForTimeout(50);
  }
}
