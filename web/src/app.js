// The page: files in, options, the song list, the player and the downloads.
import { pairSongs, midiName, uniqueNames, folderOf } from './names.js';
import { SWITCHES, defaults, switchesOf, commandLine, parseNumber } from './switches.js';
import { readMidi, formatLength } from './midi.js';
import { fromDrop, fromFileList } from './files.js';
import { zipSync } from './vendor/fflate.js';
import { Player } from './player.js';
import { PianoRoll } from './pianoroll.js';

const $ = (id) => document.getElementById(id);
const el = (tag, props = {}, ...children) => {
  const node = Object.assign(document.createElement(tag), props);
  node.append(...children.filter((c) => c !== null && c !== undefined));
  return node;
};
const CUT_OFF = '[打ち切り]';

// Conversions, one at a time in the worker. Changing the options drops
// what is queued and, when a song is still converting, the worker with it.
class Converter {
  constructor() { this.worker = null; this.queue = []; this.busy = null; this.nextId = 1; this.idle = []; }

  spawn() {
    this.worker = new Worker(new URL('./convert-worker.js', import.meta.url), { type: 'module' });
    this.worker.onmessage = ({ data }) => this.finish(data);
    this.worker.onerror = (e) => {
      e.preventDefault();
      this.worker.terminate();
      this.worker = null;
      this.finish({ id: this.busy && this.busy.id, status: -1, midi: null, messages: '', error: `the converter stopped: ${e.message || 'no reason given'}`, asked: [] });
    };
  }

  run(request) {
    return new Promise((resolve) => { this.queue.push({ request, resolve }); this.next(); });
  }

  // Forgets every waiting conversion (they resolve to null).
  reset() {
    for (const job of this.queue) job.resolve(null);
    this.queue = [];
    if (this.busy) {
      this.worker.terminate();
      this.worker = null;
      this.busy.resolve(null);
      this.busy = null;
    }
  }

  next() {
    if (this.busy) return;
    if (this.queue.length === 0) { for (const f of this.idle.splice(0)) f(); return; }
    if (!this.worker) this.spawn();
    this.busy = this.queue.shift();
    this.busy.id = this.nextId++;
    this.worker.postMessage({ id: this.busy.id, ...this.busy.request });
  }

  finish(data) {
    const job = this.busy;
    if (!job || data.id !== job.id) return;
    this.busy = null;
    if (data.fatal && this.worker) {
      this.worker.terminate();
      this.worker = null;
    }
    job.resolve(data);
    this.next();
  }

  whenIdle() { return this.busy || this.queue.length ? new Promise((r) => this.idle.push(r)) : Promise.resolve(); }
}

const state = { files: new Map(), songs: [], values: defaults(), selected: null, generation: 0 };
const converter = new Converter();
const player = new Player();
const roll = new PianoRoll($('roll'));

// ---- Options ---------------------------------------------------------------

function buildForm() {
  const form = $('switches');
  for (const s of SWITCHES) {
    const label = el('label', { title: s.help }, `${s.label} `);
    if (s.kind === 'number') {
      label.append(el('input', { type: 'number', name: s.letter, min: s.min, max: s.max, value: s.def, required: true }));
    } else if (s.kind === 'flag') {
      label.prepend(el('input', { type: 'checkbox', name: s.letter }));
    } else {
      label.prepend(el('input', { type: 'checkbox', name: s.letter }));
      label.append(el('input', { type: 'number', name: `${s.letter}num`, min: s.min, max: s.max, placeholder: 'alone' }));
    }
    label.append(el('code', {}, `-${s.letter}`));
    form.append(label);
  }
  let timer = 0;
  const changed = () => { clearTimeout(timer); timer = setTimeout(readForm, 200); };
  form.addEventListener('input', changed);
  form.addEventListener('change', changed);
  form.addEventListener('submit', (e) => e.preventDefault());
}

// Takes the form's values when all are valid, and converts again.
function readForm() {
  const form = $('switches');
  const values = {};
  for (const s of SWITCHES) {
    const field = form.elements[s.letter];
    if (s.kind === 'number') {
      values[s.letter] = parseNumber(s, field.value);
      if (values[s.letter] === null) return;
    } else if (s.kind === 'flag') {
      values[s.letter] = field.checked;
    } else {
      const text = form.elements[`${s.letter}num`].value;
      const num = text.trim() === '' ? null : parseNumber(s, text);
      if (num === null && text.trim() !== '') return;
      values[s.letter] = { on: field.checked, num };
    }
  }
  if (switchesOf(values) === switchesOf(state.values)) return;
  state.values = values;
  showCommand();
  convertAll();
}

