"""Conversions on several threads: the interpreter's lock is let go while a
song converts, and threads converting at once (MDD resolvers included) give
what one conversion after another gives."""

import threading
import time

import orvo
from conftest import MDD_FILE, MDD_SONG


def test_other_threads_run_while_a_song_converts(songs):
    data = songs["gen003.zmd"][0]
    window = []

    def convert():
        start = time.perf_counter()
        orvo.convert(data, loop_count=10000)  # about 0.1 s
        window.extend([start, time.perf_counter()])

    worker = threading.Thread(target=convert)
    stamps = []
    worker.start()
    while worker.is_alive():
        stamps.append(time.perf_counter())
        time.sleep(0.001)
    worker.join()
    start, end = window
    # Holding the lock, the conversion would leave this thread no moment in between.
    assert sum(start < stamp < end for stamp in stamps) >= 10


def test_a_thread_that_stops_converting_holds_up_no_other(songs):
    # A thread whose conversion ends spins while another converting thread
    # has just taken the interpreter's lock back. This thread takes it back
    # last while the worker's long song converts, then never converts
    # again: the worker's spin must end at its bound, not wait for a
    # conversion that never comes.
    data = songs["gen003.zmd"][0]
    start = time.perf_counter()
    orvo.convert(data, loop_count=10000)
    alone = time.perf_counter() - start
    took = []

    def convert():
        begin = time.perf_counter()
        orvo.convert(data, loop_count=10000)
        took.append(time.perf_counter() - begin)

    worker = threading.Thread(target=convert)
    worker.start()
    begin = time.perf_counter()
    while time.perf_counter() - begin < alone / 3:
        orvo.convert(data)
    worker.join(timeout=30)
    assert not worker.is_alive()
    assert took[0] < alone * 3 + 1


def test_threads_converting_at_once_give_the_bytes_of_one_after_another(songs):
    names = sorted(songs)
    mdd = {"SYSEX.MDD": MDD_FILE}

    def convert(name):
        data, switches = songs[name]
        return orvo.convert(data, name=name, switches=switches).midi

    alone = {name: convert(name) for name in names}
    alone_mdd = orvo.convert(MDD_SONG, mdd=mdd).midi
    results = []

    def work(index):
        for _ in range(4):
            for name in names[index:] + names[:index]:
                results.append((name, convert(name)))
            results.append((None, orvo.convert(MDD_SONG, mdd=lambda n: mdd.get(n)).midi))
            results.append((None, orvo.convert(MDD_SONG, mdd=mdd).midi))

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert len(results) > 4 * 4 * 3
    for name, midi in results:
        assert midi == (alone_mdd if name is None else alone[name]), name
