// page_test.mjs -- the web page played in headless Chromium as a person plays it: it loads clean,
// shows the board and the game's help line, starts on space, scores a drag, sounds, pauses when
// hidden and keeps the table; switches between the timed and the relaxed game's tables by key and by
// a click, scrolls the table, and plays a relaxed game to its end with e, into the relaxed table
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  MODE_NAME_ENTRY, MODE_OVER, MODE_PLAY, TYPE_RELAXED, TYPE_TIMED, drag, game, keepPicture, loadGame, openBrowser,
  pageAddress, scoringSwap, storedFile, viewport, waitFor,
} from './browser.mjs';

const home = '/home/web_user';
const timedFile = `${home}/.quarzilscores`;
const relaxedFolder = `${home}/.local/share/quarzil`;
const relaxedFile = `${relaxedFolder}/relaxed-scores`;

// The gems' hues by kind, in degrees, as the game's palette gives them (blue, orange, yellow,
// magenta, green, red), each kind owning the hues nearer to it than to any other; the white
// sphere has no hue. Hue, unlike the colour itself, stays the same under shading and under the
// white of a highlight, so a gem lit at any angle reads as its kind.
const hues = [[0, 240], [1, 30], [2, 60], [3, 300], [4, 135], [5, 7.5]];
const WHITE = 6;

function nearestKind([r, g, b]) {
  const top = Math.max(r, g, b), bottom = Math.min(r, g, b);
  if (top === 0 || (top - bottom) / top < 0.35) return WHITE;
  const span = top - bottom;
  const hue = top === r ? 60 * (((g - b) / span + 6) % 6) : top === g ? 60 * ((b - r) / span + 2) : 60 * ((r - g) / span + 4);
  let best = -1, bestDistance = Infinity;
  for (const [kind, centre] of hues) {
    const distance = Math.min(Math.abs(hue - centre), 360 - Math.abs(hue - centre));
    if (distance < bestDistance) { bestDistance = distance; best = kind; }
  }
  return best;
}

// Reads the page's screenshot back in the page: the mean colour of the lit pixels in a box around
// each point, and how many pixels of a band look like the table's grey text or the panel's red.
async function readScreenshot(page, points, band) {
  await keepPicture(page, await page.screenshot());
  return page.evaluate(({ points, band }) => {
    const { width, height, pixels } = window.quarzilPicture;
    const at = (x, y) => { const i = 4 * (y * width + x); return [pixels[i], pixels[i + 1], pixels[i + 2]]; };
    // Text over a gem (the table's, the page's "Click to play") is grey or white: where most lit
    // pixels are coloured, only the coloured ones count; where few are, the gem is the white one.
    const means = points.map(([x, y]) => {
      const lit = [];
      for (let dy = -8; dy <= 8; ++dy) for (let dx = -8; dx <= 8; ++dx) {
        const p = at(Math.round(x) + dx, Math.round(y) + dy);
        if (Math.max(...p) >= 25) lit.push(p);   // not the black between and behind the gems
      }
      const coloured = lit.filter((p) => (Math.max(...p) - Math.min(...p)) / Math.max(...p) > 0.35);
      const counted = coloured.length >= 0.25 * lit.length ? coloured : lit;
      const sum = [0, 0, 0];
      for (const p of counted) { sum[0] += p[0]; sum[1] += p[1]; sum[2] += p[2]; }
      return counted.length ? sum.map((v) => v / counted.length) : [0, 0, 0];
    });
    let grey = 0, red = 0;
    for (let y = band.top; y < band.bottom; ++y) for (let x = band.left; x < band.right; ++x) {
      const [r, g, b] = at(x, y);
      if (Math.min(r, g, b) > 140 && Math.max(r, g, b) - Math.min(r, g, b) < 30) ++grey;
    }
    for (let y = 0; y < height; ++y) for (let x = 0; x < Math.floor(band.left); ++x) {
      const [r, g, b] = at(x, y);
      if (r > 120 && g < 60 && b < 40) ++red;
    }
    return { means, grey, red };
  }, { points, band });
}

// How many pixels are lit (any channel at 25 or more) in the screenshot's rows [from, to).
async function litRows(page, ranges) {
  await keepPicture(page, await page.screenshot());
  return page.evaluate((ranges) => {
    const { width, pixels } = window.quarzilPicture;
    let lit = 0;
    for (const [from, to] of ranges) {
      for (let i = 4 * width * from; i < 4 * width * to; i += 4) if (Math.max(pixels[i], pixels[i + 1], pixels[i + 2]) >= 25) ++lit;
    }
    return lit;
  }, ranges);
}