// Sets the form (for links and tests): {L: 3, m: true, R: {on, num}}.
function setOptions(values) {
  const form = $('switches');
  for (const s of SWITCHES) {
    if (!(s.letter in values)) continue;
    const v = values[s.letter];
    if (s.kind === 'number') form.elements[s.letter].value = v;
    else if (s.kind === 'flag') form.elements[s.letter].checked = !!v;
    else { form.elements[s.letter].checked = v.on; form.elements[`${s.letter}num`].value = v.num === null ? '' : v.num; }
  }
  readForm();
}

function showCommand() {
  const shown = state.selected || state.songs[0];
  $('command').textContent = commandLine(state.values, shown ? shown.song.path : 'song.zmd');
}

// ---- Songs -----------------------------------------------------------------

async function addFiles(files) {
  for (const f of files) state.files.set(f.path, f);
  const byPath = new Map(state.songs.map((s) => [s.song.path, s]));
  state.songs = pairSongs([...state.files.values()]).map((pair) => {
    const old = byPath.get(pair.song.path);
    return Object.assign(old || { result: null }, pair);
  });
  const count = state.files.size;
  $('file-count').textContent = `${count} file${count === 1 ? '' : 's'}, ${state.songs.length} song${state.songs.length === 1 ? '' : 's'}.`;
  $('clear').disabled = count === 0;
  renderList();
  showCommand();
  convertAll();
}

function convertAll() {
  converter.reset();
  const generation = ++state.generation;
  const switches = switchesOf(state.values);
  for (const entry of state.songs) {
    entry.result = null;
    entry.row && updateRow(entry);
    converter.run({
      song: entry.song,
      signature: entry.signature,
      mdds: entry.mdds,
      switches,
    }).then((result) => {
      if (!result || generation !== state.generation) return;
      entry.result = result;
      if (result.version) $('version').textContent = result.version;
      updateRow(entry);
      updateDownloadAll();
      if (state.selected === entry) selectSong(entry, false);
    });
  }
  updateDownloadAll();
}

function renderList() {
  const body = $('song-list').tBodies[0];
  body.replaceChildren();
  for (const entry of state.songs) {
    entry.row = el('tr', { className: 'song' });
    entry.messagesRow = el('tr', { className: 'messages', hidden: true }, el('td', { colSpan: 6 }, el('pre')));
    entry.row.addEventListener('click', (e) => {
      if (e.target.closest('button')) return;
      entry.messagesRow.hidden = !entry.messagesRow.hidden;
    });
    body.append(entry.row, entry.messagesRow);
    updateRow(entry);
  }
}

function notesOf(entry) {
  const r = entry.result;
  const notes = [];
  for (const a of r.asked) if (!a.file) notes.push(`${a.name} is not among the files given`);
  if (r.messages.includes(CUT_OFF)) notes.push(`cut off at a bound, as orvo does (${CUT_OFF})`);
  return notes;
}

function updateRow(entry) {
  const r = entry.result;
  const row = entry.row;
  row.classList.toggle('failed', !!r && r.status !== 0);
  row.classList.toggle('selected', state.selected === entry);
  const status = el('td', { className: 'status' });
  const actions = el('td', { className: 'actions' });
  if (!r) {
    status.append('converting…');
  } else {
    status.append(r.status === 0 ? `converted in ${r.ms.toFixed(1)} ms` : `failed (status ${r.status})`);
    if (r.status !== 0) status.append(el('span', { className: 'error' }, r.error || 'no message'));
    for (const note of notesOf(entry)) status.append(el('span', { className: 'note' }, note));
    if (r.midi) {
      actions.append(
        el('button', { type: 'button', textContent: 'Play', onclick: () => { selectSong(entry, true); } }), ' ',
        el('button', { type: 'button', textContent: `⬇ ${midiName(entry.song.path)}`, className: 'download', onclick: () => download(midiName(entry.song.path), r.midi) }),
      );
    }
  }
  const sig = entry.signature ? el('span', { className: 'hint' }, ` + ${entry.signature.path.slice(folderOf(entry.signature.path).length)}`) : null;
  row.replaceChildren(
    el('td', {}, entry.song.path, sig),
    el('td', { className: 'title' }, r && r.title !== null ? r.title : ''),
    el('td', { className: 'num length' }, r && r.midi ? formatLength(r.seconds) : ''),
    el('td', { className: 'num tracks' }, r && r.midi ? String(r.trackCount) : ''),
    status, actions);
  entry.messagesRow.querySelector('pre').textContent = r ? r.messages : '';
}

