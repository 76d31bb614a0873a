// Plays the web build in headless Chromium and checks it end to end:
//   node web_test.mjs --web build-web --native build [--shots DIR]
// Each check prints "ok" or "FAIL"; the exit status is the number of failures.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { startServer, launchBrowser, litFraction, sleep, waitFor } from './harness.mjs';

const arg = (name, fallback) => {
  const i = process.argv.indexOf('--' + name);
  return i > 0 ? process.argv[i + 1] : fallback;
};
const webDir = path.resolve(arg('web', 'build-web'));
// What a web site holds: the build fills www/ and the checks serve only that.
const siteDir = path.join(webDir, 'www');
const nativeDir = path.resolve(arg('native', 'build'));
const sourceDir = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const shots = path.resolve(arg('shots', path.join(webDir, 'test-shots')));
const only = arg('only', '');
fs.mkdirSync(shots, { recursive: true });

// Fixtures beside the page: a truncated data file and the bench demos.
const fixtures = fs.mkdtempSync(path.join(os.tmpdir(), 'dw-web-'));
const data = fs.readFileSync(path.join(siteDir, 'gamedata.res'));
fs.writeFileSync(path.join(fixtures, 'truncated.res'), data.subarray(0, Math.floor(data.length / 3)));
const server = await startServer({ '/': siteDir, '/fixtures/': fixtures, '/bench/': path.join(sourceDir, 'bench') });
const base = `http://127.0.0.1:${server.port}/duskwhirl.html`;
const browser = await launchBrowser();

