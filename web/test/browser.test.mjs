// The page in a real browser: Debian's chromium, headless, driven by
// playwright-core, against the built site served on 127.0.0.1. Every MIDI
// file the page hands out is compared byte for byte with what the native
// orvo writes for the same song and switches.
//
//   ORVO=build/orvo FIXTURES=build-web/orvo_web_fixtures SITE=build-web/site \
//     node --test web/test/browser.test.mjs
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { chromium } from 'playwright-core';
import { unzipSync, zipSync } from 'fflate';
import { serve } from '../serve.mjs';

const top = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const ORVO = resolve(top, process.env.ORVO || 'build/orvo');
const FIXTURES = resolve(top, process.env.FIXTURES || 'build-web/orvo_web_fixtures');
const SITE = resolve(top, process.env.SITE || 'build-web/site');
const SHOTS = resolve(top, process.env.SHOTS || 'build-web');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

const work = mkdtempSync(join(tmpdir(), 'orvo-web-'));
const songs = join(work, 'songs');
let server, url, context, page;
const requests = [];
const problems = [];

// What the native orvo writes to standard output (-c) for a song in `dir`,
// and its messages in UTF-8.
function orvo(dir, name, switches = []) {
  const r = spawnSync(ORVO, [...switches, '-c', name], { cwd: dir, maxBuffer: 1 << 30 });
  const messages = execFileSync('iconv', ['-f', 'CP932', '-t', 'UTF-8'], { input: r.stderr }).toString();
  return { status: r.status, midi: r.stdout, messages, last: messages.trimEnd().split('\n').pop() };
}

before(async () => {
  execFileSync('mkdir', ['-p', songs]);
  execFileSync(FIXTURES, [songs]);
  copyFileSync(join(top, 'examples/demo.zmd'), join(songs, 'demo.zmd'));
  copyFileSync(join(top, 'examples/demo.sig'), join(songs, 'demo.sig'));
  ({ server, url } = await serve(SITE, 0));
  context = await chromium.launchPersistentContext(join(work, 'profile'), {
    executablePath: CHROMIUM,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1240, height: 900 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=no-user-gesture-required'],
  });
  page = context.pages()[0] || (await context.newPage());
  page.on('request', (r) => requests.push(r.url()));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`${r.status()}: ${r.url()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error' && !m.text().startsWith('Failed to load resource')) problems.push(`console: ${m.text()}`);
  });
  page.on('worker', (w) => w.on('console', (m) => { if (m.type() === 'error') problems.push(`worker: ${m.text()}`); }));
  await page.goto(url);
  await page.waitForFunction(() => window.orvoPage);
});

after(async () => {
  if (context) await context.close();
  if (server) server.close();
  rmSync(work, { recursive: true, force: true });
});

const idle = () => page.evaluate(() => window.orvoPage.whenIdle());
const rowOf = (path) => page.locator('tr.song', { has: page.locator('td:first-child', { hasText: path }) });

// The rows of the song list as text.
function rows() {
  return page.evaluate(() => window.orvoPage.state.songs.map((s) => ({
    path: s.song.path,
    status: s.result && s.result.status,
    error: s.result && s.result.error,
    title: s.row.querySelector('.title').textContent,
    length: s.row.querySelector('.length').textContent,
    tracks: s.row.querySelector('.tracks').textContent,
    statusText: s.row.querySelector('.status').textContent,
    errorColour: s.row.querySelector('.status .error') && getComputedStyle(s.row.querySelector('.status .error')).color,
    messages: s.result && s.result.messages,
  })));
}

async function clear() {
  await page.click('#clear');
  await idle();
}

async function downloaded(click) {
  const [download] = await Promise.all([page.waitForEvent('download'), click()]);
  return { name: download.suggestedFilename(), bytes: readFileSync(await download.path()) };
}

// Drops files on the page as a user's drag and drop delivers them.
async function drop(names) {
  const files = names.map((n) => ({ name: n, data: [...readFileSync(join(songs, n))] }));
  await page.evaluate((list) => {
    const dt = new DataTransfer();
    for (const f of list) dt.items.add(new File([new Uint8Array(f.data)], f.name));
    document.getElementById('drop').dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
  }, files);
  await page.waitForFunction((n) => window.orvoPage.state.songs.length === n, names.filter((n) => /\.zmd$/i.test(n)).length);
  await idle();
}

async function setSwitches(expectedCommand, act) {
  await act();
  await page.waitForFunction((c) => document.getElementById('command').textContent === c, expectedCommand);
  await idle();
}

test('the WebAssembly module and its loader stay within 300 KB, 120 KB compressed', () => {
  const bytes = ['orvo.wasm', 'orvo.js'].map((n) => readFileSync(join(SITE, n)));
  const raw = bytes.reduce((a, b) => a + b.length, 0);
  const gz = bytes.reduce((a, b) => a + gzipSync(b, { level: 9 }).length, 0);
  console.log(`# wasm + loader: ${raw} bytes, ${gz} gzip`);
  assert.ok(raw <= 300 * 1024, `${raw} bytes`);
  assert.ok(gz <= 120 * 1024, `${gz} bytes compressed`);
});