// ---- Downloads -------------------------------------------------------------

function download(name, bytes, type = 'audio/midi') {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = el('a', { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

const converted = () => state.songs.filter((s) => s.result && s.result.midi);

function updateDownloadAll() { $('download-all').disabled = converted().length === 0; }

function downloadAll() {
  const songs = converted();
  const names = uniqueNames(songs.map((s) => folderOf(s.song.path) + midiName(s.song.path)));
  const files = {};
  songs.forEach((s, i) => { files[names[i]] = s.result.midi; });
  download('orvo-midi.zip', zipSync(files, { level: 6 }), 'application/zip');
}

// ---- Player ----------------------------------------------------------------

function selectSong(entry, play) {
  const previous = state.selected;
  state.selected = entry;
  for (const s of state.songs) s.row.classList.toggle('selected', s === entry);
  showCommand();
  const r = entry.result;
  if (!r || !r.midi) return;
  $('player').hidden = false;
  $('now-playing').textContent = r.title ? `${entry.song.path} — ${r.title}` : entry.song.path;
  if (previous !== entry || !entry.parsed || entry.parsed.midi !== r.midi) {
    entry.parsed = { midi: r.midi, song: readMidi(r.midi) };
    player.select({ name: midiName(entry.song.path), midi: r.midi });
    roll.draw(entry.parsed.song);
  }
  if (play) player.play((text) => { $('player-status').textContent = text; });
}

function tick() {
  const entry = state.selected;
  if (entry && entry.parsed) {
    const total = entry.parsed.song.seconds;
    const at = Math.min(total, player.position);
    $('time').textContent = `${formatLength(at)} / ${formatLength(total)}`;
    if (!state.dragging) $('position').value = total > 0 ? Math.round((at / total) * 1000) : 0;
    roll.frame(at);
  }
  requestAnimationFrame(tick);
}

function wirePlayer() {
  const status = (text) => { $('player-status').textContent = text; };
  $('play').onclick = () => player.play(status);
  $('pause').onclick = () => player.pause();
  $('stop').onclick = () => player.stop();
  const bar = $('position');
  bar.addEventListener('pointerdown', () => { state.dragging = true; });
  bar.addEventListener('change', () => {
    state.dragging = false;
    const entry = state.selected;
    if (entry && entry.parsed) player.seek((bar.value / 1000) * entry.parsed.song.seconds);
  });
  window.addEventListener('resize', () => { if (state.selected && state.selected.parsed) roll.draw(state.selected.parsed.song); });
  requestAnimationFrame(tick);
}

// ---- Input -----------------------------------------------------------------

function wireInput() {
  const drop = $('drop');
  drop.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
  drop.addEventListener('dragleave', () => drop.classList.remove('over'));
  drop.addEventListener('drop', async (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    try { await addFiles(await fromDrop(e.dataTransfer)); } catch (err) { showInputError(err); }
  });
  for (const id of ['pick-files', 'pick-folder']) {
    $(id).addEventListener('change', async (e) => {
      try { await addFiles(await fromFileList(e.target.files)); } catch (err) { showInputError(err); }
      e.target.value = '';
    });
  }
  $('clear').onclick = () => {
    converter.reset();
    state.files.clear();
    state.songs = [];
    state.selected = null;
    $('player').hidden = true;
    player.select(null);
    addFiles([]);
  };
  $('download-all').onclick = downloadAll;
}

function showInputError(err) { $('file-count').textContent = `Could not read the files: ${err.message || err}`; }

buildForm();
wireInput();
wirePlayer();
showCommand();

// For the page's own tests and for scripts: the state and a few actions.
window.orvoPage = {
  state,
  player,
  addFiles,
  setOptions,
  whenIdle: () => converter.whenIdle(),
  // The median time of `runs` conversions of a song in the worker.
  bench: (song, switches, runs) => converter.run({ type: 'bench', song, switches, runs }),
};
