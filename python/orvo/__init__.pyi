# The types of the package orvo.
import mmap
import os
import pathlib
from typing import Callable, Mapping, Optional, Union

__version__: str

_BytesLike = Union[bytes, bytearray, memoryview, mmap.mmap]
_Name = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
_Mdd = Union[Mapping[Union[str, bytes], Optional[_BytesLike]], Callable[[str], Optional[_BytesLike]]]

class Result:
    midi: bytes
    messages: str
    status: int
    def __init__(self, midi: bytes, messages: str, status: int = ...) -> None: ...

class ConversionError(Exception):
    status: int
    error: str
    messages: str
    def __init__(self, status: int, error: str, messages: str) -> None: ...

def convert(
    data: _BytesLike,
    *,
    name: Optional[_Name] = ...,
    signature: Optional[_BytesLike] = ...,
    mdd: Optional[_Mdd] = ...,
    switches: Optional[str] = ...,
    loop_count: int = ...,
    fade_speed: int = ...,
    fade_delay: int = ...,
    bend_interval: int = ...,
    excl_wait: int = ...,
    round_tempo: int = ...,
    timer_a: int = ...,
    auto_loop: int = ...,
    keyoff_skip: int = ...,
    init_gap: int = ...,
    convert_fm: int = ...,
    running_status: int = ...,
    track_buffer_kb: int = ...,
) -> Result: ...

def convert_file(
    source: _Name,
    dest: Optional[_Name] = ...,
    *,
    switches: Optional[str] = ...,
    loop_count: int = ...,
    fade_speed: int = ...,
    fade_delay: int = ...,
    bend_interval: int = ...,
    excl_wait: int = ...,
    round_tempo: int = ...,
    timer_a: int = ...,
    auto_loop: int = ...,
    keyoff_skip: int = ...,
    init_gap: int = ...,
    convert_fm: int = ...,
    running_status: int = ...,
    track_buffer_kb: int = ...,
) -> pathlib.Path: ...
