// The files a user gives, as {path, bytes}: chosen files, the files of a
// folder (dropped or chosen), and the members of .zip archives, unpacked in
// the page.
import { unzipSync } from './vendor/fflate.js';

const isZip = (path) => /\.zip$/i.test(path);

async function fromFile(file, path) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  return expand({ path, bytes });
}

// A .zip archive becomes its members (their paths below the archive's
// folder); any other file stays as it is.
export function expand(file) {
  if (!isZip(file.path)) return [file];
  const folder = file.path.slice(0, file.path.lastIndexOf('/') + 1);
  const members = unzipSync(file.bytes, { filter: (m) => !m.name.endsWith('/') });
  return Object.entries(members).flatMap(([name, bytes]) => expand({ path: folder + name, bytes }));
}

// Files of an <input type=file> (with folders: their relative paths).
export async function fromFileList(list) {
  const out = [];
  for (const file of list) out.push(...(await fromFile(file, file.webkitRelativePath || file.name)));
  return out;
}

function readEntries(reader) {
  return new Promise((resolve, reject) => reader.readEntries(resolve, reject));
}

async function fromEntry(entry, out) {
  if (entry.isFile) {
    const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
    out.push(...(await fromFile(file, entry.fullPath.replace(/^\//, ''))));
  } else if (entry.isDirectory) {
    const reader = entry.createReader();
    for (let batch = await readEntries(reader); batch.length > 0; batch = await readEntries(reader)) {
      for (const child of batch) await fromEntry(child, out);
    }
  }
}

// Files and folders dropped on the page.
export async function fromDrop(dataTransfer) {
  const entries = [...dataTransfer.items].map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null));
  if (entries.some((e) => e)) {
    const out = [];
    for (const entry of entries) if (entry) await fromEntry(entry, out);
    return out;
  }
  return fromFileList(dataTransfer.files);
}
