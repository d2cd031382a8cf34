"""orvo: converts Z-MUSIC version 2 performance data (ZMD files) into
format-1 Standard MIDI Files, as the orvo program does.

    import orvo
    with open("song.zmd", "rb") as f:
        result = orvo.convert(f.read(), name="song.zmd", convert_fm=True)
    midi = result.midi                     # the MIDI file's bytes
    orvo.convert_file("song.zmd")          # writes song.MID, as `orvo song.zmd` does

Conversions release the interpreter's lock while they run: threads convert
songs in parallel.
"""

import functools
import os
import pathlib

from . import _files, _orvo

__all__ = ["__version__", "convert", "convert_file", "Result", "ConversionError"]

__version__ = _orvo.version()


class Result:
    """A converted song.

    midi: the MIDI file's bytes.
    messages: every message of the conversion, from the banner to
        "Completed.", as orvo writes them (in UTF-8 here).
    status: 0.
    """

    __slots__ = ("midi", "messages", "status")

    def __init__(self, midi, messages, status=0):
        """Holds the outcome of a conversion."""
        self.midi = midi
        self.messages = messages
        self.status = status

    def __repr__(self):
        """A summary: the size of the MIDI file and the status."""
        return "<orvo.Result: %d bytes of MIDI, status %d>" % (len(self.midi), self.status)


class ConversionError(Exception):
    """A conversion that failed, as orvo fails: not ZMD data, damaged data, a
    missing or unreadable MDD or signature file (status 1), a source file that
    could not be read completely (4), out of memory (10).

    status: orvo's exit status for the same conversion.
    error: the first line of the fatal message; str() of the exception.
    messages: every message of the conversion, the fatal one last.
    """

    def __init__(self, status, error, messages):
        """Holds the status, the error line and the messages."""
        super().__init__(status, error, messages)
        self.status = status
        self.error = error
        self.messages = messages

    def __str__(self):
        """The first line of the fatal message."""
        return self.error


def _mdd_finder(mdd):
    """The resolver the extension calls with each MDD file name (bytes): a
    mapping is looked up by the exact name, then with the case of ASCII
    letters ignored; a callable gets the name as a str."""
    if mdd is None:
        return None
    if callable(mdd):
        def find(name):
            """The callable's answer for the name."""
            data = mdd(os.fsdecode(name))
            return None if data is None else (None, data)
        return find
    if not hasattr(mdd, "keys") or not hasattr(mdd, "__getitem__"):
        raise TypeError("orvo: mdd must be a mapping or a callable, not %s" % type(mdd).__name__)

    def find(name):
        """The mapping's bytes for the name, or None."""
        for key in (os.fsdecode(name), name):
            if key in mdd:
                data = mdd[key]
                return None if data is None else (None, data)
        key = _files.match_ignoring_case(name, mdd.keys())
        if key is None or mdd[key] is None:
            return None
        return None, mdd[key]
    return find


def _path_bytes(name, what):
    """A file name as bytes, as the system holds it."""
    if name is None:
        return None
    try:
        return os.fsencode(name)
    except TypeError:
        raise TypeError("orvo: %s must be a str, bytes or a path, not %s"
                        % (what, type(name).__name__)) from None


# The command line's defaults, shared by every conversion that sets nothing:
# conversions only read their options.
_DEFAULTS = _orvo.Options(None, {})


def _settings(switches, options):
    """The checked options of a conversion."""
    if switches is None and not options:
        return _DEFAULTS
    return _orvo.Options(switches, options)


def _finish(answer):
    """The Result of the extension's answer, or its ConversionError."""
    status, midi, messages, error = answer
    if status != 0:
        raise ConversionError(status, error, messages)
    return Result(midi, messages, status)


