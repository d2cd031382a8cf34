// The conversion worker: the WebAssembly converter off the page's thread,
// so that a long song never freezes the page. One request at a time:
//   {id, song: {path, bytes}, signature, mdds: [{path, bytes}], switches}
// answered by {id, status, midi, messages, error, asked, ms} and what the
// song list shows of the song: trackCount, seconds, title.
import { OrvoEngine } from './orvo-engine.js';
import { baseName, findMdd } from './names.js';
import { readMidi } from './midi.js';

const engine = OrvoEngine.load();

function convert(request) {
  const { song, signature, mdds, switches } = request;
  return engine.then((e) => {
    const started = performance.now();
    const r = e.convert({
      song: { name: song.path, bytes: new Uint8Array(song.bytes) },
      signature: signature ? { name: signature.path, bytes: new Uint8Array(signature.bytes) } : null,
      lookup: (name) => {
        const file = findMdd(mdds, name);
        return file ? { name: file.path, bytes: new Uint8Array(file.bytes) } : null;
      },
      switches,
    });
    const ms = performance.now() - started;
    // What the song list shows: the title from the MIDI file, else from
    // the message that names it.
    let summary = { trackCount: 0, seconds: 0, title: null };
    if (r.midi) {
      const song = readMidi(r.midi);
      summary = { trackCount: song.trackCount, seconds: song.seconds, title: song.title };
    } else {
      const line = r.messages.split('\n').find((l) => l.startsWith('TITLE:'));
      if (line) summary.title = line.slice(6);
    }
    return { ...r, ...summary, ms, version: e.version };
  });
}

// The page's benchmark: the median time of `runs` conversions of one song.
async function bench({ song, switches, runs }) {
  const e = await engine;
  const bytes = new Uint8Array(song.bytes);
  const times = [];
  let size = 0;
  for (let i = 0; i < runs; i++) {
    const started = performance.now();
    const r = e.convert({ song: { name: baseName(song.path), bytes }, switches });
    times.push(performance.now() - started);
    size = r.midi ? r.midi.length : 0;
  }
  times.sort((a, b) => a - b);
  return { median: times[times.length >> 1], min: times[0], runs, size };
}

self.onmessage = async ({ data }) => {
  try {
    if (data.type === 'bench') {
      self.postMessage({ id: data.id, ...(await bench(data)) });
      return;
    }
    const r = await convert(data);
    self.postMessage({ id: data.id, ...r }, r.midi ? [r.midi.buffer] : []);
  } catch (err) {
    // A trap leaves the module's memory in no known state: the page
    // starts a new worker for the next song.
    self.postMessage({ id: data.id, status: -1, midi: null, messages: '', error: String((err && err.message) || err), asked: [], fatal: true });
  }
};