let browser;

before(async () => {
  browser = await openBrowser();
  await loadGame(browser.page);
});

after(async () => {
  await browser.context.close();
});

test('the page loads with no console error and asks for nothing but its own files', async () => {
  await browser.page.waitForTimeout(500);
  assert.deepEqual(browser.watched.errors, [], 'console errors');
  assert.deepEqual(browser.watched.foreign, [], `requests beyond ${pageAddress}`);
});

test('the start screen shows the board, the score panel and the high-score table', async () => {
  const { page } = browser;
  assert.equal(await game.mode(page), MODE_OVER, 'the page opens on the high-score screen');
  // The page asks for the click that lets the browser start the sound, and takes it away after.
  assert.ok(await page.isVisible('text=Click to play'), '"Click to play" before the first click');
  await page.mouse.click(viewport.width / 2, viewport.height / 2);
  assert.ok(await page.isHidden('#start'), '"Click to play" after the first click');
  await page.waitForTimeout(100);
  const kinds = await game.kinds(page);
  const points = await Promise.all(kinds.map((_, index) => game.square(page, index)));
  // The table's header lies between the first two rows of gems, seen from the eye.
  const [rowZero, rowOne] = [points[0][1], points[8][1]];
  const headerY = rowZero + 0.517 * (rowOne - rowZero), half = 0.15 * (rowOne - rowZero);
  const band = { left: Math.floor(points[0][0] - 20), right: Math.ceil(points[7][0] + 20),
                 top: Math.floor(headerY - half), bottom: Math.ceil(headerY + half) };
  const seen = await readScreenshot(page, points, band);
  const wrong = kinds.map((kind, index) => [index, kind, nearestKind(seen.means[index])])
    .filter(([, kind, drawn]) => kind !== drawn);
  assert.ok(wrong.length <= 4, `squares drawn in another gem's colour (square, expected, got): ${JSON.stringify(wrong)}`);
  assert.ok(seen.grey > 150, `the table's header: expected over 150 grey text pixels, got ${seen.grey}`);
  assert.ok(seen.red > 500, `the score panel: expected over 500 red pixels left of the board, got ${seen.red}`);
});

// The page's line of help below the canvas is the game's own, the one the canvas shows: read from
// the game, not written into the page.
test('the page\'s line of help is the game\'s help line, without the keys the browser keeps', async () => {
  const { page } = browser;
  const line = await page.evaluate(() => Module.UTF8ToString(Module._quarzil_help_line()));
  assert.equal(await page.innerText('#help'), `Quarzil \u2014 ${line}`, 'the page\'s line of help');
  assert.match(line, /H: hint/, 'the help line names the hint key');
  assert.doesNotMatch(line, /Esc|F11/, 'the help line names a key the browser keeps');
  const separators = line.match(/ {2,}/g) || [];
  assert.ok(separators.length > 0 && separators.every((gap) => gap === '  '),
    `keys joined by two spaces as on the desktop: got ${JSON.stringify(line)}`);
});