let failures = 0;
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ': ' + detail : ''}`);
  if (!ok) failures++;
}

// A page of its own context (a fresh storage unless one is shared), with
// the errors its console shows.
async function openPage(url, context) {
  const page = await (context || browser).newPage();
  await page.setViewport({ width: 1024, height: 768 });
  page.errors = [];
  page.on('console', (m) => { if (m.type() === 'error') page.errors.push(m.text()); });
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(url);
  return page;
}

const report = async (page) => {
  const text = await page.evaluate(() => (window.Module && Module.dwReport ? Module.dwReport() : ''));
  return text ? JSON.parse(text) : null;
};
// Screen: 0 the front end, 1 play (as the context has them).
const screenOf = (r) => (r ? r.context.currentScreen : -1);

async function reachMenu(page, name) {
  const r = await waitFor(async () => {
    const now = await report(page);
    return now && screenOf(now) === 0 && now.context.mouseActive === 1 ? now : null;
  }, 120000);
  check(r !== null, `${name}: the page reaches the main menu`);
  if (!r) return false;
  await sleep(1500);  // the menu fades in
  const file = path.join(shots, `${name}-menu.png`);
  await page.screenshot({ path: file });
  const lit = await litFraction(page, fs.readFileSync(file), { x: 0.3, y: 0.25, w: 0.4, h: 0.5 });
  check(lit > 0.02, `${name}: the menu area is lit`, `${(lit * 100).toFixed(1)} % of its pixels`);
  return true;
}

async function pressKey(page, key, holdMs = 120) {
  await page.keyboard.down(key);
  await sleep(holdMs);
  await page.keyboard.up(key);
  await sleep(150);
}

// Enter on the menu, Enter on the level choice: the report once play shows a
// ship, null when it does not within the limit.
async function startGame(page) {
  await pressKey(page, 'Enter');
  await pressKey(page, 'Enter');
  return waitFor(async () => {
    const r = await report(page);
    return r && screenOf(r) === 1 && r.ship ? r : null;
  }, 120000);
}

// --- the menu, a game, the steering ----------------------------------------------
async function playCheck() {
  const context = await browser.createBrowserContext();
  const page = await openPage(base, context);
  if (!(await reachMenu(page, 'play'))) return context.close();
  await page.mouse.click(512, 384);  // the gesture that starts the sound
  const inGame = await startGame(page);
  check(inGame !== null, 'play: Enter starts a game with a ship');
  if (inGame) {
    await sleep(2500);  // the ship flies in
    const before = (await report(page)).ship;
    await page.keyboard.down('ArrowLeft');
    await page.keyboard.down('ArrowUp');
    await sleep(1500);
    await page.keyboard.up('ArrowLeft');
    await page.keyboard.up('ArrowUp');
    const after = (await report(page)).ship;
    const moved = before && after && after.x < before.x - 0.05;
    check(moved, 'play: held arrow keys move the ship',
          before && after ? `x ${before.x.toFixed(2)} -> ${after.x.toFixed(2)}, y ${before.y.toFixed(2)} -> ${after.y.toFixed(2)}` : 'no ship');
    await page.screenshot({ path: path.join(shots, 'play-game.png') });
  }
  check(page.errors.length === 0, 'play: the console shows no error', page.errors.join(' | '));
  await context.close();
}

// --- a high score survives a reload ------------------------------------------------
async function highScoreCheck() {
  const context = await browser.createBrowserContext();
  let page = await openPage(base, context);
  if (!(await reachMenu(page, 'scores'))) return context.close();
  const playing = await startGame(page);
  check(playing !== null, 'scores: a game starts');
  // The game ends with a score for the first place; the name is typed as a
  // player types it.
  await page.evaluate(() => Module._dw_web_end_game_with_score(912345));
  const entry = await waitFor(async () => {
    const r = await report(page);
    return r && screenOf(r) === 0 && r.objects.records ? r : null;
  }, 180000);
  check(entry !== null, 'scores: the game over opens the table for a name');
  for (const key of ['KeyW', 'KeyE', 'KeyB']) await pressKey(page, key);
  await pressKey(page, 'Enter');
  await sleep(1500);  // the save goes to the browser's storage
  await page.screenshot({ path: path.join(shots, 'scores-entered.png') });
  const errorsBefore = page.errors.slice();
  await page.reload();
  await reachMenu(page, 'scores-reloaded');
  const table = await page.evaluate(() => Array.from(FS.readFile('/user/records.csm')));
  // records.csm: eight names of 17 bytes, then eight scores (32 bits, little-endian).
  const name = String.fromCharCode(...table.slice(0, 17)).replace(/\0.*$/s, '');
  const score = (table[136] | (table[137] << 8) | (table[138] << 16) | (table[139] << 24)) >>> 0;
  // The score is the one given, and what the game scored before it ended.
  check(name.toUpperCase() === 'WEB' && score >= 912345 && score < 1000000,
        'scores: the new first place is there after a reload',
        `"${name}" ${score}`);
  const best = (await report(page)).context.bestScore;
  check(best === score, 'scores: the game reads it back', `best score ${best}`);
  const errors = errorsBefore.concat(page.errors);
  check(errors.length === 0, 'scores: the console shows no error', errors.join(' | '));
  await context.close();
}

// --- the browser's storage refuses: a full quota, a second tab ----------------------
const noticeOf = (page) => page.evaluate(() => {
  const n = document.getElementById('notice');
  return n && n.textContent ? n.textContent : null;
});
const logOf = (page) => page.evaluate(() => {
  try { return new TextDecoder().decode(FS.readFile('/user/file.log')); } catch (e) { return ''; }
});

async function storageCheck() {
  // A quota of a few bytes: IndexedDB aborts the first write.
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  const origin = new URL(base).origin;
  const session = await page.createCDPSession();
  await session.send('Storage.overrideQuotaForOrigin', { origin, quotaSize: 64 });
  await page.goto(base);
  if (await reachMenu(page, 'quota')) {
    await startGame(page);
    await pressKey(page, 'Escape');  // a save of the settings on the way back
    const said = await waitFor(() => noticeOf(page), 40000);
    check(said !== null && /will not be saved/.test(said), 'storage: a full quota is said on the page',
          said || 'no notice');
    const log = await waitFor(async () => ((await logOf(page)).match(/will not be saved: .*/) || [null])[0], 10000);
    check(log !== null, 'storage: and in the log', log || 'no line');
  }
  await context.close();

  // Two tabs of one storage: the second says it keeps nothing.
  const shared = await browser.createBrowserContext();
  const first = await openPage(base, shared);
  await reachMenu(first, 'tab1');
  const second = await openPage(base, shared);
  await reachMenu(second, 'tab2');
  const notice = await waitFor(() => noticeOf(second), 10000);
  check(notice !== null && /another tab/.test(notice), 'storage: a second tab says it saves nothing',
        notice || 'no notice');
  check((await noticeOf(first)) === null, 'storage: the first tab saves as ever');
  await shared.close();
}

// --- a demo recorded natively replays to the same report -------------------------------
async function replayCheck(demo) {
  const native = path.join(fixtures, 'native-report.json');
  const user = fs.mkdtempSync(path.join(os.tmpdir(), 'dw-web-user-'));
  execFileSync(path.join(nativeDir, 'duskwhirl'), ['--headless', '--replay', path.join(sourceDir, 'bench', demo),
    '--report', native, '--data', path.join(siteDir, 'gamedata.res'), '--user-dir', user],
    { stdio: ['ignore', 'ignore', 'inherit'], env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
  const context = await browser.createBrowserContext();
  const page = await openPage(`${base}?replay=bench/${demo}`, context);
  const result = await waitFor(() => page.evaluate(() => window.Module && Module.dwReplayResult), 600000, 1000);
  const expected = fs.readFileSync(native, 'utf8');
  if (!result) {
    check(false, `replay ${demo}: the page replays the demo`, 'no result');
  } else {
    check(result.status === 0, `replay ${demo}: the replay ends well`, `status ${result.status}`);
    const same = result.report === expected;
    let detail = '';
    if (!same) {
      fs.writeFileSync(path.join(shots, 'replay-web.json'), result.report);
      fs.writeFileSync(path.join(shots, 'replay-native.json'), expected);
      detail = firstDifference(expected, result.report);
    }
    check(same, `replay ${demo}: the browser's report is the native one`, detail);
  }
  check(page.errors.length === 0, `replay ${demo}: the console shows no error`, page.errors.join(' | '));
  await context.close();
}

