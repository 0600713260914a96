// storage_test.mjs -- a browser whose storage is absent or refuses the page: the game still loads
// and plays, its table kept for the visit, and the console says so in one line, with no error
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { MODE_OVER, MODE_PLAY, game, loadGame, openBrowser, waitFor } from './browser.mjs';

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