test('the demo song dropped on the page downloads as orvo -c writes it, and with -L3 -m as orvo -L3 -m -c', async () => {
  await drop(['demo.zmd', 'demo.sig']);
  const [row] = await rows();
  assert.equal(row.status, 0, row.messages);
  const native = orvo(songs, 'demo.zmd');
  const got = await downloaded(() => rowOf('demo.zmd').locator('button.download').click());
  assert.equal(got.name, 'demo.MID');
  assert.ok(got.bytes.equals(native.midi), 'the page\'s demo.MID differs from orvo -c');
  assert.equal(row.messages, native.messages);

  await setSwitches('orvo -L3 -m demo.zmd', async () => {
    await page.fill('#switches input[name=L]', '3');
    await page.check('#switches input[name=m]');
  });
  const looped = await downloaded(() => rowOf('demo.zmd').locator('button.download').click());
  const nativeLooped = orvo(songs, 'demo.zmd', ['-L3', '-m']);
  assert.ok(!nativeLooped.midi.equals(native.midi));
  assert.ok(looped.bytes.equals(nativeLooped.midi), 'the page\'s demo.MID differs from orvo -L3 -m -c');
  await setSwitches('orvo demo.zmd', async () => {
    await page.fill('#switches input[name=L]', '2');
    await page.uncheck('#switches input[name=m]');
  });
});

test('three songs, with a signature and an MDD file, and a damaged file, in a .zip: three MIDI files, one error line, the zip', async () => {
  await clear();
  const given = ['SONG1.ZMD', 'song1.sig', 'mddsong.zmd', 'gs.mdd', 'third.zmd', 'broken.zmd'];
  const archive = join(work, 'songs.zip');
  writeFileSync(archive, zipSync(Object.fromEntries(given.map((n) => [n, readFileSync(join(songs, n))]))));
  await page.setInputFiles('#pick-files', archive);
  await page.waitForFunction(() => window.orvoPage.state.songs.length === 4);
  await idle();
  const list = await rows();
  assert.deepEqual(list.map((r) => [r.path, r.status]), [['SONG1.ZMD', 0], ['broken.zmd', 1], ['mddsong.zmd', 0], ['third.zmd', 0]]);
  const broken = list.find((r) => r.path === 'broken.zmd');
  assert.equal(broken.error, orvo(songs, 'broken.zmd').last);
  assert.equal(broken.errorColour, 'rgb(192, 38, 45)');
  assert.ok(broken.statusText.includes('ZMD形式のフォーマットではありません'));

  // Japanese as text: the title from CP932, the messages in UTF-8.
  const song1 = list.find((r) => r.path === 'SONG1.ZMD');
  assert.equal(song1.title, '春の海 ～ 序');
  assert.match(song1.messages, /^song1\.sig:signatureファイルを読み込みます。$/m);
  assert.match(song1.messages, /^TITLE:春の海 ～ 序$/m);
  assert.equal(song1.tracks, '3');
  assert.match(song1.length, /^0:\d\d$/);
  for (const r of list) assert.ok(!/[\uFFFD]|ã|â€/.test(r.messages + r.title), `mojibake in ${r.path}`);
  // Every message as orvo writes it, the MDD file named as it was found.
  for (const r of list) assert.equal(r.messages, orvo(songs, r.path).messages, `messages of ${r.path}`);
  assert.match(list.find((r) => r.path === 'mddsong.zmd').messages, /^ MDDファイル\[gs\.mdd\]を読み込みます。$/m);
  assert.equal(await page.locator('tr.song', { hasText: 'SONG1.ZMD' }).locator('td.title').textContent(), '春の海 ～ 序');

  const zip = await downloaded(() => page.click('#download-all'));
  assert.equal(zip.name, 'orvo-midi.zip');
  const members = unzipSync(new Uint8Array(zip.bytes));
  assert.deepEqual(Object.keys(members).sort(), ['SONG1.MID', 'mddsong.MID', 'third.MID']);
  for (const [member, song] of [['SONG1.MID', 'SONG1.ZMD'], ['mddsong.MID', 'mddsong.zmd'], ['third.MID', 'third.zmd']]) {
    assert.ok(Buffer.from(members[member]).equals(orvo(songs, song).midi), `${member} differs from orvo's`);
  }
});

