// The page in Debian's Firefox ESR, headless, over WebDriver BiDi (the
// protocol Firefox speaks itself; no driver of its own is needed): the
// demo song converts in the worker to orvo's bytes and the synthesizer
// starts with its SoundFont. Skipped where firefox-esr is not installed.
//
//   ORVO=build/orvo SITE=build-web/site node --test web/test/firefox.test.mjs
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import WebSocket from 'ws';
import { serve } from '../serve.mjs';

const top = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const ORVO = resolve(top, process.env.ORVO || 'build/orvo');
const SITE = resolve(top, process.env.SITE || 'build-web/site');
const FIREFOX = process.env.FIREFOX || '/usr/bin/firefox-esr';
const skip = existsSync(FIREFOX) ? false : `${FIREFOX} is not installed`;

const work = mkdtempSync(join(tmpdir(), 'orvo-firefox-'));
let server, url, firefox, socket, context;
let nextId = 1;
const pending = new Map();

function send(method, params = {}) {
  const id = nextId++;
  socket.send(JSON.stringify({ id, method, params }));
  return new Promise((ok, fail) => pending.set(id, { ok, fail, method }));
}

// Runs an expression in the page (awaiting a promise) and gives back its
// JSON-serialisable value.
async function evaluate(expression) {
  const r = await send('script.evaluate', {
    expression: `(async () => JSON.stringify(await (${expression})))()`,
    target: { context }, awaitPromise: true,
  });
  if (r.type === 'exception') throw new Error(`in the page: ${r.exceptionDetails.text}`);
  return r.result.value === undefined ? undefined : JSON.parse(r.result.value);
}

async function until(expression, timeout = 30000) {
  const end = Date.now() + timeout;
  for (;;) {
    if (await evaluate(expression)) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${expression}`);
    await new Promise((r) => setTimeout(r, 100));
  }
}

before(async () => {
  if (skip) return;
  ({ server, url } = await serve(SITE, 0));
  const profile = join(work, 'profile');
  spawnSync('mkdir', ['-p', profile]);
  // No traffic of its own.
  writeFileSync(join(profile, 'user.js'), [
    'user_pref("network.connectivity-service.enabled", false);',
    'user_pref("network.captive-portal-service.enabled", false);',
    'user_pref("app.update.enabled", false);',
    'user_pref("browser.safebrowsing.malware.enabled", false);',
    'user_pref("browser.safebrowsing.phishing.enabled", false);',
    'user_pref("datareporting.policy.dataSubmissionEnabled", false);',
    'user_pref("toolkit.telemetry.enabled", false);',
  ].join('\n'));
  firefox = spawn(FIREFOX, ['--headless', '--no-remote', '--profile', profile, '--remote-debugging-port', '0'],
    { stdio: ['ignore', 'ignore', 'pipe'], env: { ...process.env, MOZ_CRASHREPORTER_DISABLE: '1' } });
  const endpoint = await new Promise((ok, fail) => {
    let text = '';
    const timer = setTimeout(() => fail(new Error(`firefox did not start: ${text}`)), 60000);
    firefox.stderr.on('data', (d) => {
      text += d;
      const m = /WebDriver BiDi listening on (ws:\/\/\S+)/.exec(text);
      if (m) { clearTimeout(timer); ok(m[1]); }
    });
  });
  socket = new WebSocket(`${endpoint}/session`);
  await new Promise((ok, fail) => { socket.once('open', ok); socket.once('error', fail); });
  socket.on('message', (data) => {
    const m = JSON.parse(data);
    const p = pending.get(m.id);
    if (!p) return;
    pending.delete(m.id);
    if (m.type === 'error') p.fail(new Error(`${p.method}: ${m.error} ${m.message}`));
    else p.ok(m.result);
  });
  await send('session.new', { capabilities: {} });
  const tree = await send('browsingContext.getTree', {});
  context = tree.contexts[0].context;
  await send('browsingContext.navigate', { context, url, wait: 'complete' });
  await until('!!window.orvoPage');
});

after(async () => {
  if (socket) { try { await send('session.end'); } catch { /* already gone */ } socket.close(); }
  if (firefox) firefox.kill();
  if (server) server.close();
  rmSync(work, { recursive: true, force: true });
});

test('in Firefox the demo converts to orvo\'s bytes and the synthesizer starts with its SoundFont', { skip }, async () => {
  const demo = [...readFileSync(join(top, 'examples/demo.zmd'))];
  const sig = [...readFileSync(join(top, 'examples/demo.sig'))];
  await evaluate(`window.orvoPage.addFiles([{ path: 'demo.zmd', bytes: new Uint8Array(${JSON.stringify(demo)}) },
    { path: 'demo.sig', bytes: new Uint8Array(${JSON.stringify(sig)}) }])`);
  await until('window.orvoPage.state.songs.length === 1 && !!window.orvoPage.state.songs[0].result');
  const result = await evaluate('(() => { const r = window.orvoPage.state.songs[0].result; return { status: r.status, midi: r.midi && [...r.midi], title: r.title }; })()');
  assert.equal(result.status, 0);
  const native = spawnSync(ORVO, ['-c', 'demo.zmd'], { cwd: join(top, 'examples') }).stdout;
  assert.ok(Buffer.from(result.midi).equals(native), 'the demo\'s MIDI file in Firefox differs from orvo -c');
  assert.equal(result.title, 'orvo demo');

  // The synthesizer starts: its worklet, its code and the SoundFont load.
  // (Whether it sounds is checked in chromium: headless Firefox on a
  // machine without a sound device keeps every AudioContext suspended.)
  const presets = await evaluate('window.orvoPage.player.start().then(() => window.orvoPage.player.synth.presetList.length)');
  assert.ok(presets > 100, `${presets} presets`);
});
