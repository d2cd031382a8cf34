"""orvo.convert: the bytes and messages of the orvo program, options by
switches and by keys, bytes-like inputs held while they are read, MDD files
from a mapping or a callable, and the errors."""

import mmap

import pytest

import orvo
from conftest import EXAMPLES, MDD_EVENT, MDD_FILE, MDD_SONG, check_midi, run_orvo

SWITCH_SETS = ["", "-m", "-L3 -m", "-l3m", "-J -F2 -D5", "-s -R -I4", "-U -A -B2"]


def test_same_bytes_and_messages_as_orvo(songs, tmp_path):
    (tmp_path / "demo.sig").write_bytes((EXAMPLES / "demo.sig").read_bytes())
    for name, (data, meant) in songs.items():
        (tmp_path / name).write_bytes(data)
        signature = (EXAMPLES / "demo.sig").read_bytes() if name == "demo.zmd" else None
        for switches in SWITCH_SETS + ([meant] if meant else []):
            status, midi, messages = run_orvo([*switches.split(), name, "-c"], tmp_path)
            assert status == 0, (name, switches, messages)
            result = orvo.convert(data, name=name, signature=signature, switches=switches)
            assert (result.status, result.midi, result.messages) == (0, midi, messages), (name, switches)
            check_midi(result.midi)


def test_keys_set_what_switches_set(songs):
    data = songs["gen003.zmd"][0]
    pairs = [
        ("-L3 -m", dict(loop_count=3, convert_fm=True)),
        ("-J -F2 -D5", dict(auto_loop=True, fade_speed=2, fade_delay=5)),
        ("-s -R -I4", dict(running_status=0, keyoff_skip=-1, init_gap=4)),
        ("-U -A -B2 -X3 -t1", dict(round_tempo=1, timer_a=1, bend_interval=2, excl_wait=3, track_buffer_kb=1)),
    ]
    for switches, keys in pairs:
        assert orvo.convert(data, switches=switches).midi == orvo.convert(data, **keys).midi, switches
    # Keys come after the switches.
    assert orvo.convert(data, switches="-L5", loop_count=3).midi == orvo.convert(data, loop_count=3).midi
    assert orvo.convert(data, loop_count=3).midi != orvo.convert(data).midi


def test_misuse_raises_before_converting():
    calls = []
    for bad in [dict(no_such_key=1), dict(loop_count=-1), dict(bend_interval=0), dict(fade_speed=128),
                dict(loop_count=2 ** 31), dict(loop_count=2 ** 70), dict(loop_count="3"),
                dict(convert_fm=1.0), dict(switches="-o out.mid"), dict(switches="-B0"),
                dict(switches="song.zmd"), dict(switches="-L3\0-m")]:
        with pytest.raises(ValueError):
            orvo.convert(MDD_SONG, mdd=calls.append, **bad)
    assert calls == []
    with pytest.raises(TypeError):
        orvo.convert("not bytes")
    with pytest.raises(TypeError):
        orvo.convert(MDD_SONG, mdd=42)


def test_any_bytes_like_input_is_held_while_it_is_read(songs, tmp_path):
    data, _ = songs["demo.zmd"]
    expected = orvo.convert(data).midi
    path = tmp_path / "demo.zmd"
    path.write_bytes(data)
    with open(path, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as mapped:
        for form in (bytearray(data), memoryview(data), mapped, memoryview(bytearray(data))[0:]):
            assert orvo.convert(form).midi == expected
        assert orvo.convert(data, signature=mapped).status == 0  # read as a (nonsense) signature file

    # While the conversion runs (here: while it asks for an MDD file), the
    # song cannot be resized nor an mmap closed under it.
    song = bytearray(MDD_SONG)
    with pytest.raises(BufferError):
        orvo.convert(song, mdd=lambda name: song.extend(b"more"))
    path.write_bytes(MDD_SONG)
    with open(path, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as mapped:
        with pytest.raises(BufferError):
            orvo.convert(mapped, mdd=lambda name: mapped.close())
    song.extend(b"more")  # released afterwards


def test_mdd_files_from_a_mapping_as_orvo_finds_them(tmp_path):
    (tmp_path / "mdd.zmd").write_bytes(MDD_SONG)
    (tmp_path / "SYSEX.MDD").write_bytes(MDD_FILE)
    status, midi, messages = run_orvo(["mdd.zmd", "-c"], tmp_path)
    assert status == 0
    for files in ({"SYSEX.MDD": MDD_FILE}, {b"SYSEX.MDD": bytearray(MDD_FILE)}, {"sysex.mdd": MDD_FILE},
                  {"SYSEX.MDD": MDD_FILE, "Sysex.mdd": b"F0 01 F7 "},   # the exact name wins
                  {"sysex.MDD": b"F0 01 F7 ", "Sysex.mdd": MDD_FILE}):  # else the first in sorted order
        result = orvo.convert(MDD_SONG, name="mdd.zmd", mdd=files)
        assert (result.midi, result.messages) == (midi, messages), files
    check_midi(midi)
    assert MDD_EVENT in midi

    for files in ({}, {"SYSEX.MDD": None}, {"SYSEX": MDD_FILE}, {"SYSEX.MDDX": MDD_FILE}):
        with pytest.raises(orvo.ConversionError) as missing:
            orvo.convert(MDD_SONG, mdd=files)
        assert (missing.value.status, str(missing.value)) == (1, "SYSEX.MDD:ファイルが存在しません。")


def test_mdd_files_from_a_callable():
    asked = []

    def find(name):
        asked.append(name)
        return MDD_FILE if name == "SYSEX.MDD" else None

    result = orvo.convert(MDD_SONG, mdd=find)
    assert asked == ["SYSEX.MDD"] and MDD_EVENT in result.midi
    assert " MDDファイル[SYSEX.MDD]を読み込みます。\n" in result.messages
    with pytest.raises(orvo.ConversionError, match="SYSEX.MDD:ファイルが存在しません。"):
        orvo.convert(MDD_SONG, mdd=lambda name: None)


def test_a_resolver_that_raises_abandons_the_conversion():
    failure = KeyError("no archive")

    def broken(name):
        raise failure

    with pytest.raises(KeyError) as raised:
        orvo.convert(MDD_SONG, mdd=broken)
    assert raised.value is failure
    with pytest.raises(TypeError):
        orvo.convert(MDD_SONG, mdd=lambda name: 42)  # not bytes-like
    with pytest.raises(TypeError):
        orvo.convert(MDD_SONG, mdd={"SYSEX.MDD": "F0 F7 text"})
    assert MDD_EVENT in orvo.convert(MDD_SONG, mdd={"SYSEX.MDD": MDD_FILE}).midi  # all is well afterwards


def test_failures_raise_conversion_error(songs):
    with pytest.raises(orvo.ConversionError) as refused:
        orvo.convert(b"not a song", name="x.zmd")
    e = refused.value
    assert (e.status, e.error, str(e)) == (1, "Error: x.zmdは ZMD形式のフォーマットではありません。", e.error)
    assert e.messages.startswith("ZMD(V2) to MID converter") and e.messages.endswith(e.error + "\n")
    v3 = bytearray(songs["gen001.zmd"][0])
    v3[7] = 0x30
    with pytest.raises(orvo.ConversionError, match="Z-MUSIC V3 のデータは変換出来ません。") as refused:
        orvo.convert(v3)
    assert "ちなみに、前者がお勧めです:-)\n" in refused.value.messages
    assert isinstance(refused.value, Exception) and refused.value.status == 1
