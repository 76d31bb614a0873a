// The leaderboard page of duskwhirl-scores in headless Chromium: a board
// with a hostile name shows it as text, each row has a "watch" link to the
// browser build with the game's demo, and the demo behind it is the one
// stored.
//   node tests/server/page_test.mjs SERVER_PROGRAM GAMEDATA
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { launchBrowser, sleep, waitFor } from '../web/harness.mjs';

const [program, data] = process.argv.slice(2);
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'dw-scores-page-'));
const db = path.join(dir, 'scores.db');
const port = 20000 + (process.pid % 20000);
const base = `http://127.0.0.1:${port}`;
let failures = 0;
const check = (ok, what) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures += 1;
};

function start() {
  const server = spawn(program, ['--listen', `127.0.0.1:${port}`, '--db', `sqlite:${db}`, '--data', data,
                                 '--scratch', dir, '--play-url', '/play/duskwhirl.html'],
                       { stdio: ['ignore', 'inherit', 'inherit'] });
  return server;
}

async function up() {
  return waitFor(async () => {
    try {
      return (await fetch(`${base}/api/v1/health`)).ok;
    } catch {
      return false;
    }
  }, 60000);
}

// The store is made by the server; the games go in beside it, as if
// accepted (the page is under test, not the verifier).
let server = start();
if (!(await up())) throw new Error('the server did not start');
server.kill('SIGTERM');
await new Promise((r) => server.on('exit', r));
const hostile = '<img src=x onerror=alert(1)>"\'&';
const rows = [[hostile, 9000, 3], ['ACE', 12000, 4], ['Idle Ida', 500, 1]];
const sql = rows.map(([name, score, level], i) =>
  `INSERT INTO games (name, score, level, frames, created, address, sha256, game_sha256, demo) VALUES (` +
  `'${name.replaceAll("'", "''")}', ${score}, ${level}, 1000, 1800000000, '127.0.0.1', 'sha${i}', 'game${i}', ` +
  `X'4457444D4F${i.toString(16).padStart(2, '0')}');`).join('\n');
execFileSync('python3', ['-c', 'import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); c.executescript(sys.argv[2]); c.commit()',
                         db, sql]);
server = start();
if (!(await up())) throw new Error('the server did not start again');

const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('dialog', async (d) => {
    problems.push(`a dialog: ${d.message()}`);
    await d.dismiss();
  });
  await page.goto(`${base}/`, { waitUntil: 'load' });
  await sleep(500);
  const board = await page.evaluate(() => [...document.querySelectorAll('#board tbody tr')].map((tr) => ({
    name: tr.querySelector('td.name').textContent,
    score: tr.querySelector('td.score').textContent,
    level: tr.querySelector('td.level').textContent,
    date: tr.querySelector('td.date').textContent,
    elements: tr.querySelector('td.name').children.length,
    watch: tr.querySelector('a.watch').getAttribute('href'),
  })));
  check(board.length === 3, `three rows (${board.length})`);
  check(board.map((r) => r.score).join() === '12000,9000,500', `best first (${board.map((r) => r.score)})`);
  check(board[1].name === hostile && board[1].elements === 0, `the hostile name is text (${board[1].name})`);
  check(await page.evaluate(() => document.querySelectorAll('img').length) === 0, 'no element from a name');
  check(board[0].level === '4' && board[0].date === '2027-01-15 08:00 UTC', `level and date (${board[0].level}, ${board[0].date})`);
  const watch = board[0].watch;
  check(watch.startsWith('/play/duskwhirl.html#replay='), `watch link (${watch})`);
  const demoUrl = decodeURIComponent(watch.split('#replay=')[1]);
  // As the browser build would fetch it: from the page's site.
  const bytes = [...new Uint8Array(await (await fetch(new URL(demoUrl, base))).arrayBuffer())];
  check(bytes.length === 6 && String.fromCharCode(...bytes.slice(0, 5)) === 'DWDMO' && bytes[5] === 1,
        `the watch link's demo is the game's (${bytes})`);
  check(problems.length === 0, `no script ran, no error (${problems.join('; ')})`);
} finally {
  await browser.close();
  server.kill('SIGTERM');
  fs.rmSync(dir, { recursive: true, force: true });
}
console.log(failures ? `${failures} check(s) failed` : 'the leaderboard page holds');
process.exit(failures ? 1 : 0);
