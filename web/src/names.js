// File names as orvo forms them, and the pairing of the files a user gives:
// each song with its signature file, and the MDD files a song names.

// ASCII letters folded to lower case; other characters as they are (the
// names of these songs come from a system that ignored ASCII case only).
export const foldAscii = (s) => s.replace(/[A-Z]/g, (c) => c.toLowerCase());

export const baseName = (path) => path.slice(path.lastIndexOf('/') + 1);
export const folderOf = (path) => path.slice(0, path.lastIndexOf('/') + 1);

// The extension, from the last '.' at index 1 or more, replaced by `ext`;
// `ext` appended to a name without one.
export function replaceExtension(name, ext) {
  const dot = name.lastIndexOf('.');
  return (dot >= 1 ? name.slice(0, dot) : name) + ext;
}

// The MIDI file of a song, named as orvo names a derived destination.
export const midiName = (path) => replaceExtension(baseName(path), '.MID');

export const isSong = (path) => /\.zmd$/i.test(path);
export const isMdd = (path) => /\.mdd$/i.test(path);

// The first file whose name matches: the exact name wins over a name that
// differs in ASCII case only; `files` in the order of preference.
function findByName(files, name, nameOf) {
  const exact = files.find((f) => nameOf(f) === name);
  if (exact) return exact;
  const folded = foldAscii(name);
  return files.find((f) => foldAscii(nameOf(f)) === folded) || null;
}

// Songs among `files` ({path, bytes}), in path order, each with its
// signature file (the song's name with the extension .sig, beside it) and
// the MDD files it may name (those beside it first).
export function pairSongs(files) {
  const songs = files.filter((f) => isSong(f.path)).sort((a, b) => (a.path < b.path ? -1 : a.path > b.path ? 1 : 0));
  const mdds = files.filter((f) => isMdd(f.path));
  return songs.map((song) => {
    const folder = folderOf(song.path);
    const beside = files.filter((f) => folderOf(f.path) === folder && f !== song);
    const signature = findByName(beside, replaceExtension(baseName(song.path), '.sig'), (f) => baseName(f.path));
    const mine = mdds.filter((f) => folderOf(f.path) === folder);
    const others = mdds.filter((f) => folderOf(f.path) !== folder);
    return { song, signature, mdds: [...mine, ...others] };
  });
}

// The MDD file for a name the song gives (such as GS.MDD): only its last
// component counts, found among `mdds` (in the order of preference) by its
// exact name, else with ASCII case ignored.
export function findMdd(mdds, name) {
  const wanted = name.slice(Math.max(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1);
  return findByName(mdds, wanted, (f) => baseName(f.path));
}

// Names made unique for an archive: a repeated name gets ~2, ~3, ... before
// its extension.
export function uniqueNames(names) {
  const seen = new Set();
  return names.map((name) => {
    const dot = name.lastIndexOf('.');
    const stem = dot >= 1 ? name.slice(0, dot) : name;
    const ext = dot >= 1 ? name.slice(dot) : '';
    let candidate = name;
    for (let n = 2; seen.has(foldAscii(candidate)); n++) candidate = `${stem}~${n}${ext}`;
    seen.add(foldAscii(candidate));
    return candidate;
  });
}
