// The converter in WebAssembly, through its C API: one song's bytes, its
// signature file and the MDD files it may name in; the MIDI file, the
// message stream and the status out. Runs in the conversion worker.
import createOrvo from './orvo.js';

const UTF8 = 0; // ORVO_TEXT_UTF8
const decoder = new TextDecoder();
const encoder = new TextEncoder();

// Pointers of a module whose memory may pass 2 GiB are unsigned.
const u = (p) => p >>> 0;

export class OrvoEngine {
  static async load(moduleOptions = {}) {
    return new OrvoEngine(await createOrvo(moduleOptions));
  }

  constructor(m) {
    this.m = m;
    this.lookup = null; // the MDD lookup of the conversion in progress
    this.asked = [];
    this.opened = 0; // the name of the MDD file last handed out, for the messages
    // The companions struct: struct_size, user, open_mdd, close,
    // opened_name (wasm32).
    const openMdd = m.addFunction((user, name, data, size, handle) =>
      this.openMdd(name, data, size, handle), 'iiiiii');
    const close = m.addFunction((user, handle) => m._free(handle), 'vii');
    const openedName = m.addFunction(() => this.opened, 'ii');
    this.companions = m._malloc(20);
    this.out = m._malloc(8); // a size_t out-parameter and a result pointer
    const w = this.u32(u(this.companions), 5);
    w.set([20, 0, openMdd, close, openedName]);
    this.version = this.cString(m._orvo_version_string());
  }

  u32(ptr, count) { return new Uint32Array(this.m.HEAPU8.buffer, ptr, count); }

  cString(ptr, size) {
    ptr = u(ptr);
    const heap = this.m.HEAPU8;
    let end = ptr;
    if (size === undefined) { while (heap[end] !== 0) end++; } else { end = ptr + size; }
    return decoder.decode(heap.subarray(ptr, end));
  }

  // Copies bytes (and a terminating NUL) into the module's memory.
  copyIn(bytes, terminate = false) {
    const ptr = u(this.m._malloc(bytes.length + (terminate ? 1 : 0) || 1));
    if (ptr === 0) throw new Error('out of memory');
    this.m.HEAPU8.set(bytes, ptr);
    if (terminate) this.m.HEAPU8[ptr + bytes.length] = 0;
    return ptr;
  }

  // Called by the engine for each MDD file the song names: 1 found, 0 not.
  // The messages name the file found (its name among the files given may
  // differ in case from the one the song gives).
  openMdd(namePtr, dataOut, sizeOut, handleOut) {
    const name = this.cString(namePtr);
    const file = this.lookup ? this.lookup(name) : null;
    this.asked.push({ name, file: file ? file.name : null });
    this.forgetOpened();
    if (!file) return 0;
    this.opened = this.copyIn(encoder.encode(file.name), true);
    const ptr = this.copyIn(file.bytes);
    const w = this.m.HEAPU32;
    w[u(dataOut) >> 2] = ptr;
    w[u(sizeOut) >> 2] = file.bytes.length;
    w[u(handleOut) >> 2] = ptr;
    return 1;
  }

  forgetOpened() {
    if (this.opened) this.m._free(this.opened);
    this.opened = 0;
  }

  // Converts one song. song: {name, bytes}; signature: {name, bytes} or
  // null; lookup(name) gives an MDD file {name, bytes} or null; switches:
  // the music switches as on orvo's command line.
  convert({ song, signature = null, lookup = null, switches = '' }) {
    const m = this.m;
    const allocated = [];
    const keep = (p) => { allocated.push(p); return p; };
    const options = u(m._orvo_options_new());
    try {
      if (options === 0) throw new Error('out of memory');
      const sw = keep(this.copyIn(encoder.encode(switches), true));
      if (m._orvo_options_parse(options, sw) !== 0) {
        return { status: -1, midi: null, messages: '', error: `bad switches: ${switches}`, asked: [] };
      }
      const input = keep(u(m._malloc(28)));
      const data = keep(this.copyIn(song.bytes));
      const name = keep(this.copyIn(encoder.encode(song.name), true));
      let sig = 0, sigName = 0;
      if (signature) {
        sig = keep(this.copyIn(signature.bytes));
        sigName = keep(this.copyIn(encoder.encode(signature.name), true));
      }
      this.u32(input, 7).set([28, data, song.bytes.length, name, sig, signature ? signature.bytes.length : 0, sigName]);
      this.lookup = lookup;
      this.asked = [];
      const resultOut = u(this.out) + 4;
      const status = m._orvo_convert(input, options, this.companions, resultOut);
      const result = u(m.HEAPU32[resultOut >> 2]);
      if (result === 0) {
        return { status, midi: null, messages: '', error: this.cString(m._orvo_status_string(status)), asked: this.asked };
      }
      try {
        const sizeOut = u(this.out);
        const midiPtr = u(m._orvo_result_midi(result, sizeOut));
        const midi = midiPtr ? m.HEAPU8.slice(midiPtr, midiPtr + m.HEAPU32[sizeOut >> 2]) : null;
        const text = u(m._orvo_result_messages(result, UTF8, sizeOut));
        const messages = this.cString(text, m.HEAPU32[sizeOut >> 2]);
        const error = this.cString(m._orvo_result_error(result));
        return { status: m._orvo_result_status(result), midi, messages, error, asked: this.asked };
      } finally {
        m._orvo_result_free(result);
      }
    } finally {
      this.lookup = null;
      this.forgetOpened();
      for (const p of allocated) m._free(p);
      if (options) m._orvo_options_free(options);
    }
  }
}
