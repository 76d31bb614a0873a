// The page around the game: fetches the game data with a progress bar, lays
// out the files in memory, keeps the user directory in the browser's storage
// (IndexedDB), starts the game, and shows what stops it.
//
// URL parameters:
//   data=URL     the game data to load (default: gamedata.res beside the page)
//   replay=URL   replay a recorded demo at the fixed step, without a window,
//                and publish its report (Module.dwReplayResult)
//   watch=URL    play a recorded demo in the window (with args=--timedemo, a
//                frame-rate measurement)
//   args=...     more command-line options for the game, separated by spaces
(function () {
  'use strict';
  const params = new URLSearchParams(location.search);
  const $ = (id) => document.getElementById(id);
  const dataUrl = params.get('data') || 'gamedata.res';
  const replayUrl = params.get('replay');
  const watchUrl = params.get('watch');
  const extraArgs = (params.get('args') || '').split(' ').filter((a) => a);
  const files = Module.dwFiles || { site: [], demos: [] };
  const USER_DIR = '/user';

  // --- WebGL 2 first -----------------------------------------------------------
  // The game draws with WebGL 2. Without it nothing is fetched: the page says
  // what is missing and what to do, and the program is never started.
  function hasWebGL2() {
    try {
      const gl = document.createElement('canvas').getContext('webgl2');
      if (!gl) return false;
      const lose = gl.getExtension('WEBGL_lose_context');
      if (lose) lose.loseContext();
      return true;
    } catch (err) {
      return false;
    }
  }
  if (!hasWebGL2()) {
    $('loading').hidden = true;
    $('message-title').textContent = 'This browser cannot show the game';
    $('message-text').textContent =
      'Duskwhirl 2 draws with WebGL 2, and this browser does not offer it here.\n\n' +
      'What to do:\n' +
      '  - turn on hardware acceleration in the browser\'s settings\n' +
      '    (Chrome, Edge: Settings, System, "Use graphics acceleration when available";\n' +
      '    Firefox: Settings, General, Performance), then restart the browser;\n' +
      '  - or use a current Firefox, Chrome, Edge or Safari (all offer WebGL 2);\n' +
      '  - if it still fails, the browser may have turned WebGL off for this\n' +
      '    graphics driver: updating the driver brings it back.';
    $('again').textContent = 'Try again';
    $('again').addEventListener('click', () => location.reload());
    $('message').hidden = false;
    console.warn('duskwhirl: no WebGL 2; the game is not started');
    // The program is neither fetched nor run.
    Module.instantiateWasm = () => ({});
    Module.preRun = [() => Module.addRunDependency('dw-no-webgl2')];
    return;
  }

  Module.canvas = $('canvas');
  Module.print = (text) => console.log(text);
  // The game's stderr carries its warnings; a failure that stops it reaches
  // the page through dwMessage or dwEnded.
  Module.printErr = (text) => console.warn(text);

  // --- what the page shows ---------------------------------------------------
  function setProgress(fraction, text) {
    $('fill').style.width = Math.round(Math.max(0, Math.min(1, fraction)) * 100) + '%';
    if (text) $('status').textContent = text;
  }
  let messageShown = false;
  function showMessage(title, text) {
    messageShown = true;
    $('loading').hidden = true;
    $('message-title').textContent = title;
    $('message-text').textContent = text;
    $('message').hidden = false;
    if (document.pointerLockElement) document.exitPointerLock();
  }
  $('again').addEventListener('click', () => location.reload());
  let noticeShown = false;
  function showNoticeOnce(text) {
    if (noticeShown) return;
    noticeShown = true;
    console.warn('duskwhirl: ' + text);
    $('notice').textContent = text;
    $('notice').hidden = false;
    setTimeout(() => { $('notice').hidden = true; }, 12000);
  }

  // The game's message boxes.
  Module.dwMessage = (caption, text, error) => {
    if (error) showMessage(caption, text);
    else showNoticeOnce(text);
  };
  // The game has closed (the player left, or it could not go on).
  Module.dwEnded = (status) => {
    Module.dwPersist();
    if (messageShown) return;
    if (status === 0) showMessage('Duskwhirl 2', 'The game has closed.');
    else showMessage('Duskwhirl 2', 'The game stopped (status ' + status + '). The browser console tells more.');
  };

  // --- full screen -------------------------------------------------------------
  // The whole page goes full screen; the game sees a bigger window.
  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(() => {});
  }
  $('fullscreen').addEventListener('click', (e) => { e.currentTarget.blur(); toggleFullscreen(); });
  // The button lies over the picture: it shows while the mouse moves over the
  // page and fades after two seconds of stillness, and never while the mouse
  // steers the ship (pointer lock).
  let idleTimer = 0;
  function showButton() {
    const steering = document.pointerLockElement !== null;
    $('fullscreen').classList.toggle('idle', steering);
    clearTimeout(idleTimer);
    if (!steering) idleTimer = setTimeout(() => $('fullscreen').classList.add('idle'), 2000);
  }
  window.addEventListener('mousemove', showButton, true);
  document.addEventListener('pointerlockchange', showButton);
  showButton();
  // Before the game hears them: F11 and Alt+Enter are the page's.
  window.addEventListener('keydown', (e) => {
    if (e.key === 'F11' || (e.key === 'Enter' && e.altKey)) {
      e.preventDefault();
      e.stopImmediatePropagation();
      if (!e.repeat) toggleFullscreen();
    }
  }, true);

  // --- sound starts with the first gesture --------------------------------------
  function resumeAudio() {
    const ctx = Module.SDL2 && Module.SDL2.audioContext;
    if (ctx && ctx.state === 'suspended') ctx.resume();
  }
  for (const type of ['pointerdown', 'keydown', 'touchstart'])
    window.addEventListener(type, resumeAudio, true);

  // --- the site pages open in a new tab ----------------------------------------
  // The game asks for file:///site/NAME; the pages lie beside this one.
  Module.dwOpenUrl = (url) => {
    const site = /^file:\/\/\/site\/([A-Za-z0-9._-]+)$/.exec(url);
    const target = site ? 'site/' + site[1] : url;
    if (!/^(https?:|site\/)/.test(target)) return false;
    window.open(target, '_blank', 'noopener');
    return true;
  };

  // --- persistent storage --------------------------------------------------------
  // The user directory lives in IndexedDB: read in before the game starts,
  // written after each save. A failure is said once on the page, and the
  // game's log gets it (Module.dwTakeStorageProblem) as on the desktop.
  let storageOk = true;
  let syncing = false;
  let syncAgain = false;
  const storageProblems = [];
  function storageFailed(err, why) {
    const text = why || 'the browser refused to store them (' + (err && (err.name || err.message) || err) + ')';
    storageOk = false;
    storageProblems.push(text);
    showNoticeOnce('settings and high scores will not be saved: ' + text);
  }
  Module.dwTakeStorageProblem = () => storageProblems.shift() || '';

  // Emscripten's IndexedDB file system reports a failed request as success
  // (its handlers pass `this.error` of an arrow function, always undefined),
  // and a transaction the browser aborts (a full quota) never calls back.
  // The requests pass their own error; an abort ends the sync with its
  // error; and a sync that does not answer in 20 s counts as failed.
  function mendIdbfs() {
    if (typeof IDBFS === 'undefined' || IDBFS.dwMended) return;
    IDBFS.dwMended = true;
    const passError = (req, callback) => {
      req.onerror = (e) => { callback(req.error || new Error('IndexedDB request failed')); e.preventDefault(); };
    };
    IDBFS.loadRemoteEntry = (store, path, callback) => {
      const req = store.get(path);
      req.onsuccess = (event) => callback(null, event.target.result);
      passError(req, callback);
    };
    IDBFS.storeRemoteEntry = (store, path, entry, callback) => {
      let req;
      try { req = store.put(entry, path); } catch (e) { callback(e); return; }
      req.onsuccess = () => callback(null);
      passError(req, callback);
    };
    IDBFS.removeRemoteEntry = (store, path, callback) => {
      const req = store.delete(path);
      req.onsuccess = () => callback(null);
      passError(req, callback);
    };
    const reconcile = IDBFS.reconcile;
    IDBFS.reconcile = (src, dst, callback) => {
      let answered = false;
      const once = (err) => { if (!answered) { answered = true; callback(err); } };
      const db = src.type === 'remote' ? src.db : dst.db;
      const open = db.transaction;
      db.transaction = function (...args) {
        const transaction = open.apply(this, args);
        transaction.addEventListener('abort', () =>
          once(transaction.error || new Error('the storage transaction was aborted')));
        transaction.addEventListener('error', (e) => once(e.target.error || transaction.error));
        return transaction;
      };
      try { reconcile(src, dst, once); } finally { db.transaction = open; }
    };
  }

  function syncUserDir(populate, done) {
    let answered = false;
    const timer = setTimeout(() => {
      if (answered) return;
      answered = true;
      done(null, 'the browser\'s storage does not answer (is it full?)');
    }, 20000);
    FS.syncfs(populate, (err) => {
      if (answered) return;
      answered = true;
      clearTimeout(timer);
      done(err);
    });
  }

  Module.dwPersist = () => {
    if (!storageOk || replayUrl) return;
    if (syncing) { syncAgain = true; return; }
    syncing = true;
    syncUserDir(false, (err, why) => {
      syncing = false;
      if (err || why) { storageFailed(err, why); return; }
      if (syncAgain) { syncAgain = false; Module.dwPersist(); }
    });
  };
  window.addEventListener('pagehide', () => Module.dwPersist());

  // Two tabs of the game would each write their own copy of the directory
  // over the other's: the first holds a lock for its life; another tab
  // plays without storing.
  function lockUserDir() {
    return new Promise((resolve) => {
      if (!navigator.locks) { resolve(true); return; }
      navigator.locks.request('duskwhirl-user-dir', { ifAvailable: true }, (lock) => {
        resolve(lock !== null);
        return lock ? new Promise(() => {}) : undefined;  // held until the page goes
      }).catch(() => resolve(true));
    });
  }

  // --- fetching ------------------------------------------------------------------
  async function fetchBytes(url, onProgress) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ': HTTP ' + response.status + ' ' + response.statusText);
    const total = Number(response.headers.get('Content-Length')) || 0;
    if (!response.body || !onProgress) return new Uint8Array(await response.arrayBuffer());
    const reader = response.body.getReader();
    const chunks = [];
    let got = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      got += value.length;
      onProgress(got, total);
    }
    const bytes = new Uint8Array(got);
    let at = 0;
    for (const c of chunks) { bytes.set(c, at); at += c.length; }
    return bytes;
  }

  // Everything the page fetches starts at once, with the program itself.
  const mib = (n) => (n / 1048576).toFixed(1) + ' MiB';
  const dataPromise = fetchBytes(dataUrl, (got, total) => {
    setProgress(total ? got / total : 0, 'Loading the game data: ' + mib(got) + (total ? ' of ' + mib(total) : ''));
  });
  dataPromise.catch(() => {});
  const demosPromise = replayUrl ? Promise.resolve([]) : Promise.all(files.demos.map((name) =>
    fetchBytes('demos/' + name).then((b) => [name, b]).catch(() => null)));
  const replayPromise = replayUrl || watchUrl ? fetchBytes(replayUrl || watchUrl) : Promise.resolve(null);
  replayPromise.catch(() => {});

  async function mountUserDir() {
    FS.mkdir(USER_DIR);
    if (replayUrl) return;  // a replay writes nothing that stays
    const owner = await lockUserDir();
    mendIdbfs();
    try {
      FS.mount(IDBFS, {}, USER_DIR);
    } catch (err) {
      storageFailed(err);
      return;
    }
    await new Promise((resolve) => syncUserDir(true, (err, why) => {
      if (err || why) storageFailed(err, why);
      resolve();
    }));
    // Read, never written back: the first tab's saves stay.
    if (!owner && storageOk) storageFailed(null, 'the game is open in another tab, which keeps them');
  }

  let programArgs = null;
  async function prepare() {
    FS.mkdir('/data');
    FS.mkdir('/data/demos');
    FS.mkdir('/site');
    // Stand-ins for the site pages: the game checks they exist, the browser
    // opens the real ones.
    for (const name of files.site) FS.writeFile('/site/' + name, '');
    await mountUserDir();
    let data;
    try {
      data = await dataPromise;
    } catch (err) {
      showMessage('Duskwhirl 2', 'The game data could not be loaded, so the game cannot start.\n\n' +
                  String(err.message || err));
      return false;
    }
    setProgress(1, 'Starting the game');
    FS.writeFile('/data/gamedata.res', data);
    for (const demo of await demosPromise)
      if (demo) FS.writeFile('/data/demos/' + demo[0], demo[1]);
    if (replayUrl || watchUrl) {
      try {
        FS.writeFile('/replay.dwdemo', await replayPromise);
      } catch (err) {
        showMessage('Duskwhirl 2', 'The demo could not be loaded.\n\n' + String(err.message || err));
        return false;
      }
    }
    if (replayUrl) {
      programArgs = ['--headless', '--replay', '/replay.dwdemo', '--report', '/report.json',
                     '--data', '/data/gamedata.res', '--user-dir', USER_DIR];
    } else {
      programArgs = ['--windowed', '--data', '/data/gamedata.res', '--user-dir', USER_DIR];
      if (watchUrl) programArgs.push('--replay', '/replay.dwdemo');
    }
    programArgs = programArgs.concat(extraArgs);
    return true;
  }

  let prepared = false;
  Module.preRun = [function () {
    Module.addRunDependency('dw-files');
    setProgress(0, 'Loading the game data');
    prepare().then((ok) => {
      prepared = ok;
      Module.removeRunDependency('dw-files');
    }, (err) => {
      showMessage('Duskwhirl 2', 'The page could not start the game.\n\n' + String(err.message || err));
    });
  }];

  // The page's panel gives way to the game's own picture: it stays, its bar
  // full, until the game has drawn its first frame, then fades out over it,
  // so that no blank page shows between the two.
  function handOver() {
    // The game's frames run in the animation frames; this one, asked for
    // after main, comes after its first.
    requestAnimationFrame(() => {
      Module.dwTimes.firstFrame = performance.now();
      const panel = $('loading');
      panel.classList.add('leaving');
      setTimeout(() => { panel.hidden = true; }, 400);
    });
  }
  // When the page reached each step (ms since the page began), for the bench.
  Module.dwTimes = {};
  dataPromise.then(() => { Module.dwTimes.dataFetched = performance.now(); }, () => {});

  Module.onRuntimeInitialized = function () {
    if (!prepared) return;
    Module.canvas.focus();
    if (replayUrl) {
      // A replay runs to its end inside main and leaves its report behind.
      let status = 1;
      try {
        status = Module.callMain(programArgs);
      } catch (err) {
        console.error(err);
      }
      $('loading').hidden = true;
      let report = '';
      try { report = FS.readFile('/report.json', { encoding: 'utf8' }); } catch (err) {}
      Module.dwReplayResult = { status: status, report: report };
      return;
    }
    running = true;
    Module.dwTimes.started = performance.now();
    Module.callMain(programArgs);
    handOver();
  };

  // The state of the running game, as the report of --report has it.
  // Empty until the program runs.
  let running = false;
  Module.dwReport = () => (running ? Module.UTF8ToString(Module._dw_web_report()) : '');

  Module.onAbort = (what) => showMessage('Duskwhirl 2', 'The game stopped: ' + what);
})();
