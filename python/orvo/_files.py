"""The files of convert_file, found and written as the orvo program finds
and writes them. Names are bytes, as the system holds them; the names in
the songs come from a system that ignored case, so a file missing under its
exact name is looked for once more among the names of its folder, the case
of ASCII letters ignored (the second byte of a two-byte Shift_JIS character
kept as it is)."""

import os
import stat

_TEMP_NAME_TRIES = 100
_READ_CHUNK = 1 << 16


class Failure(Exception):
    """A run that orvo ends over its files: the exit status and the fatal
    message as orvo writes it (UTF-8)."""

    def __init__(self, status, message):
        """Holds the status and the message."""
        super().__init__(status, message)
        self.status = status
        self.message = message

    @property
    def error(self):
        """The first line of the message that says something."""
        return self.message.lstrip("\r\n").split("\n", 1)[0]


def _shown(name):
    """A file name as the messages show it: as it is when it is UTF-8, else
    read as Shift_JIS."""
    try:
        return name.decode("utf-8")
    except UnicodeDecodeError:
        return name.decode("cp932", "replace")


def _is_sjis_lead(byte):
    """True for the lead bytes of two-byte Shift_JIS characters."""
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def fold_name(name):
    """The name with its ASCII capitals made small."""
    folded = bytearray(name)
    i = 0
    while i < len(folded):
        if _is_sjis_lead(folded[i]):
            i += 2
            continue
        if 0x41 <= folded[i] <= 0x5A:
            folded[i] += 0x20
        i += 1
    return bytes(folded)


def match_ignoring_case(name, keys):
    """The key (str or bytes) equal to the name (bytes) but for the case of
    ASCII letters; of several, the first in sorted order. None when none is."""
    folded = fold_name(name)
    matches = []
    for key in keys:
        key_bytes = os.fsencode(key) if isinstance(key, (str, bytes)) else None
        if key_bytes is not None and len(key_bytes) == len(name) and fold_name(key_bytes) == folded:
            matches.append((key_bytes, key))
    return min(matches, key=lambda match: match[0])[1] if matches else None


def replace_extension(name, extension):
    """The extension replaces everything from the last "." at index 1 or
    more; a name without one gets it appended."""
    dot = name.rfind(b".")
    return name[:dot] + extension if dot >= 1 else name + extension


def strip_directory(name):
    """Drops everything up to and including the last single-byte "\\"."""
    cut = i = 0
    while i < len(name):
        if _is_sjis_lead(name[i]):
            i += 2
            continue
        if name[i] == 0x5C:
            cut = i + 1
        i += 1
    return name[cut:]


def folder_of(path):
    """The folder part of a path, b"" when it has none."""
    slash = path.rfind(b"/")
    if slash < 0:
        return b""
    return b"/" if slash == 0 else path[:slash]


def path_in(folder, name):
    """The name inside the folder (b"" is the current folder)."""
    if not folder:
        return name
    return folder + name if folder.endswith(b"/") else folder + b"/" + name


def _is_file(path):
    """True when the path names something that exists and is not a folder."""
    try:
        return not stat.S_ISDIR(os.stat(path).st_mode)
    except (OSError, ValueError):
        return False


def find_ignoring_case(path):
    """The file of the path's folder whose name equals the path's file name
    but for the case of ASCII letters, the first in sorted order of several;
    None when there is none."""
    folder = folder_of(path)
    name = path[path.rfind(b"/") + 1:]
    if not name:
        return None
    folded = fold_name(name)
    best = None
    try:
        with os.scandir(folder or b".") as entries:
            for entry in entries:
                if len(entry.name) != len(name) or fold_name(entry.name) != folded:
                    continue
                if best is not None and entry.name >= best:
                    continue
                try:
                    if entry.is_dir():
                        continue
                except OSError:
                    pass
                best = entry.name
    except OSError:
        return None
    return None if best is None else path_in(folder, best)


def _read_to_end(fd):
    """Every byte left in an open file; OSError on a read error."""
    chunks = []
    while True:
        chunk = os.read(fd, _READ_CHUNK)
        if not chunk:
            return b"".join(chunks)
        chunks.append(chunk)


def _open(path):
    """A descriptor of the file opened for reading, or None."""
    try:
        return os.open(path, os.O_RDONLY | os.O_CLOEXEC)
    except (OSError, ValueError):
        return None