// The page at other shapes than 4:3: the whole scene stays in view. Taller than 4:3, the view is as
// wide as the canvas and centred with black bands above and below it; wider, it is as tall as the
// canvas and shows more at the sides. Read from the screenshot: every square's gem in its colour,
// the score panel's red, and nothing lit in the bands.
test('a page resized taller or wider than 4:3 keeps the whole scene in view', async () => {
  const { page } = browser;
  assert.equal(await game.mode(page), MODE_OVER);
  const kinds = await game.kinds(page);
  try {
    for (const size of [{ width: 600, height: 900 }, { width: 1400, height: 600 }]) {
      await page.setViewportSize(size);
      const frames = await game.frames(page);
      await waitFor(page, game.frames, (value) => value > frames + 3, 5000);
      const [width, height] = await page.evaluate(() => [Module.canvas.width, Module.canvas.height]);
      const points = await Promise.all(kinds.map((_, index) => game.square(page, index)));
      const outside = points.map(([x, y], index) => [index, Math.round(x), Math.round(y)])
        .filter(([, x, y]) => x < 8 || y < 8 || x >= width - 8 || y >= height - 8);
      assert.deepEqual(outside, [], `${size.width}x${size.height}: squares drawn outside the ${width}x${height} canvas`);
      const band = { left: Math.floor(points[0][0] - 20), right: Math.ceil(points[7][0] + 20), top: 0, bottom: 1 };
      const seen = await readScreenshot(page, points, band);
      const wrong = kinds.map((kind, index) => [index, kind, nearestKind(seen.means[index])])
        .filter(([, kind, drawn]) => kind !== drawn);
      assert.ok(wrong.length <= 4, `${size.width}x${size.height}: squares drawn in another gem's colour ` +
                `(square, expected, got): ${JSON.stringify(wrong)}`);
      assert.ok(seen.red > 200, `${size.width}x${size.height}: the score panel: expected over 200 red pixels, got ${seen.red}`);
      // The view's own height where the canvas is taller than 4:3; none is letterboxed otherwise.
      const viewHeight = Math.min(height, Math.floor(width * 3 / 4));
      const bandHeight = Math.floor((height - viewHeight) / 2);
      if (size.height > size.width) {
        assert.ok(bandHeight > 100, `${size.width}x${size.height}: expected bands above and below the view`);
        const lit = await litRows(page, [[0, bandHeight - 1], [height - bandHeight + 1, height]]);
        assert.equal(lit, 0, `${size.width}x${size.height}: lit pixels in the bands above and below the view`);
      }
      // The scene's 4:3 middle holds the board and the panel: wider pages add room at the sides.
      const middle = [(width - viewHeight * 4 / 3) / 2, (width + viewHeight * 4 / 3) / 2];
      assert.ok(points.every(([x]) => x > middle[0] && x < middle[1]),
        `${size.width}x${size.height}: squares outside the scene's middle ${JSON.stringify(middle)}`);
    }
  } finally {
    await page.setViewportSize(viewport);
  }
});

test('space starts a game and a drag that makes a run scores, with its sound in the browser\'s audio', async () => {
  const { page } = browser;
  await page.keyboard.press('Space');
  await waitFor(page, game.mode, (mode) => mode === MODE_PLAY);
  const swap = scoringSwap(await game.kinds(page));
  assert.ok(swap, 'the new board has a move that makes a run');
  const heardBefore = (await page.evaluate(() => window.quarzilAudio)).filter((peak) => peak > 0).length;
  await drag(page, swap[0], swap[1]);
  const scored = await waitFor(page, game.score, (value) => value > 0);
  assert.ok(scored > 0, `score after the drag: expected above 0, got ${scored}`);
  const heard = await waitFor(page, () => page.evaluate(() => window.quarzilAudio.filter((peak) => peak > 0).length),
    (count) => count > heardBefore, 5000);
  assert.ok(heard > heardBefore, 'no sound reached the browser\'s audio after the swap');
});

test('a hidden page pauses the game', async () => {
  const { page } = browser;
  assert.equal(await game.mode(page), MODE_PLAY);
  if (await game.paused(page)) await page.keyboard.press('p');
  await waitFor(page, game.paused, (value) => value === 0);
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { value: true, configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await waitFor(page, game.paused, (value) => value === 1, 2000);
  const frames = await game.frames(page);
  await page.waitForTimeout(300);
  assert.equal(await game.frames(page), frames, 'frames ran while the page was hidden');
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { value: false, configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await waitFor(page, game.frames, (value) => value > frames, 2000);
  assert.equal(await game.paused(page), 1, 'the game stays paused on return until p');
  await page.keyboard.press('p');
  await waitFor(page, game.paused, (value) => value === 0);
});

test('a finger\'s drag on a touch screen swaps as a mouse drag does', async () => {
  const { page } = browser;
  assert.equal(await game.mode(page), MODE_PLAY);
  const kinds = await restingKinds(page);
  const swap = scoringSwap(kinds);
  assert.ok(swap, 'the board has a move that makes a run');
  const before = await game.score(page);
  const [x0, y0] = await game.square(page, swap[0]);
  const [x1, y1] = await game.square(page, swap[1]);
  const touch = await page.context().newCDPSession(page);
  await touch.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: x0, y: y0 }] });
  for (let step = 1; step <= 8; ++step) {
    const x = x0 + (x1 - x0) * step / 8, y = y0 + (y1 - y0) * step / 8;
    await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x, y }] });
  }
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  const after = await waitFor(page, game.score, (value) => value > before);
  assert.ok(after > before, `score after the finger's drag: expected above ${before}, got ${after}`);
});