function firstDifference(a, b) {
  const fa = a.split(/[,{}]/), fb = b.split(/[,{}]/);
  for (let i = 0; i < Math.max(fa.length, fb.length); i++)
    if (fa[i] !== fb[i]) return `native ${fa[i]} / browser ${fb[i]}`;
  return 'lengths differ';
}

// --- missing and broken data ---------------------------------------------------------
async function dataCheck(name, dataUrl, wanted) {
  const context = await browser.createBrowserContext();
  const page = await openPage(`${base}?data=${dataUrl}`, context);
  const text = await waitFor(() => page.evaluate(() => {
    const m = document.getElementById('message');
    return m && !m.hidden ? document.getElementById('message-text').textContent : null;
  }), 120000);
  await page.screenshot({ path: path.join(shots, `data-${name}.png`) });
  check(text !== null && wanted.test(text), `data ${name}: the page says why the game cannot start`,
        text ? text.split('\n')[0] : 'no message');
  await context.close();
}

// --- the served folder holds the site's files and nothing else ------------------------
function siteFilesCheck() {
  const listed = [];
  const walk = (dir, prefix) => {
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
      if (e.isDirectory()) walk(path.join(dir, e.name), prefix + e.name + '/');
      else listed.push(prefix + e.name);
    }
  };
  walk(siteDir, '');
  const wanted = (f) => /^duskwhirl\.(html|js|wasm)$/.test(f) || f === 'gamedata.res' ||
    /^demos\/[^/]+\.dwdemo$/.test(f) || /^site\/[^/]+\.(html|css)$/.test(f);
  const stray = listed.filter((f) => !wanted(f));
  check(stray.length === 0, 'site: www/ holds only the page, its program, data, demos and site pages',
        stray.slice(0, 8).join(', '));
  for (const f of ['duskwhirl.html', 'duskwhirl.js', 'duskwhirl.wasm', 'gamedata.res', 'site/index.html'])
    check(listed.includes(f), `site: www/ holds ${f}`);
  check(listed.some((f) => f.startsWith('demos/')), 'site: www/ holds the attract demos');
}

// --- a browser without WebGL 2 -----------------------------------------------------------
// The page says what is missing and what to do, and fetches neither the
// program nor the game data.
async function noWebGL2Check() {
  const plain = await launchBrowser(['--disable-webgl2']);
  try {
    const before = { ...server.sent };
    const page = await plain.newPage();
    await page.setViewport({ width: 1024, height: 768 });
    await page.goto(base);
    const text = await waitFor(() => page.evaluate(() => {
      const m = document.getElementById('message');
      return m && !m.hidden ? document.getElementById('message-title').textContent + '\n' +
        document.getElementById('message-text').textContent : null;
    }), 30000);
    await sleep(1500);  // time for any fetch that would follow
    await page.screenshot({ path: path.join(shots, 'no-webgl2.png') });
    check(text !== null && /WebGL 2/.test(text) && /hardware acceleration/.test(text),
          'no WebGL 2: the page says what is missing and what to do', text ? text.split('\n')[1] : 'no message');
    const fetched = (f) => (server.sent[f] || 0) > (before[f] || 0);
    check(!fetched('/gamedata.res') && !fetched('/duskwhirl.wasm'),
          'no WebGL 2: neither the game data nor the program is fetched',
          Object.keys(server.sent).filter((f) => fetched(f)).join(', '));
  } finally {
    await plain.close();
  }
}

const checks = {
  site: siteFilesCheck,
  nowebgl2: noWebGL2Check,
  play: playCheck,
  scores: highScoreCheck,
  storage: storageCheck,
  replay: () => replayCheck(arg('demo', 'level4-opening.dwdemo')),
  missing: () => dataCheck('missing', 'fixtures/none.res', /could not be loaded/),
  truncated: () => dataCheck('truncated', 'fixtures/truncated.res', /No usable game data/),
};
const started = Date.now();
try {
  for (const [name, run] of Object.entries(checks)) {
    if (only && !only.split(',').includes(name)) continue;
    try {
      await run();
    } catch (err) {
      check(false, `${name}: ran to its end`, String(err && err.stack || err));
    }
  }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(fixtures, { recursive: true, force: true });
}
console.log(`web-test: ${failures} failure(s) in ${((Date.now() - started) / 1000).toFixed(0)} s; screenshots in ${shots}`);
process.exit(failures ? 1 : 0);
