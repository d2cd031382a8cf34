"""orvo.convert_file against the orvo program, in twin folders: the files
it finds, the destination it writes, the messages it gives and its status,
on success and on each failure."""

import pathlib

import pytest

import orvo
from conftest import EXAMPLES, MDD_FILE, MDD_SONG, run_orvo

DEMO = (EXAMPLES / "demo.zmd").read_bytes()
SIGNATURE = (EXAMPLES / "demo.sig").read_bytes()


def make_folder(root, files):
    """Writes the files (relative path -> bytes; None makes a folder)."""
    for name, data in files.items():
        path = root / name
        if data is None:
            path.mkdir(parents=True, exist_ok=True)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)


def snapshot(root):
    """Every file below the folder with its bytes (folders as None)."""
    return {str(p.relative_to(root)): None if p.is_dir() else p.read_bytes() for p in root.rglob("*")}


@pytest.fixture
def compare(tmp_path, monkeypatch):
    """Runs `orvo [switches] source [-o dest]` in one folder and
    convert_file in a twin of it; checks that both end with the same
    status and messages and leave the same files (orvo_switches: what orvo
    is given for convert_file's switches and keys). Returns convert_file's
    path (None when it failed)."""
    answers = []
    real = orvo._orvo.convert

    def spy(*args):
        answers.append(real(*args))
        return answers[-1]

    monkeypatch.setattr(orvo._orvo, "convert", spy)

    def run(files, source, dest=None, switches="", orvo_switches=None, **options):
        twins = tmp_path / str(len(list(tmp_path.iterdir())))
        make_folder(twins / "orvo", files)
        make_folder(twins / "module", files)
        args = [*(switches if orvo_switches is None else orvo_switches).split(), source] + (["-o", dest] if dest is not None else [])
        status, _, messages = run_orvo(args, twins / "orvo")
        monkeypatch.chdir(twins / "module")
        path = None
        try:
            path = orvo.convert_file(source, dest, switches=switches or None, **options)
            got = (0, answers[-1][2])
        except orvo.ConversionError as e:
            got = (e.status, e.messages)
        assert got == (status, messages)
        assert snapshot(twins / "module") == snapshot(twins / "orvo")
        return path

    return run


def test_the_source_signature_and_destination_names(compare):
    assert compare({"demo.zmd": DEMO, "demo.sig": SIGNATURE}, "demo") == pathlib.Path("demo.MID")
    assert compare({"Demo.ZMD": DEMO, "DEMO.SIG": SIGNATURE}, "demo") == pathlib.Path("Demo.MID")
    assert compare({"Demo.ZMD": DEMO}, "demo.zmd") is None  # only ".ZMD" appended is looked for in any case
    assert compare({"demo": DEMO, "demo.ZMD": MDD_SONG}, "demo") == pathlib.Path("demo.MID")
    assert compare({"a\\b.zmd": DEMO}, "a\\b.zmd") == pathlib.Path("b.MID")  # only a "\" cuts
    assert compare({"music/song.zmd": DEMO, "music/song.sig": SIGNATURE}, "music/song.zmd") == \
        pathlib.Path("music/song.MID")
    assert compare({"demo.zmd": DEMO, "out": None}, "demo.zmd", "out/x.mid") == pathlib.Path("out/x.MID")
    assert compare({"demo.zmd": DEMO, "x.MID": b"old"}, "demo.zmd", "x") == pathlib.Path("x.MID")
    assert compare({"music/a.b/song": DEMO}, "music/a.b/song", "") == pathlib.Path("music/a.MID")


def test_switches_and_keys(compare):
    compare({"demo.zmd": DEMO}, "demo.zmd", switches="-L3 -m -B2")
    compare({"demo.zmd": DEMO}, "demo.zmd", switches="-L5", loop_count=3, convert_fm=True, orvo_switches="-L3 -m")


def test_mdd_files_in_the_current_folder_then_the_sources(compare):
    other = b"F0 01 F7 "
    # Found in the song's folder, under another case: the messages name it.
    compare({"music/SONG.zmd": MDD_SONG, "music/Song.SIG": SIGNATURE, "music/sysex.mdd": MDD_FILE},
            "music/song")
    compare({"music/mdd.zmd": MDD_SONG, "SYSEX.MDD": MDD_FILE, "music/SYSEX.MDD": other}, "music/mdd.zmd")
    compare({"music/mdd.zmd": MDD_SONG, "sysex.mdd": other, "music/SYSEX.MDD": MDD_FILE}, "music/mdd.zmd")
    compare({"music/mdd.zmd": MDD_SONG, "sysex.MDD": other, "Sysex.mdd": MDD_FILE}, "music/mdd.zmd")
    compare({"music/mdd.zmd": MDD_SONG, "SYSEX.MDD": None}, "music/mdd.zmd")  # a folder is no file
    compare({"music/mdd.zmd": MDD_SONG, "music/sysex.mdd": b"90 40 F7\r"}, "music/mdd.zmd")


def test_failures_leave_the_files_as_they_were(compare):
    for source in ("nothing", "", "folder"):
        assert compare({"folder": None, "folder.ZMD": None}, source) is None
    assert compare({"bad.zmd": b"not a song", "bad.MID": b"old"}, "bad.zmd") is None
    assert compare({"demo.zmd": DEMO, "demo.sig": None}, "demo.zmd") is None  # a signature that cannot be read
    assert compare({"demo.zmd": DEMO}, "demo.zmd", "no/such/folder.mid") is None  # cannot be written


def test_misuse_raises_before_any_file_is_touched(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "demo.zmd").write_bytes(DEMO)
    with pytest.raises(ValueError):
        orvo.convert_file("demo.zmd", loop_count=-1)
    with pytest.raises(TypeError):
        orvo.convert_file(42)
    assert snapshot(tmp_path) == {"demo.zmd": DEMO}
