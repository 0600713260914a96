// measure.mjs -- what the web page costs in headless Chromium: the bytes it transfers, the time from
// loading to its first frame, the frames it draws a second while idle and the processor time a frame
// takes in the page and in the browser's GPU process (where the software WebGL draws). A measurement,
// not a test: it prints the figures and asserts none.
// The first load is in a browser just started, as a visitor's first; the page reloaded is measured
// too. Usage: QUARZIL_PAGE=http://127.0.0.1:PORT/[,http://127.0.0.1:OTHER/] node measure.mjs [ROUNDS]
// With two addresses (say the page before and after a change) the loads alternate, so that both meet
// the same load of a busy machine, and the second's figures are also given as ratios to the first's.
import fs from 'node:fs';
import zlib from 'node:zlib';

import { game, loadGame, openBrowser } from './browser.mjs';

const addresses = process.env.QUARZIL_PAGE.split(',');
const rounds = Number(process.argv[2] || 5);
const seconds = 4;   // of each frame-rate sample

// Processor time (1/100 s) of the browser's processes started from the given profile, by kind.
function processorTime(profile) {
  const processes = [];
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      // Chromium rewrites its processes' command lines into one string: read them as words.
      const command = fs.readFileSync(`/proc/${entry}/cmdline`, 'utf8').split(/[\0 ]/);
      const fields = fs.readFileSync(`/proc/${entry}/stat`, 'utf8').split(') ')[1].split(' ');
      processes.push({ pid: Number(entry), parent: Number(fields[1]), time: Number(fields[11]) + Number(fields[12]),
                       command });
    } catch { /* gone meanwhile */ }
  }
  const ours = new Set(processes.filter((p) => p.command.some((a) => a === `--user-data-dir=${profile}`))
    .map((p) => p.pid));
  for (let grown = true; grown;) {
    grown = false;
    for (const p of processes) if (!ours.has(p.pid) && ours.has(p.parent)) { ours.add(p.pid); grown = true; }
  }
  const byKind = {};
  for (const p of processes) {
    if (!ours.has(p.pid)) continue;
    const kind = (p.command.find((a) => a.startsWith('--type=')) || '--type=browser').slice(7);
    byKind[kind] = (byKind[kind] || 0) + p.time;
  }
  return byKind;
}

// Frames drawn a second, and milliseconds of processor time per frame in the GPU process and in the
// page's renderer, over a few seconds.
async function frameRate(browser) {
  const framesBefore = await game.frames(browser.page);
  const timeBefore = processorTime(browser.profile);
  const started = Date.now();
  await browser.page.waitForTimeout(seconds * 1000);
  const frames = await game.frames(browser.page) - framesBefore;
  const elapsed = (Date.now() - started) / 1000;
  const timeAfter = processorTime(browser.profile);
  const perFrame = (kind) => ((timeAfter[kind] || 0) - (timeBefore[kind] || 0)) * 10 / Math.max(frames, 1);
  return { rate: frames / elapsed, gpu: perFrame('gpu-process'), renderer: perFrame('renderer') };
}

const median = (values) => { const sorted = values.slice().sort((a, b) => a - b); return sorted[Math.floor(sorted.length / 2)]; };

const figures = addresses.map(() => ({ firstFrames: [], reloads: [], idle: [], playing: [], bytes: 0, compressed: 0, files: 0 }));
for (let round = 0; round < rounds; ++round) {
  for (const [index, address] of addresses.entries()) {
    const seen = figures[index];
    const browser = await openBrowser();
    const bodies = [];
    browser.page.on('response', async (response) => {
      try { bodies.push(await response.body()); } catch { /* a redirect has no body */ }
    });
    await loadGame(browser.page, address);
    seen.firstFrames.push(await browser.page.evaluate(() => window.quarzilFirstFrame));
    await browser.page.waitForTimeout(500);
    if (round === 0) {
      seen.files = bodies.length;
      seen.bytes = bodies.reduce((sum, body) => sum + body.length, 0);
      seen.compressed = bodies.reduce((sum, body) => sum + zlib.gzipSync(body, { level: 9 }).length, 0);
    }
    // The start screen idles (still asking for the click that starts the sound); then a game waits
    // for the first move.
    seen.idle.push(await frameRate(browser));
    await browser.page.keyboard.press('Space');
    seen.playing.push(await frameRate(browser));
    // Loaded again in the running browser: its GPU process (and WebGL's start-up in it) is warm.
    await browser.page.reload();
    await browser.page.waitForFunction(() => window.quarzilFirstFrame !== undefined, null, { timeout: 30000 });
    seen.reloads.push(await browser.page.evaluate(() => window.quarzilFirstFrame));
    await browser.context.close();
  }
}

const summary = (samples) => ({ rate: median(samples.map((s) => s.rate)), gpu: median(samples.map((s) => s.gpu)),
                                renderer: median(samples.map((s) => s.renderer)) });
const describe = (s) => `${s.rate.toFixed(1)} frames a second, ${s.gpu.toFixed(1)} ms GPU process + ` +
                        `${s.renderer.toFixed(1)} ms page a frame`;
for (const [index, address] of addresses.entries()) {
  const seen = figures[index];
  console.log(`${address}`);
  console.log(`  page: ${seen.files} files, ${(seen.bytes / 1e6).toFixed(3)} MB (${(seen.compressed / 1e6).toFixed(3)} MB gzipped)`);
  const sorted = seen.firstFrames.slice().sort((a, b) => a - b);
  console.log(`  load to first frame: median ${Math.round(median(sorted))} ms, fastest ${Math.round(sorted[0])} ms, ` +
              `slowest ${Math.round(sorted[sorted.length - 1])} ms over ${rounds} loads`);
  console.log(`  reloaded in the running browser: median ${Math.round(median(seen.reloads))} ms to the first frame`);
  console.log(`  idle start screen: ${describe(summary(seen.idle))} (medians)`);
  console.log(`  a game waiting for a move: ${describe(summary(seen.playing))}`);
}
if (addresses.length === 2) {
  // Ratios of the second page's figures to the first's, load by load, then their median.
  const ratio = (pick) => median(figures[1][pick.from].map((s, k) => pick.of(s) / pick.of(figures[0][pick.from][k])));
  console.log('second / first, the median of each round\'s ratio:');
  console.log(`  load to first frame ${median(figures[1].firstFrames.map((t, k) => t / figures[0].firstFrames[k])).toFixed(2)}`);
  for (const from of ['idle', 'playing']) {
    console.log(`  ${from}: frames a second ${ratio({ from, of: (s) => s.rate }).toFixed(2)}, ` +
                `GPU process time a frame ${ratio({ from, of: (s) => s.gpu }).toFixed(2)}, ` +
                `page time a frame ${ratio({ from, of: (s) => s.renderer }).toFixed(2)}`);
  }
}