test('a name typed at the end of a game is in the table after the browser is closed and opened again', async () => {
  const { page, profile } = browser;
  assert.ok((await game.score(page)) > 0, 'a game with points is being played');
  // Fifty seconds of the clock, run fast.
  await page.evaluate(() => window.quarzilSpeed(25));
  await waitFor(page, game.mode, (mode) => mode === MODE_NAME_ENTRY, 30000);
  await page.evaluate(() => window.quarzilSpeed(1));
  // Name entry starts from the name typed last: clear it first.
  for (let i = 0; i < 12; ++i) await page.keyboard.press('Backspace');
  await page.keyboard.type('webtester');
  await page.keyboard.press('Enter');
  await waitFor(page, game.mode, (mode) => mode === MODE_OVER);
  assert.equal(await game.tableName(page, 0), 'webtester', 'the name in the table before the reload');
  // The save goes to storage as soon as it is written: give the browser a moment, then close it.
  await page.waitForTimeout(1000);
  await browser.context.close();

  browser = await openBrowser(profile);
  await loadGame(browser.page);
  assert.equal(await game.tableName(browser.page, 0), 'webtester', 'the name in the table after reopening');
  await browser.page.reload();
  await browser.page.waitForFunction(() => window.quarzilFirstFrame !== undefined);
  assert.equal(await game.tableName(browser.page, 0), 'webtester', 'the name in the table after a reload');
  assert.deepEqual(browser.watched.errors, [], 'console errors');
});

// The value once it is what is expected, or the last one read after a while of waiting: for an
// assertion that says what it got.
// The kinds of a board at rest: the same kinds twice, a while apart.
async function restingKinds(page) {
  let kinds = await game.kinds(page);
  for (;;) {
    await page.waitForTimeout(600);
    const now = await game.kinds(page);
    if (JSON.stringify(now) === JSON.stringify(kinds)) return kinds;
    kinds = now;
  }
}

async function settled(page, what, expected, timeout = 3000) {
  try {
    return await waitFor(page, what, (value) => value === expected, timeout);
  } catch {
    return what(page);
  }
}

// A few frames drawn after a change, so that a screenshot shows it.
async function framesLater(page) {
  const frames = await game.frames(page);
  await waitFor(page, game.frames, (value) => value > frames + 2, 5000);
}

// The canvas pixels where a click switches the game type, as the game reads a click: the box
// around the name shown now.
function typeNameBox(page) {
  return page.evaluate(() => {
    let box = null;
    for (let y = 0; y < Module.canvas.height; y += 2) {
      for (let x = 0; x < Module.canvas.width / 2; x += 2) {
        if (!Module._quarzil_on_type_name(x, y)) continue;
        box = box ? { left: Math.min(box.left, x), top: Math.min(box.top, y), right: Math.max(box.right, x),
                      bottom: Math.max(box.bottom, y) } : { left: x, top: y, right: x, bottom: y };
      }
    }
    return box;
  });
}

// How many pixels of two screenshots of the same size differ by more than a shade.
async function differingPixels(page, first, second) {
  await keepPicture(page, first, 'quarzilFirst');
  await keepPicture(page, second, 'quarzilSecond');
  return page.evaluate(() => {
    const [a, b] = [window.quarzilFirst.pixels, window.quarzilSecond.pixels];
    let count = 0;
    for (let i = 0; i < a.length; i += 4) {
      if (Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2])) > 40) ++count;
    }
    return count;
  });
}

async function reload(page) {
  await page.reload();
  await page.waitForFunction(() => window.quarzilFirstFrame !== undefined, null, { timeout: 30000 });
}

