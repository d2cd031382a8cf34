"""What the tests of the package orvo share: the songs, the orvo program to
compare with, and the checks every MIDI result gets (the strict checker of
the C++ tests and mido). The build folder is ORVO_BUILD (default: build),
which holds orvo, orvo_write_songs and orvo_smf_check; the package is
imported from PYTHONPATH."""

import hashlib
import io
import os
import pathlib
import subprocess
import tempfile

import mido
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("ORVO_BUILD", ROOT / "build")).resolve()
ORVO = BUILD / "orvo"
EXAMPLES = ROOT / "examples"
GENERATED = 8  # generated songs the tests use

# A song that names the MDD file SYSEX, and a file for it.
MDD_SONG = b"\x10ZmuSiC\x20\x62SYSEX\x00\xff\x00\x00"
MDD_FILE = b"F0 41 10 42 12 40 00 7F 00 41 F7\r\n"
MDD_EVENT = bytes.fromhex("F00A4110421240007F0041F7")


@pytest.fixture(scope="session")
def songs(tmp_path_factory):
    """The songs by file name (bytes), with the switches they are meant for:
    the demo, the benchmark's songs and generated ones."""
    folder = tmp_path_factory.mktemp("songs")
    subprocess.run([str(BUILD / "orvo_write_songs"), str(folder), str(GENERATED)], check=True)
    found = {"demo.zmd": ((EXAMPLES / "demo.zmd").read_bytes(), "")}
    for line in (folder / "songs.tsv").read_text().splitlines():
        name, switches = line.split("\t")
        found[name] = ((folder / name).read_bytes(), switches)
    for seed in range(GENERATED):
        name = "gen%03d.zmd" % seed
        found[name] = ((folder / name).read_bytes(), "")
    return found


def run_orvo(args, cwd):
    """Runs the orvo program: (status, standard output, messages decoded
    from the CP932 of a pipe)."""
    done = subprocess.run([str(ORVO), *args], cwd=cwd, capture_output=True)
    return done.returncode, done.stdout, done.stderr.decode("cp932")


_checked = set()


def check_midi(midi):
    """Fails unless the strict checker and mido both accept the MIDI file."""
    digest = hashlib.sha256(midi).digest()
    if digest in _checked:
        return
    mido.MidiFile(file=io.BytesIO(midi))
    with tempfile.NamedTemporaryFile(suffix=".mid") as file:
        file.write(midi)
        file.flush()
        done = subprocess.run([str(BUILD / "orvo_smf_check"), file.name], capture_output=True, text=True)
    assert done.returncode == 0, done.stdout
    _checked.add(digest)