test('a song naming an MDD file not given fails as orvo does and says so; a song at the 16 MiB bound converts and says so', async () => {
  await page.setInputFiles('#pick-files', ['lost.zmd', 'bound.zmd'].map((n) => join(songs, n)));
  await page.waitForFunction(() => window.orvoPage.state.songs.length === 6);
  await idle();
  const list = await rows();
  const lost = list.find((r) => r.path === 'lost.zmd');
  assert.equal(lost.status, 1);
  assert.equal(lost.error, orvo(songs, 'lost.zmd').last);
  assert.ok(lost.statusText.includes('NOWHERE.MDD is not among the files given'), lost.statusText);
  const bound = list.find((r) => r.path === 'bound.zmd');
  assert.equal(bound.status, 0);
  assert.ok(bound.statusText.includes('cut off at a bound'), bound.statusText);
  const got = await downloaded(() => rowOf('bound.zmd').locator('button.download').click());
  const native = orvo(songs, 'bound.zmd');
  assert.ok(native.midi.length > 16 << 20);
  assert.ok(got.bytes.equals(native.midi), 'bound.MID differs from orvo\'s');
});

test('playing a converted song gives sound, the position advances and follows the bar, and the piano roll shows it', async () => {
  await page.setInputFiles('#pick-files', ['demo.zmd', 'demo.sig'].map((n) => join(songs, n)));
  await page.waitForFunction(() => window.orvoPage.state.songs.length === 7);
  await idle();
  // The message stream behind a click on the row.
  await rowOf('SONG1.ZMD').locator('td').first().click();
  assert.match(await page.locator('tr.messages:visible pre').textContent(), /signatureファイルを読み込みます。/);
  await rowOf('demo.zmd').locator('button', { hasText: 'Play' }).click();
  // The synthesizer and the SoundFont load on the first play.
  await page.waitForFunction(() => window.orvoPage.player.position > 0.3, null, { timeout: 60000 });
  let peak = 0;
  for (let i = 0; i < 40 && peak < 1e-3; i++) {
    peak = Math.max(peak, await page.evaluate(() => window.orvoPage.player.level()));
    await page.waitForTimeout(50);
  }
  assert.ok(peak > 1e-3, `the synthesizer's output is silent (peak ${peak})`);
  const first = await page.evaluate(() => window.orvoPage.player.position);
  await page.waitForTimeout(600);
  const later = await page.evaluate(() => window.orvoPage.player.position);
  assert.ok(later > first + 0.2, `the position did not advance (${first} -> ${later})`);
  assert.ok(Number(await page.inputValue('#position')) > 0, 'the position bar did not move');
  // Notes are drawn: the picture holds more than its background colour.
  const lit = await page.evaluate(() => {
    const c = document.getElementById('roll');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] + d[i + 1] + d[i + 2] > 200) n++;
    return n;
  });
  assert.ok(lit > 500, `the piano roll shows ${lit} lit pixels`);
  // Seeking: the bar set to its middle moves the song there.
  const total = await page.evaluate(() => window.orvoPage.state.selected.parsed.song.seconds);
  await page.evaluate(() => {
    const bar = document.getElementById('position');
    bar.value = 500;
    bar.dispatchEvent(new Event('change'));
  });
  await page.waitForTimeout(1200);
  const sought = await page.evaluate(() => window.orvoPage.player.position);
  assert.ok(Math.abs(sought - total / 2) < 2.5, `after seeking to ${total / 2} s the position is ${sought} s`);
  await page.screenshot({ path: join(SHOTS, 'screenshot.png'), fullPage: true });
  await page.click('#pause');
  const paused = await page.evaluate(() => window.orvoPage.player.position);
  await page.waitForTimeout(400);
  assert.ok(Math.abs((await page.evaluate(() => window.orvoPage.player.position)) - paused) < 0.05, 'pause did not stop the position');
});

test('the typical song converts in the page: its time against orvo in-process (printed; target: at most 3x)', async () => {
  const bytes = [...readFileSync(join(songs, 'typical.zmd'))];
  const inPage = await page.evaluate((data) => window.orvoPage.bench({ path: 'typical.zmd', bytes: new Uint8Array(data) }, '-m', 201), bytes);
  const native = JSON.parse(execFileSync(FIXTURES, ['--time', '201']).toString());
  assert.equal(inPage.size, native.midi_bytes);
  const ratio = (a, b) => (a / b).toFixed(2);
  console.log(`# typical song (-m), 201 runs each: page median ${inPage.median.toFixed(3)} ms (fastest ${inPage.min.toFixed(3)}), `
    + `native in-process median ${native.median_ms.toFixed(3)} ms (fastest ${native.min_ms.toFixed(3)}); `
    + `ratio ${ratio(inPage.median, native.median_ms)} (fastest ${ratio(inPage.min, native.min_ms)}) (target: at most 3)`);
});

test('the page asked no other host for anything and reported no error', () => {
  const foreign = requests.filter((r) => !r.startsWith(url) && !r.startsWith('blob:') && !r.startsWith('data:'));
  assert.deepEqual(foreign, []);
  assert.deepEqual(problems, []);
});
