// Reads what the page shows of a converted song from its Standard MIDI File:
// the track count, the title (the conductor track's sequence name, CP932),
// the length in seconds from the tempo map, and the notes for the piano roll.

const sjis = new TextDecoder('shift_jis');

function readVlq(bytes, pos) {
  let value = 0;
  for (let i = 0; i < 4; i++) {
    const b = bytes[pos.at++];
    value = value * 128 + (b & 0x7f);
    if (b < 0x80) return value;
  }
  return value;
}

const be32 = (b, i) => ((b[i] << 24) | (b[i + 1] << 16) | (b[i + 2] << 8) | b[i + 3]) >>> 0;

// The song as the page needs it; throws on a file that is not a whole SMF.
export function readMidi(bytes) {
  if (bytes.length < 14 || String.fromCharCode(...bytes.subarray(0, 4)) !== 'MThd') throw new Error('not a MIDI file');
  const trackCount = (bytes[10] << 8) | bytes[11];
  const division = (bytes[12] << 8) | bytes[13];
  const tempos = []; // [tick, microseconds per quarter]
  const notes = []; // {track, channel, key, velocity, start, end}
  let title = null;
  let lastTick = 0;
  let at = 8 + be32(bytes, 4);
  for (let track = 0; track < trackCount && at + 8 <= bytes.length; track++) {
    const end = Math.min(bytes.length, at + 8 + be32(bytes, at + 4));
    const pos = { at: at + 8 };
    const open = new Map(); // channel * 128 + key -> the notes sounding, oldest first
    let tick = 0;
    let status = 0;
    while (pos.at < end) {
      tick += readVlq(bytes, pos);
      let b = bytes[pos.at];
      if (b >= 0x80) { status = b; pos.at++; }
      if (status === 0xff) {
        const type = bytes[pos.at++];
        const length = readVlq(bytes, pos);
        const data = bytes.subarray(pos.at, pos.at + length);
        pos.at += length;
        if (type === 0x51 && length === 3) tempos.push([tick, (data[0] << 16) | (data[1] << 8) | data[2]]);
        if (type === 0x03 && track === 0 && title === null) title = sjis.decode(data);
        status = 0; // a meta event cancels running status
      } else if (status === 0xf0 || status === 0xf7) {
        const length = readVlq(bytes, pos); // read before pos.at is
        pos.at += length;
        status = 0;
      } else {
        const kind = status & 0xf0;
        const channel = status & 0x0f;
        const d1 = bytes[pos.at++];
        const d2 = kind === 0xc0 || kind === 0xd0 ? 0 : bytes[pos.at++];
        const slot = channel * 128 + d1;
        if (kind === 0x90 && d2 > 0) {
          const note = { track, channel, key: d1, velocity: d2, start: tick, end: tick };
          notes.push(note);
          if (!open.has(slot)) open.set(slot, []);
          open.get(slot).push(note);
        } else if (kind === 0x80 || kind === 0x90) {
          const sounding = open.get(slot);
          if (sounding && sounding.length) sounding.shift().end = tick;
        }
      }
    }
    for (const sounding of open.values()) for (const note of sounding) note.end = tick;
    lastTick = Math.max(lastTick, tick);
    at = end;
  }
  const map = tempoMap(tempos, division);
  return {
    trackCount,
    division,
    title,
    notes,
    lastTick,
    seconds: map.seconds(lastTick),
    secondsAt: map.seconds,
    tickAt: map.tick,
  };
}

// Seconds from ticks and back, by the tempo events of all tracks (a quarter
// note is 500,000 µs until the first).
export function tempoMap(tempos, division) {
  const sorted = [...tempos].sort((a, b) => a[0] - b[0]);
  const steps = [{ tick: 0, second: 0, perTick: 0.5 / division }];
  for (const [tick, micro] of sorted) {
    const last = steps[steps.length - 1];
    const second = last.second + (tick - last.tick) * last.perTick;
    if (tick === last.tick) steps.pop();
    steps.push({ tick, second, perTick: micro / 1e6 / division });
  }
  const find = (pred) => {
    let lo = 0, hi = steps.length - 1;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (pred(steps[mid])) lo = mid; else hi = mid - 1;
    }
    return steps[lo];
  };
  return {
    seconds: (tick) => { const s = find((x) => x.tick <= tick); return s.second + (tick - s.tick) * s.perTick; },
    tick: (second) => { const s = find((x) => x.second <= second); return s.tick + (second - s.second) / s.perTick; },
  };
}

// m:ss, the seconds rounded down.
export function formatLength(seconds) {
  const whole = Math.floor(seconds);
  return `${Math.floor(whole / 60)}:${String(whole % 60).padStart(2, '0')}`;
}
