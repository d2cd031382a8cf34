#!/usr/bin/python3
"""Reads a MIDI file with mido, as a second opinion on the files the tests
produce. Prints a short summary and exits 0 when mido accepts the file;
prints the exception and exits 1 when it does not."""

import sys

import mido


def main():
    if len(sys.argv) != 2:
        print("usage: mido_read.py FILE", file=sys.stderr)
        return 2
    try:
        midi = mido.MidiFile(sys.argv[1], clip=False)
        lines = ["type %d, ticks_per_beat %d, tracks %d"
                 % (midi.type, midi.ticks_per_beat, len(midi.tracks))]
        for index, track in enumerate(midi.tracks):
            count = 0
            ticks = 0
            for message in track:
                count += 1
                ticks += message.time
            lines.append("track %d: %d messages, %d ticks" % (index, count, ticks))
    except Exception as error:  # mido raises several kinds; all mean rejection
        print("%s: %s" % (type(error).__name__, error), file=sys.stderr)
        return 1
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
