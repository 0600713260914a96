// measure.mjs -- what the web page costs in headless Chromium: the bytes it transfers, the time from
// loading to its first frame, and the frames it draws a second while idle. A measurement, not a test:
// it prints the figures and asserts none. Usage: QUARZIL_PAGE=http://127.0.0.1:PORT/ node measure.mjs [RUNS]
import zlib from 'node:zlib';

import { game, loadGame, openBrowser } from './browser.mjs';

const runs = Number(process.argv[2] || 5);
const firstFrames = [];
let bytes = 0, compressed = 0, files = 0, framesPerSecond = 0, playingPerSecond = 0;

// Frames drawn a second over five seconds.
async function frameRate(page) {
  const before = await game.frames(page);
  const started = Date.now();
  await page.waitForTimeout(5000);
  return (await game.frames(page) - before) / ((Date.now() - started) / 1000);
}

for (let run = 0; run < runs; ++run) {
  const browser = await openBrowser();
  const bodies = [];
  browser.page.on('response', async (response) => {
    try { bodies.push(await response.body()); } catch { /* a redirect has no body */ }
  });
  await loadGame(browser.page);
  firstFrames.push(await browser.page.evaluate(() => window.quarzilFirstFrame));
  if (run === 0) {
    await browser.page.waitForTimeout(500);
    files = bodies.length;
    bytes = bodies.reduce((sum, body) => sum + body.length, 0);
    compressed = bodies.reduce((sum, body) => sum + zlib.gzipSync(body, { level: 9 }).length, 0);
    // The start screen idles; then a game waits for the first move.
    framesPerSecond = await frameRate(browser.page);
    await browser.page.keyboard.press('Space');
    playingPerSecond = await frameRate(browser.page);
  }
  await browser.context.close();
}

firstFrames.sort((a, b) => a - b);
const median = firstFrames[Math.floor(firstFrames.length / 2)];
console.log(`page: ${files} files, ${(bytes / 1e6).toFixed(3)} MB (${(compressed / 1e6).toFixed(3)} MB gzipped)`);
console.log(`load to first frame: median ${Math.round(median)} ms, fastest ${Math.round(firstFrames[0])} ms, ` +
            `slowest ${Math.round(firstFrames[firstFrames.length - 1])} ms over ${runs} loads`);
console.log(`idle start screen: ${framesPerSecond.toFixed(1)} frames a second; ` +
            `a game waiting for a move: ${playingPerSecond.toFixed(1)}`);
