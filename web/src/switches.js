// The music switches of the command line as the page's form holds them,
// with the command line's defaults, and the switches they make.

// kind: 'number' (-Xnum), 'flag' (-X), 'optional' (off, -X alone, -Xnum).
export const SWITCHES = [
  { letter: 'L', kind: 'number', label: 'Loop count', def: 2, min: 0, max: 2147483647, help: 'how many times [do]..[loop] loops are unrolled' },
  { letter: 'F', kind: 'number', label: 'Fade speed', def: 10, min: 0, max: 127, help: 'fade-out speed after the unrolled loop' },
  { letter: 'D', kind: 'number', label: 'Fade delay', def: 0, min: 0, max: 2147483647, help: 'fade-out delay in clocks' },
  { letter: 'B', kind: 'number', label: 'Bend interval', def: 1, min: 1, max: 127, help: 'clock interval of pitch-bend and controller curves' },
  { letter: 'X', kind: 'number', label: 'Exclusive wait', def: 0, min: 0, max: 127, help: 'clocks after each exclusive message of the common section' },
  { letter: 'm', kind: 'flag', label: 'FM tracks', help: 'convert FM tracks too' },
  { letter: 'J', kind: 'flag', label: 'Fit loops', help: "fit every track's loop count to the longest looped track" },
  { letter: 'U', kind: 'flag', label: 'Round tempo', help: 'round tempo values to the nearest microsecond' },
  { letter: 'A', kind: 'flag', label: 'TIMER-A', help: 'tempo commands in tracks use TIMER-A units' },
  { letter: 'R', kind: 'optional', label: 'Key-off omission', min: 1, max: 127, help: "omit key-offs by the song's @R settings (a number: that setting)" },
  { letter: 'I', kind: 'optional', label: 'Initialisation', min: 0, max: 127, help: "embed the channel initialisation sequence, the number of clocks apart" },
  { letter: 's', kind: 'flag', label: 'No running status', help: 'write every channel event with its status byte' },
];

// The defaults: numbers at their defaults, flags and optional switches off.
export function defaults() {
  const values = {};
  for (const s of SWITCHES) values[s.letter] = s.kind === 'number' ? s.def : s.kind === 'flag' ? false : { on: false, num: null };
  return values;
}

// The switches that differ from the defaults, in the table's order, each a
// group of its own: "-L3 -m".
export function switchesOf(values) {
  const groups = [];
  for (const s of SWITCHES) {
    const v = values[s.letter];
    if (s.kind === 'number' && v !== s.def) groups.push(`-${s.letter}${v}`);
    if (s.kind === 'flag' && v) groups.push(`-${s.letter}`);
    if (s.kind === 'optional' && v.on) groups.push(`-${s.letter}${v.num === null ? '' : v.num}`);
  }
  return groups.join(' ');
}

const shellWord = (w) => (/^[\w./+,:@%-]+$/.test(w) ? w : `'${w.replace(/'/g, "'\\''")}'`);

// The equivalent command line: orvo -L3 -m song.zmd
export function commandLine(values, songName = 'song.zmd') {
  return ['orvo', switchesOf(values), shellWord(songName)].filter(Boolean).join(' ');
}

// A number field's text checked against its switch: the number, or null.
export function parseNumber(s, text) {
  if (!/^\d+$/.test(text.trim())) return null;
  const n = Number(text.trim());
  return n >= s.min && n <= s.max ? n : null;
}
