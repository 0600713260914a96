// compare_pictures.mjs -- the pictures two builds of the page draw of the same moments, compared
// pixel by pixel on the canvas: the start screen, and a game a second in with the pointer over a gem. Both run on
// a stopped clock stepped by hand from the same wall-clock time, so they deal the same boards. A
// tool for changes to the drawing, not a test: it prints what differs and asserts nothing. On the
// start screen it says apart what differs in the help line, the lowest line of words, from what
// differs elsewhere, for a change to the line's words that leaves the rest of the picture alone.
// Usage: QUARZIL_PAGE=http://127.0.0.1:PORT/,http://127.0.0.1:OTHER/ node compare_pictures.mjs [FOLDER]
// (FOLDER, if given, receives the screenshots as moment-N-first.png and moment-N-second.png).
import fs from 'node:fs';
import path from 'node:path';

import { game, keepPicture, loadGame, openBrowser } from './browser.mjs';

const addresses = process.env.QUARZIL_PAGE.split(',');
if (addresses.length !== 2) throw new Error('QUARZIL_PAGE must name two pages, separated by a comma');
const folder = process.argv[2];

// The game's clock (performance.now) stands still until stepped; the seed's clock (Date.now) is fixed.
function stoppedClock() {
  let now = 5000;
  performance.now = () => now;
  window.quarzilStep = (milliseconds) => { now += milliseconds; };
  Date.now = () => 1700000000000;
}

async function moments(address) {
  const browser = await openBrowser();
  try {
    await browser.context.addInitScript(stoppedClock);
    await loadGame(browser.page, address);
    const { page } = browser;
    // One tick at a time, each waited for until its frame is drawn.
    const ticks = async (count) => {
      for (let i = 0; i < count; ++i) {
        const frames = await game.frames(page);
        await page.evaluate(() => window.quarzilStep(20));
        while (await game.frames(page) === frames) await page.waitForTimeout(5);
      }
    };
    const shots = [];
    const canvas = page.locator('#canvas');
    await page.mouse.click(2, 2);   // the click that starts the sound, off the board
    await ticks(3);
    await page.waitForTimeout(200);
    shots.push({ name: 'the start screen', png: await canvas.screenshot(), helpLine: true });
    await page.keyboard.press('Space');
    await ticks(50);
    const [x, y] = await game.square(page, 27);
    await page.mouse.move(x, y);
    await ticks(5);
    await page.waitForTimeout(200);
    shots.push({ name: 'a game with the pointer over a gem', png: await canvas.screenshot(), helpLine: false });
    return shots;
  } finally {
    await browser.context.close();
  }
}

const [first, second] = [await moments(addresses[0]), await moments(addresses[1])];
const reader = await openBrowser();
try {
  for (let k = 0; k < first.length; ++k) {
    if (folder) {
      fs.writeFileSync(path.join(folder, `moment-${k}-first.png`), first[k].png);
      fs.writeFileSync(path.join(folder, `moment-${k}-second.png`), second[k].png);
    }
    await keepPicture(reader.page, first[k].png, 'firstPicture');
    await keepPicture(reader.page, second[k].png, 'secondPicture');
    const found = await reader.page.evaluate((helpLine) => {
      const [p, q] = [window.firstPicture.pixels, window.secondPicture.pixels];
      const { width, height } = window.firstPicture;
      // The help line: the lowest rows lit in either picture, up to the first black row above them.
      const lit = (row) => {
        for (let i = 4 * width * row; i < 4 * width * (row + 1); i += 4) {
          if (Math.max(p[i], p[i + 1], p[i + 2], q[i], q[i + 1], q[i + 2]) >= 25) return true;
        }
        return false;
      };
      let bottom = height - 1;
      while (helpLine && bottom >= 0 && !lit(bottom)) --bottom;
      let top = bottom;
      while (helpLine && top > 0 && lit(top - 1)) --top;
      const band = helpLine && bottom >= 0 ? [top, bottom] : null;
      let differing = 0, largest = 0, inBand = 0;
      for (let i = 0; i < p.length; i += 4) {
        const difference = Math.max(Math.abs(p[i] - q[i]), Math.abs(p[i + 1] - q[i + 1]), Math.abs(p[i + 2] - q[i + 2]));
        if (difference === 0) continue;
        ++differing;
        largest = Math.max(largest, difference);
        const row = Math.floor(i / 4 / width);
        if (band && row >= band[0] && row <= band[1]) ++inBand;
      }
      return { pixels: p.length / 4, differing, largest, band, inBand };
    }, first[k].helpLine);
    let line = `moment ${k} (${first[k].name}): ${found.differing} of ${found.pixels} pixels differ, ` +
               `by at most ${found.largest} of 255`;
    if (found.band) {
      line += `; ${found.inBand} in the help line (rows ${found.band[0]} to ${found.band[1]}), ` +
              `${found.differing - found.inBand} elsewhere`;
    }
    console.log(line);
  }
} finally {
  await reader.context.close();
}