def convert(data, *, name=None, signature=None, mdd=None, switches=None, **options):
    """Converts one ZMD song held in memory; returns an orvo.Result.

    data: the song's bytes, any bytes-like object (bytes, bytearray,
        memoryview, mmap); it stays locked against resizing while it is read.
    name: the song's name as the messages show it (default "-").
    signature: the bytes of its signature file (track names, author, time
        and key signatures), bytes-like; the messages name it after `name`
        with ".sig".
    mdd: where the MDD files the song names come from: a mapping from file
        name (the song's text with ".MDD", such as "GS_RESET.MDD") to bytes,
        looked up by the exact name, then with the case of ASCII letters
        ignored (of several such keys the first in sorted order); or a
        callable taking the name (str) and returning bytes or None. What the
        callable raises propagates from convert.
    switches: orvo's music switches as on its command line: "-L3 -m",
        "-l3m", "/aj".
    options: the switches by the C API's keys, applied after `switches`:
        loop_count      -L  0..2147483647 (default 2): [do]..[loop] unrolled
        fade_speed      -F  0..127 (10): fade-out speed after the loop
        fade_delay      -D  0..2147483647 (0): fade-out delay in clocks
        bend_interval   -B  1..127 (1): clocks between generated bends and curves
        excl_wait       -X  0..127 (0): clocks after each common exclusive
        round_tempo     -U  0 or 1 (0): round tempo values instead of truncating
        timer_a         -A  0 or 1 (0): tempo commands in TIMER-A units
        auto_loop       -J  0 or 1 (0): fit loop counts to the longest track
        keyoff_skip     -R  -1 (-R alone) or 0..127 (0: off): omit key-offs per @R
        init_gap        -I  -1 (off) or 0..127 (-1): embed the channel initialisation
        convert_fm      -m  0 or 1 (0): convert FM tracks too
        running_status  -s  0 (-s) or 1 (1): running status
        track_buffer_kb -t  0..2147483647 (16): first size of a track buffer
      Booleans count as 0 and 1: convert_fm=True.

    Raises ValueError for a bad switch, key or value (before converting),
    and ConversionError when the conversion fails.
    """
    settings = _settings(switches, options)
    return _finish(_orvo.convert(data, settings, _path_bytes(name, "name"), signature, None,
                                 False, _mdd_finder(mdd)))


@functools.cache
def _banner():
    """The first line of every conversion's messages, as the library writes it."""
    messages = _orvo.convert(b"", _orvo.Options(None, {}), None, None, None, False, None)[2]
    return messages.split("\n", 1)[0] + "\n"


def convert_file(source, dest=None, *, switches=None, **options):
    """Converts a ZMD file into a MIDI file as `orvo source [-o dest]` does;
    returns the destination's path (a pathlib.Path).

    source: opened as given, else with ".ZMD" appended, else with ".ZMD"
        appended and the case of the ASCII letters of its file name ignored.
    dest: the destination; default: the source name opened, with its
        extension replaced by ".MID" (a name without one gets ".MID"), and
        everything up to its last "\\" dropped. A given destination gets ".MID"
        as well: "out.mid" writes out.MID.
    The signature file is the source name opened with ".sig" (if there is
    one); each MDD file the song names is looked for in the current folder,
    then in the source's folder, by its exact name and then with the case of
    ASCII letters ignored. The destination is written through a temporary
    file beside it, renamed into place only when complete. Names beginning
    with "-" are file names here, never standard input or output.

    switches and options: as for convert (help(orvo.convert)).

    Raises ValueError for a bad switch, key or value (before any file is
    touched), and ConversionError with orvo's status and messages when orvo
    would fail: a source that is not found (1) or not read completely (4),
    the conversion's own failures, a destination that cannot be written (1).
    """
    settings = _settings(switches, options)
    try:
        song = _files.Song(_path_bytes(source, "source"), _path_bytes(dest, "dest"))
    except _files.Failure as failure:
        raise ConversionError(failure.status, failure.error, _banner() + failure.message) from None
    answer = _orvo.convert(song.data, settings, song.name, song.signature, song.signature_name,
                           song.signature_unreadable, song.find_mdd)
    result = _finish(answer)
    try:
        _files.write_atomically(song.dest, result.midi)
    except _files.Failure as failure:
        # orvo says this instead of its last line, "Completed."
        messages = result.messages[:result.messages.rindex("Completed.\n")] + failure.message
        raise ConversionError(failure.status, failure.error, messages) from None
    return pathlib.Path(os.fsdecode(song.dest))
