#!/usr/bin/python3
"""The Python module's figures, run by make bench:

- orvo.convert on the benchmark's typical song (-m) against the C API called
  from C (orvo_capi_bench), and against the C API called through ctypes in
  this very process: each the median of many conversions in a warm
  process; the rounds take them in turn, and a ratio is the median of the
  rounds' ratios. The same once more in a process whose C library keeps
  1 MB at the top of its heap instead of handing it back (MALLOC_TOP_PAD_);
- 200 generated songs converted by orvo.convert on one fresh thread and on
  two, wall time, the median of many rounds, and how many processors the
  process kept busy (its CPU time over the wall time: a machine busy with
  other work may not give it a second one). Each round also converts the
  same songs on as many fresh threads of C through the C API
  (liborvo_capi_threads, through ctypes, which lets go of the interpreter's
  lock for the call), so that every Python figure stands beside what the
  machine gave the library itself at that moment. The rounds convert the
  songs once, and then ten times over. A single pass on two threads lasts
  about 4 ms, one tick of the kernel's scheduler: starting a Python thread
  passes the interpreter's lock back and forth, the kernel may put the new
  thread behind a busy one for a tick or more, and that start weighs as
  much as the conversions do. Over ten passes the conversions decide the
  figure, and the target is read there;
- the sizes of liborvo.so and of the module.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py build
"""

import ctypes
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import orvo

ROUNDS = 9         # rounds of the three ways to convert, in turn
RUNS = 400         # conversions timed per round, after a tenth more to warm up
SONGS = 200
THREAD_ROUNDS = 41  # rounds of one pass over the songs
PASSES = 10         # passes over the songs in a round of the sustained figure
PASS_ROUNDS = 15
TOP_PAD = 1 << 20


def median_time(convert, runs):
    """The median time of one call, after a warm-up."""
    for _ in range(runs // 10 + 1):
        convert()
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        convert()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


class CInput(ctypes.Structure):
    """orvo_input, as far as a conversion without companions needs it."""
    _fields_ = [("struct_size", ctypes.c_size_t), ("data", ctypes.c_char_p), ("size", ctypes.c_size_t),
                ("name", ctypes.c_char_p), ("signature", ctypes.c_void_p),
                ("signature_size", ctypes.c_size_t), ("signature_name", ctypes.c_char_p)]


def ctypes_convert(build, data, switches):
    """A function converting the song through liborvo.so from this process."""
    lib = ctypes.CDLL(str(build / "liborvo.so"))
    lib.orvo_options_new.restype = ctypes.c_void_p
    lib.orvo_options_parse.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lib.orvo_convert.argtypes = [ctypes.POINTER(CInput), ctypes.c_void_p, ctypes.c_void_p,
                                 ctypes.POINTER(ctypes.c_void_p)]
    lib.orvo_result_free.argtypes = [ctypes.c_void_p]
    song = CInput(ctypes.sizeof(CInput), data, len(data), None, None, 0, None)
    options = lib.orvo_options_new()
    assert lib.orvo_options_parse(options, switches.encode()) == 0
    result = ctypes.c_void_p()

    def convert():
        """One conversion, its result freed."""
        assert lib.orvo_convert(ctypes.byref(song), options, None, ctypes.byref(result)) == 0
        lib.orvo_result_free(result)
    return convert


def typical_song_times(build, song, switches):
    """Per round: the C program's, orvo.convert's and ctypes' median times."""
    data = song.read_bytes()
    through_ctypes = ctypes_convert(build, data, switches)
    rounds = []
    for _ in range(ROUNDS):
        out = subprocess.run([str(build / "orvo_capi_bench"), str(song), str(RUNS), switches],
                             check=True, capture_output=True, text=True).stdout.split()
        rounds.append((float(out[0]),
                       median_time(lambda: orvo.convert(data, switches=switches), RUNS),
                       median_time(through_ctypes, RUNS)))
    return rounds


def convert_all(songs, threads):
    """Wall time and process CPU time to convert every song on `threads`
    fresh threads, each taking the next song not yet taken."""
    queue = iter(songs)  # taking the next one holds the interpreter's lock

    def work():
        """Converts songs until none is left."""
        for data in queue:
            orvo.convert(data)

    workers = [threading.Thread(target=work) for _ in range(threads)]
    start, cpu = time.perf_counter(), time.process_time()
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    return time.perf_counter() - start, time.process_time() - cpu


def library_converter(build, songs):
    """A function converting every song on n fresh threads of C through the
    C API, returning its wall time and the process's CPU time."""
    lib = ctypes.CDLL(str(build / "liborvo_capi_threads.so"))
    run = lib.bench_convert_on_threads
    run.restype = ctypes.c_double
    run.argtypes = [ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t), ctypes.c_size_t,
                    ctypes.c_int]
    data = (ctypes.c_char_p * len(songs))(*songs)
    sizes = (ctypes.c_size_t * len(songs))(*map(len, songs))

    def convert(threads):
        """Converts the songs on `threads` threads."""
        cpu = time.process_time()
        seconds = run(data, sizes, len(songs), threads)
        assert seconds >= 0, "a song failed or a thread did not start"
        return seconds, time.process_time() - cpu
    return convert