def _read_source(name):
    """The bytes of the source file, or None when it cannot be opened or is
    a folder. A file that opens but cannot be read completely ends the run
    with status 4."""
    fd = _open(name)
    if fd is None:
        return None
    try:
        info = os.fstat(fd)
        if stat.S_ISDIR(info.st_mode):
            return None
        # A regular file tells its size; anything else is asked by seeking.
        size = info.st_size if stat.S_ISREG(info.st_mode) else -1
        if not stat.S_ISREG(info.st_mode):
            try:
                size = os.lseek(fd, 0, os.SEEK_END)
                if os.lseek(fd, 0, os.SEEK_SET) != 0:
                    size = -1
            except OSError:
                size = -1
        chunks = []
        got = 0
        while 0 <= size and got < size:
            try:
                chunk = os.read(fd, size - got)
            except OSError:
                break
            if not chunk:
                break
            chunks.append(chunk)
            got += len(chunk)
        if size < 0 or got < size:
            raise Failure(4, "%s\tError: read error.\n" % _shown(name))
        return b"".join(chunks)
    finally:
        os.close(fd)


def _load_source(name):
    """The name opened and its bytes: the name as given, else with ".ZMD",
    else with ".ZMD" and the case of its file name ignored."""
    for candidate in (name, name + b".ZMD"):
        data = _read_source(candidate)
        if data is not None:
            return candidate, data
    found = find_ignoring_case(name + b".ZMD")
    data = None if found is None else _read_source(found)
    if data is None:
        raise Failure(1, "%s\tError: file not found.\n" % _shown(name))
    return found, data


def _read_companion(path):
    """The bytes of a companion file; None when it cannot be read."""
    fd = _open(path)
    if fd is None:
        return False, None
    try:
        return True, _read_to_end(fd)
    except OSError:
        return True, None
    finally:
        os.close(fd)


class Song:
    """A source found and read, its signature file, where its MDD files are
    looked for, and its destination's name."""

    def __init__(self, source, dest):
        """Finds and reads the source and its signature file; raises Failure
        as orvo ends the run."""
        if not source:
            raise Failure(1, "Error: 入力ファイルが指定されていません。\n")
        self.name, self.data = _load_source(source)
        self.folder = folder_of(self.name)
        # No destination, or an empty one: the source's name, beside it.
        self.dest = replace_extension(dest or self.name, b".MID")
        if not dest:
            self.dest = strip_directory(self.dest)

        self.signature = self.signature_name = None
        self.signature_unreadable = False
        path = replace_extension(self.name, b".sig")
        opened, data = _read_companion(path)
        if not opened:
            path = find_ignoring_case(path)
            opened, data = _read_companion(path) if path is not None else (False, None)
        if opened:
            self.signature_name = path
            self.signature = data
            self.signature_unreadable = data is None

    def find_mdd(self, name):
        """The MDD file `name`: in the current folder, else in the source's
        folder, by its exact name first, then with the case ignored. None
        when there is none; else (the name opened, its bytes or None)."""
        places = [name] + ([path_in(self.folder, name)] if self.folder else [])
        found = next((place for place in places if _is_file(place)), None)
        if found is None:
            found = next(filter(None, map(find_ignoring_case, places)), None)
        if found is None:
            return None
        opened, data = _read_companion(found)
        return (found, data) if opened else None


def write_atomically(dest, midi):
    """Writes the file through a new temporary file beside it, renamed into
    place once every byte is written: a failed write leaves neither a
    half-written file nor a damaged old one."""
    for i in range(_TEMP_NAME_TRIES):
        temp = dest + b".orvo%d.tmp" % i
        try:
            fd = os.open(temp, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
            break
        except (OSError, ValueError):
            continue
    else:
        raise Failure(1, "\nError: ファイルの書き込みに失敗しました。\n")
    try:
        try:
            view = memoryview(midi)
            while view:
                written = os.write(fd, view)
                if written <= 0:
                    raise OSError("nothing written")
                view = view[written:]
        finally:
            os.close(fd)
        os.rename(temp, dest)
    except OSError:
        try:
            os.remove(temp)
        except OSError:
            pass
        raise Failure(1, "\nError: ファイルの書き込みに失敗しました。\n") from None