test('on the table screen Right shows the relaxed table, Left the timed one, a click on the type\'s name ' +
     'switches, and the type chosen is kept over a reload', async () => {
  const { page } = browser;
  assert.equal(await game.mode(page), MODE_OVER, 'the table screen');
  assert.equal(await game.type(page), TYPE_TIMED, 'the timed game\'s table in a new browser');
  // Which keys the page kept from the browser: the game's arrows and page keys scroll no page.
  await page.evaluate(() => {
    window.quarzilKeys = {};
    window.addEventListener('keydown', (event) => { window.quarzilKeys[event.key] = event.defaultPrevented; });
  });
  const timedBox = await typeNameBox(page);
  assert.ok(timedBox, 'the type\'s name on the table screen, where a click switches it');

  await page.keyboard.press('ArrowRight');
  assert.equal(await settled(page, game.type, TYPE_RELAXED), TYPE_RELAXED, 'the type after Right');
  assert.equal(await game.tableName(page, 0), '', 'the relaxed table\'s first row, empty in a new browser');
  const relaxedBox = await typeNameBox(page);
  assert.ok(relaxedBox, 'the relaxed type\'s name on the table screen');
  // The name's region, the longer name's box and a margin, in both pictures.
  const clip = {
    x: Math.min(timedBox.left, relaxedBox.left) - 4, y: Math.min(timedBox.top, relaxedBox.top) - 4,
    width: Math.max(timedBox.right, relaxedBox.right) - Math.min(timedBox.left, relaxedBox.left) + 8,
    height: Math.max(timedBox.bottom, relaxedBox.bottom) - Math.min(timedBox.top, relaxedBox.top) + 8,
  };
  await framesLater(page);
  const relaxedPicture = await page.screenshot({ clip });

  await page.keyboard.press('ArrowLeft');
  assert.equal(await settled(page, game.type, TYPE_TIMED), TYPE_TIMED, 'the type after Left');
  assert.equal(await game.tableName(page, 0), 'webtester', 'the timed table\'s first row after Left');
  await framesLater(page);
  const timedPicture = await page.screenshot({ clip });
  await page.keyboard.press('ArrowLeft');   // Left again: the timed table stays
  await framesLater(page);
  const timedAgain = await page.screenshot({ clip });
  const changed = await differingPixels(page, timedPicture, relaxedPicture);
  const unchanged = await differingPixels(page, timedPicture, timedAgain);
  assert.ok(changed > 50 && unchanged * 5 < changed,
    `pixels of the name's region that differ: timed and relaxed, expected over 50, got ${changed}; ` +
    `timed twice, expected under a fifth of that, got ${unchanged}`);
  assert.equal(await game.type(page), TYPE_TIMED, 'the type after Left twice');

  await page.mouse.click((timedBox.left + timedBox.right) / 2, (timedBox.top + timedBox.bottom) / 2);
  assert.equal(await settled(page, game.type, TYPE_RELAXED), TYPE_RELAXED, 'the type after a click on its name');
  assert.equal(await game.mode(page), MODE_OVER, 'the table screen after the click');

  // The table scrolls by key and by the wheel, within its hundred rows.
  const moves = [['PageDown', 10], ['ArrowDown', 11], ['ArrowUp', 10], ['PageUp', 0], ['ArrowUp', 0]];
  for (const [key, expected] of moves) {
    await page.keyboard.press(key);
    assert.equal(await settled(page, game.tableTop, expected), expected, `the table's first row shown after ${key}`);
  }
  const [x, y] = await game.square(page, 27);
  await page.mouse.move(x, y);
  await page.mouse.wheel(0, 100);
  const down = await waitFor(page, game.tableTop, (value) => value > 0, 3000).catch(() => 0);
  assert.ok(down > 0, 'the table\'s first row shown after the wheel turned down: expected above 0, got 0');
  for (let turn = 0; turn < down; ++turn) await page.mouse.wheel(0, -100);
  assert.equal(await settled(page, game.tableTop, 0), 0, 'the table\'s first row shown after the wheel turned back');
  const kept = await page.evaluate(() => window.quarzilKeys);
  for (const key of ['ArrowRight', 'ArrowLeft', 'ArrowUp', 'ArrowDown', 'PageUp', 'PageDown']) {
    assert.equal(kept[key], true, `${key} kept from the browser (its default prevented)`);
  }
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'the page scrolled');

  // The choice goes to the settings in storage, and the page reloaded opens on it.
  await page.waitForTimeout(500);
  await reload(page);
  assert.equal(await game.type(page), TYPE_RELAXED, 'the type after a reload');
  assert.equal(await game.tableName(page, 0), '', 'the relaxed table shown after a reload');
  assert.match(await page.innerText('#help'), /E: end/i, 'the page\'s line of help for the relaxed game names e');
});