def thread_rounds(build, songs, rounds):
    """Per round: orvo.convert on 1 and 2 threads, then the C API from C on
    1 and 2 threads; each (wall seconds, CPU seconds)."""
    library = library_converter(build, songs)
    convert_all(songs, 2)  # warm-up
    library(2)
    return [(convert_all(songs, 1), convert_all(songs, 2), library(1), library(2)) for _ in range(rounds)]


def print_threads(title, rounds):
    """The lines of one set of thread rounds, and its gain in the module."""
    def wall(i):
        return statistics.median(r[i][0] for r in rounds)

    def busy(i):
        return statistics.median(r[i][1] / r[i][0] for r in rounds)

    def gain(i):
        return statistics.median(r[i][0] / r[i + 1][0] for r in rounds)
    print("    %s; median of %d rounds" % (title, len(rounds)))
    print("                       orvo.convert                    C API from C")
    print("        1 thread       %.4f s  %.2f processors busy   %.4f s  %.2f processors busy"
          % (wall(0), busy(0), wall(2), busy(2)))
    print("        2 threads      %.4f s  %.2f processors busy   %.4f s  %.2f processors busy"
          % (wall(1), busy(1), wall(3), busy(3)))
    print("        2 threads as fast as 1:  orvo.convert %.2f x, the C API %.2f x in the same rounds"
          % (gain(0), gain(2)))
    return gain(0)


def column(rounds, index):
    """The median of one column of the rounds."""
    return statistics.median(r[index] for r in rounds)


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build").resolve()
    if len(sys.argv) > 3 and sys.argv[2] == "--ratios":  # the child under MALLOC_TOP_PAD_
        rounds = typical_song_times(build, pathlib.Path(sys.argv[3]), sys.argv[4])
        print(statistics.median(r[1] / r[0] for r in rounds), statistics.median(r[1] / r[2] for r in rounds))
        return

    with tempfile.TemporaryDirectory() as folder:
        folder = pathlib.Path(folder)
        subprocess.run([str(build / "orvo_write_songs"), str(folder), str(SONGS)], check=True)
        typical = folder / "typical.zmd"
        lines = (folder / "songs.tsv").read_text().splitlines()
        switches = dict(line.split("\t") for line in lines)["typical.zmd"]
        midi_size = len(orvo.convert(typical.read_bytes(), switches=switches).midi)
        rounds = typical_song_times(build, typical, switches)
        padded = subprocess.run([sys.executable, __file__, str(build), "--ratios", str(typical), switches],
                                env=dict(os.environ, MALLOC_TOP_PAD_=str(TOP_PAD)),
                                check=True, capture_output=True, text=True).stdout.split()

        songs = [(folder / ("gen%03d.zmd" % i)).read_bytes() for i in range(SONGS)]
        once = thread_rounds(build, songs, THREAD_ROUNDS)
        passes = thread_rounds(build, songs * PASSES, PASS_ROUNDS)
        song_bytes = sum(map(len, songs))
        midi_bytes = sum(len(orvo.convert(song).midi) for song in songs)

    library = (build / "liborvo.so").resolve()
    module = pathlib.Path(orvo._orvo.__file__)
    print()
    print("Python module: the typical song (%s, %d bytes of MIDI), median seconds of %d conversions "
          "in a warm process, %d rounds" % (switches, midi_size, RUNS, ROUNDS))
    print()
    print("    C API from C (orvo_capi_bench)                %.6f s" % column(rounds, 0))
    print("    orvo.convert from Python                      %.6f s" % column(rounds, 1))
    print("    C API from the same Python process (ctypes)   %.6f s" % column(rounds, 2))
    print()
    print("    orvo.convert takes %.3f x the C API's time from C (median of %d rounds; target: at most 1.1)"
          % (statistics.median(r[1] / r[0] for r in rounds), ROUNDS))
    print("                       %.3f x the C API's time in the same process: what the binding adds"
          % statistics.median(r[1] / r[2] for r in rounds))
    print("    with MALLOC_TOP_PAD_=%d (1 MB kept at the top of the heap): %.3f x from C, %.3f x in-process"
          % (TOP_PAD, float(padded[0]), float(padded[1])))
    print()
    print("%d generated songs (1 to 4 tracks, %.1f KB of ZMD, %.1f MB of MIDI) on fresh threads, each taking "
          "the next song not yet taken; wall seconds" % (SONGS, song_bytes / 1e3, midi_bytes / 1e6))
    print()
    print_threads("one pass over the songs a round", once)
    print()
    sustained = print_threads("%d passes over the songs a round (%d conversions)" % (PASSES, PASSES * SONGS),
                              passes)
    print()
    print("    2 threads convert %.2f x as fast as 1 over %d passes (target: at least 1.6 on 2 cores; "
          "%d processors here)" % (sustained, PASSES, os.cpu_count()))
    print()
    print("sizes: %s %d bytes (not stripped), %s %d bytes (stripped)"
          % (library.name, library.stat().st_size, module.name, module.stat().st_size))


if __name__ == "__main__":
    main()
