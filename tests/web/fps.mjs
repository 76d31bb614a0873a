// The web build's frame rate on a demo against the bare WebGL 2 baseline
// (quads.html), in one browser, the time a first visit takes to reach the
// menu, and the page's size as served (gzip).
//   node fps.mjs --web build-web [--demo bench/barrage.dwdemo] [--runs 3] [--uncapped]
// Both pages run at the browser's own pace, one frame per display refresh
// (60 Hz headless), which is what a player sees. --uncapped lifts Chromium's
// frame-rate limit as well: then its compositor thread spins without pause,
// which on a machine of two cores takes the cores the software renderer
// needs, so those figures say little about the game.
import fs from 'node:fs';
import path from 'node:path';
import { startServer, launchBrowser, waitFor } from './harness.mjs';

const arg = (name, fallback) => {
  const i = process.argv.indexOf('--' + name);
  return i > 0 ? process.argv[i + 1] : fallback;
};
const here = path.dirname(new URL(import.meta.url).pathname);
const sourceDir = path.resolve(here, '../..');
const webDir = path.join(path.resolve(arg('web', 'build-web')), 'www');
const demo = arg('demo', 'bench/barrage.dwdemo');
const runs = Number(arg('runs', 3));
const uncapped = process.argv.includes('--uncapped');
const size = { width: 800, height: 600 };

const server = await startServer({ '/': webDir, '/bench/': path.join(sourceDir, 'bench'), '/base/': here });
const url = `http://127.0.0.1:${server.port}`;
const browser = await launchBrowser(['--disable-gpu-vsync', ...(uncapped ? ['--disable-frame-rate-limit'] : [])]);

async function gameFps() {
  const page = await browser.newPage();
  await page.setViewport(size);
  let summary = null;
  page.on('console', (m) => {
    const got = /([0-9.]+) frames per second after the first second/.exec(m.text());
    if (got) summary = Number(got[1]);
  });
  await page.goto(`${url}/duskwhirl.html?watch=${demo}&args=--timedemo`);
  await waitFor(async () => summary !== null, 900000, 500);
  await page.close();
  return summary;
}

async function baselineFps() {
  const page = await browser.newPage();
  await page.setViewport(size);
  await page.goto(`${url}/base/quads.html?seconds=6`);
  const fps = await waitFor(() => page.evaluate(() => window.baseline), 60000, 250);
  await page.close();
  return fps;
}

// A first visit (fresh storage): the seconds from the start of the page to
// the game data fetched, the game's first frame and the main menu taking input.
async function timeToMenu() {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(size);
  await page.goto(`${url}/duskwhirl.html`);
  const atMenu = await waitFor(() => page.evaluate(() => {
    const text = window.Module && Module.dwReport ? Module.dwReport() : '';
    const r = text ? JSON.parse(text) : null;
    return r && r.context.currentScreen === 0 && r.context.mouseActive === 1 ? performance.now() : null;
  }), 300000, 100);
  const times = await page.evaluate(() => window.Module && Module.dwTimes);
  await context.close();
  return { ...times, menu: atMenu };
}
const s = (ms) => (ms ? (ms / 1000).toFixed(1) + ' s' : 'never');
const loaded = await timeToMenu();
console.log(`time to the menu: ${s(loaded.menu)} (game data fetched at ${s(loaded.dataFetched)}, ` +
            `program started at ${s(loaded.started)}, its first frame at ${s(loaded.firstFrame)})`);

const pairs = [];
for (let i = 0; i < runs; i++) {
  const g = await gameFps();
  const b = await baselineFps();
  console.log(`run ${i + 1}: game ${g} fps, baseline ${b && b.toFixed(1)} fps`);
  if (g && b) pairs.push([g / b, g, b]);
}
pairs.sort((a, b) => a[0] - b[0]);
const m = pairs[Math.floor((pairs.length - 1) / 2)];
if (m) console.log(`game ${m[1].toFixed(1)} fps, baseline ${m[2].toFixed(1)} fps: ${(100 * m[0]).toFixed(0)} % of the baseline (median of ${pairs.length} runs, ${size.width}x${size.height}, ${uncapped ? 'uncapped' : 'paced by the display'})`);
else console.log('no measurement');

// What a first visit transfers: the page, its program and the game data, gzip as served.
const sent = server.sent;
let total = 0;
for (const f of ['/duskwhirl.html', '/duskwhirl.js', '/duskwhirl.wasm', '/gamedata.res']) {
  const raw = fs.statSync(path.join(webDir, f)).size;
  const gz = (await import('node:zlib')).gzipSync(fs.readFileSync(path.join(webDir, f)), { level: 6 }).length;
  total += gz;
  console.log(`${f.slice(1).padEnd(16)} ${String(raw).padStart(10)} bytes, ${String(gz).padStart(10)} gzip`);
}
const demos = fs.readdirSync(path.join(webDir, 'demos'));
let demoBytes = 0;
for (const d of demos) demoBytes += (await import('node:zlib')).gzipSync(fs.readFileSync(path.join(webDir, 'demos', d))).length;
console.log(`page + program + data: ${(total / 1048576).toFixed(2)} MiB gzip; the attract demos ${(demoBytes / 1048576).toFixed(2)} MiB more`);
void sent;
await browser.close();
server.close();