test('a relaxed game started with space has a clock that stands still; e ends it, and a name typed lands in ' +
     'the relaxed table in storage, not the timed one, and is there after a reload', async () => {
  const { page } = browser;
  assert.equal(await game.type(page), TYPE_RELAXED, 'the relaxed type chosen');
  await page.mouse.click(2, 2);   // the click the browser asks for before sound, off the board

  // Ended before it scored, a relaxed game goes back to the table screen with no name asked.
  await page.keyboard.press('Space');
  await waitFor(page, game.mode, (mode) => mode === MODE_PLAY);
  await page.keyboard.press('e');
  assert.equal(await settled(page, game.mode, MODE_OVER), MODE_OVER, 'the mode after e in a game without points');

  await page.keyboard.press('Space');
  await waitFor(page, game.mode, (mode) => mode === MODE_PLAY);
  assert.equal(await game.type(page), TYPE_RELAXED, 'the type of the game space started');
  // A board at rest, then a run scored.
  const kinds = await restingKinds(page);
  const swap = scoringSwap(kinds);
  assert.ok(swap, 'the board has a move that makes a run');
  await drag(page, swap[0], swap[1]);
  await waitFor(page, game.score, (value) => value > 0);
  const clock = await game.clock(page);
  // Ten seconds of game time, run fast: a timed game's clock would drain in them.
  await page.evaluate(() => window.quarzilSpeed(10));
  await page.waitForTimeout(1000);
  await page.evaluate(() => window.quarzilSpeed(1));
  assert.equal(await game.clock(page), clock, 'the relaxed game\'s clock after ten seconds of play');
  // The game is played on, unless the board its swap left had no move (the seed is the wall
  // clock's): then it ended by itself, into name entry as e would have.
  if (await game.mode(page) === MODE_PLAY) await page.keyboard.press('e');
  assert.equal(await settled(page, game.mode, MODE_NAME_ENTRY), MODE_NAME_ENTRY, 'the mode after e in a game that scored');
  for (let i = 0; i < 12; ++i) await page.keyboard.press('Backspace');
  await page.keyboard.type('relaxer');   // its e is a letter of the name here
  await page.keyboard.press('Enter');
  await waitFor(page, game.mode, (mode) => mode === MODE_OVER);
  assert.equal(await game.tableName(page, 0), 'relaxer', 'the relaxed table\'s first row');

  // In the browser's storage: the row in the relaxed table's file, in the folder the game made.
  const stored = await waitFor(page, (p) => storedFile(p, relaxedFile), (file) => file && file.text.includes('relaxer'),
    5000).catch(() => null);
  assert.ok(stored, `the relaxed table's file in storage holds the name (${relaxedFile})`);
  const timed = await storedFile(page, timedFile);
  assert.ok(timed && timed.text.includes('webtester') && !timed.text.includes('relaxer'),
    'the timed table\'s file in storage: expected "webtester" and no "relaxer"');
  const folder = await storedFile(page, relaxedFolder);
  assert.ok(folder && folder.text === null, `the relaxed table's folder in storage (${relaxedFolder})`);
  assert.equal((folder.mode & 0o777).toString(8), '700', 'the folder\'s permissions in storage');

  await reload(page);
  assert.equal(await game.type(page), TYPE_RELAXED, 'the type after a reload');
  assert.equal(await game.tableName(page, 0), 'relaxer', 'the relaxed table\'s first row after a reload');
  const folderMode = await page.evaluate((path) => Module.FS.stat(path).mode & 0o777, relaxedFolder);
  assert.equal(folderMode.toString(8), '700', 'the folder\'s permissions after a reload');
  await page.keyboard.press('ArrowLeft');
  await waitFor(page, game.type, (type) => type === TYPE_TIMED);
  const names = await page.evaluate(() => Array.from({ length: 100 }, (_, row) => Module.UTF8ToString(Module._quarzil_table_name(row))));
  assert.equal(names[0], 'webtester', 'the timed table\'s first row');
  assert.ok(!names.includes('relaxer'), 'the relaxed game\'s name in the timed table');

  // The timed game beside it: its clock drains, and e does not end it.
  await page.keyboard.press('Space');
  await waitFor(page, game.mode, (mode) => mode === MODE_PLAY);
  const start = await game.clock(page);
  await page.waitForTimeout(1000);
  await page.keyboard.press('e');
  await page.waitForTimeout(300);
  const drained = await game.clock(page);
  assert.ok(drained < start, `the timed game's clock after a second: expected below ${start}, got ${drained}`);
  assert.equal(await game.mode(page), MODE_PLAY, 'the timed game after e');
  assert.deepEqual(browser.watched.errors, [], 'console errors');
});
