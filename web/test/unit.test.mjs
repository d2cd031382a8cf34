// The page's rules that need no browser: names, pairing, switches and the
// MIDI reader's tempo map.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { midiName, pairSongs, findMdd, uniqueNames, replaceExtension } from '../src/names.js';
import { defaults, switchesOf, commandLine, SWITCHES, parseNumber } from '../src/switches.js';
import { readMidi, formatLength } from '../src/midi.js';

const file = (path) => ({ path, bytes: new Uint8Array() });

test('a MIDI file is named as orvo names a derived destination', () => {
  assert.equal(midiName('SONG.ZMD'), 'SONG.MID');
  assert.equal(midiName('music/a.b.zmd'), 'a.b.MID');
  assert.equal(midiName('noext'), 'noext.MID');
  assert.equal(midiName('.zmd'), '.zmd.MID'); // a dot at the start is no extension
  assert.equal(replaceExtension('notes.txt', '.sig'), 'notes.sig');
});

test('songs pair with their signature file beside them, the exact name first', () => {
  const files = [file('b/SONG.ZMD'), file('b/song.sig'), file('a/song.zmd'), file('a/SONG.sig'), file('a/song.sig'),
    file('c/x.zmd'), file('b/x.sig'), file('readme.txt')];
  const pairs = pairSongs(files);
  assert.deepEqual(pairs.map((p) => [p.song.path, p.signature && p.signature.path]),
    [['a/song.zmd', 'a/song.sig'], ['b/SONG.ZMD', 'b/song.sig'], ['c/x.zmd', null]]);
});

test('an MDD file is found by its name, beside the song first, the exact name before another case', () => {
  const mdds = pairSongs([file('s/a.zmd'), file('x/GS.MDD'), file('s/gs.mdd'), file('s/Other.mdd')])[0].mdds;
  assert.equal(findMdd(mdds, 'GS.MDD').path, 'x/GS.MDD');
  assert.equal(findMdd(mdds, 'OTHER.MDD').path, 's/Other.mdd');
  assert.equal(findMdd(mdds, 'A:\\MDD\\gs.mdd').path, 's/gs.mdd');
  assert.equal(findMdd(mdds, 'NONE.MDD'), null);
  // Only ASCII letters fold: a full-width letter is another name.
  assert.equal(findMdd([file('ＧＳ.MDD')], 'ｇｓ.MDD'), null);
});

test('names in an archive stay unique whatever their case', () => {
  assert.deepEqual(uniqueNames(['a/S.MID', 'a/s.MID', 'b/S.MID', 'a/S.MID']), ['a/S.MID', 'a/s~2.MID', 'b/S.MID', 'a/S~3.MID']);
});

test('the form gives the switches of the command line, defaults left out', () => {
  const v = defaults();
  assert.equal(commandLine(v, 'song.zmd'), 'orvo song.zmd');
  Object.assign(v, { L: 3, m: true });
  assert.equal(commandLine(v, 'song.zmd'), 'orvo -L3 -m song.zmd');
  Object.assign(v, { B: 4, s: true, R: { on: true, num: null }, I: { on: true, num: 0 } });
  assert.equal(switchesOf(v), '-L3 -B4 -m -R -I0 -s');
  assert.equal(commandLine(defaults(), 'my song.zmd'), "orvo 'my song.zmd'");
  const fade = SWITCHES.find((s) => s.letter === 'F');
  assert.equal(parseNumber(fade, '127'), 127);
  assert.equal(parseNumber(fade, '128'), null);
  assert.equal(parseNumber(fade, '-1'), null);
  assert.equal(parseNumber(fade, '1e2'), null);
});

// A format-1 file: a conductor with a title, an exclusive message and a
// tempo change, a track with two notes in running status.
function smf() {
  const track = (bytes) => [0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, bytes.length, ...bytes];
  const conductor = track([0, 0xff, 0x03, 2, 0x8a, 0x79, // 楽 in CP932
    0, 0xff, 0x51, 3, 0x07, 0xa1, 0x20, // 500000 µs
    0, 0xf0, 3, 0x7e, 0x7f, 0xf7, // an exclusive message
    0x83, 0x00, 0xff, 0x51, 3, 0x03, 0xd0, 0x90, // at 384: 250000 µs
    0, 0xff, 0x2f, 0]);
  const notes = track([0, 0x90, 60, 100, 0x60, 60, 0, 0, 64, 90, 0x87, 0x40, 0x80, 64, 0, 0, 0xff, 0x2f, 0]);
  return Uint8Array.from([0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 2, 0, 48, ...conductor, ...notes]);
}

test('the MIDI reader gives the title, the notes and the length by the tempo map', () => {
  const song = readMidi(smf());
  assert.equal(song.trackCount, 2);
  assert.equal(song.title, '楽');
  assert.deepEqual(song.notes.map((n) => [n.key, n.start, n.end]), [[60, 0, 96], [64, 96, 1056]]);
  // 384 ticks at 0.5 s per 48, then 672 at 0.25 s per 48.
  assert.equal(song.seconds, 4 + 3.5);
  assert.equal(song.tickAt(5), 384 + 192);
  assert.equal(formatLength(song.seconds), '0:07');
  assert.equal(formatLength(3599.9), '59:59');
  assert.throws(() => readMidi(new Uint8Array(20)));
});
