// What the browser checks and the frame-rate bench share: a static web
// server on 127.0.0.1, Debian's Chromium in headless mode with SwiftShader
// WebGL 2, and a few helpers.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Calls probe until it gives something truthy; null after timeoutMs.
export async function waitFor(probe, timeoutMs, everyMs = 250) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    const got = await probe();
    if (got) return got;
    await sleep(everyMs);
  }
  return null;
}

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.wasm': 'application/wasm',
  '.css': 'text/css', '.json': 'application/json', '.png': 'image/png',
};

// Serves each URL prefix from its directory; gzip for whoever asks, as a
// static web server would. `server.sent` counts the bytes sent per path.
export function startServer(roots) {
  const prefixes = Object.keys(roots).sort((a, b) => b.length - a.length);
  const sent = {};
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const prefix = prefixes.find((p) => url.startsWith(p));
    const file = prefix && path.join(roots[prefix], url.slice(prefix.length));
    if (!file || file.includes('..') || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404, { 'Content-Type': 'text/plain' });
      res.end('not found');
      return;
    }
    let body = fs.readFileSync(file);
    const headers = { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                      'Cache-Control': 'no-store' };
    if (/\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      body = zlib.gzipSync(body, { level: 6 });
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    sent[url] = (sent[url] || 0) + body.length;
    res.writeHead(200, headers);
    res.end(body);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      server.port = server.address().port;
      server.sent = sent;
      resolve(server);
    });
  });
}

export const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

export async function launchBrowser(extraArgs = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dw-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    protocolTimeout: 900000,
    args: [
      '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
      '--no-sandbox', '--disable-gpu-sandbox', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
      '--disable-backgrounding-occluded-windows', '--autoplay-policy=user-gesture-required',
      ...extraArgs,
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// The share of pixels brighter than a dim grey in a part of a PNG screenshot
// (x, y, w, h as fractions of the picture), decoded by the page itself.
export async function litFraction(page, png, area) {
  return page.evaluate(async (b64, a) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + b64;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width;
    c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    const x = Math.floor(a.x * img.width), y = Math.floor(a.y * img.height);
    const w = Math.floor(a.w * img.width), h = Math.floor(a.h * img.height);
    const px = g.getImageData(x, y, w, h).data;
    let lit = 0;
    for (let i = 0; i < px.length; i += 4) if (px[i] + px[i + 1] + px[i + 2] > 150) lit++;
    return lit / (w * h);
  }, png.toString('base64'), area);
}
