// storage_test.mjs -- what the browser's storage keeps: the sound setting across a reload; and a
// browser whose storage is absent or refuses the page: the game still loads and plays, its table
// kept for the visit, and the console says so in one line, with no error
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { MODE_OVER, MODE_PLAY, game, loadGame, openBrowser, waitFor } from './browser.mjs';

test('"m" turns the sound off, and the page reloaded keeps it off until "m" again', async () => {
  const browser = await openBrowser();
  try {
    const { page } = browser;
    await loadGame(page);
    assert.equal(await game.soundOff(page), 0, 'the sound is on in a new browser');
    for (const expected of [1, 0]) {
      await page.keyboard.press('m');
      await waitFor(page, game.soundOff, (value) => value === expected, 5000);
      // The setting goes to storage as soon as it changes: give the browser a moment.
      await page.waitForTimeout(500);
      await page.reload();
      await page.waitForFunction(() => window.quarzilFirstFrame !== undefined, null, { timeout: 30000 });
      assert.equal(await game.soundOff(page), expected, `the sound setting after a reload (1: off)`);
    }
    assert.deepEqual(browser.watched.errors, [], 'console errors');
  } finally {
    await browser.context.close();
  }
});

const cases = [
  { name: 'absent', script: () => { delete window.indexedDB; Object.defineProperty(window, 'indexedDB', { value: undefined }); } },
  { name: 'refusing', script: () => {
    const factory = window.indexedDB;
    factory.open = () => { throw new DOMException('The storage is blocked', 'SecurityError'); };
  } },
];

for (const storage of cases) {
  test(`a storage that is ${storage.name} leaves a working page and one line in the console`, async () => {
    const browser = await openBrowser();
    try {
      const warnings = [];
      browser.page.on('console', (message) => {
        if (message.text().startsWith('Quarzil:')) warnings.push(message.text());
      });
      await browser.context.addInitScript(storage.script);
      await loadGame(browser.page);
      assert.equal(await game.mode(browser.page), MODE_OVER, 'the page opens on the high-score screen');
      await browser.page.keyboard.press('Space');
      await waitFor(browser.page, game.mode, (mode) => mode === MODE_PLAY);
      assert.equal(warnings.length, 1, `the console's lines about storage: ${JSON.stringify(warnings)}`);
      assert.deepEqual(browser.watched.errors, [], 'console errors');
    } finally {
      await browser.context.close();
    }
  });
}
