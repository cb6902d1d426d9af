"""File and entry names between Python and the engine, which takes the
system's file names as bytes (on Windows in the ANSI code page)."""

import os
import sys

_WINDOWS = sys.platform == "win32"


def encode(value, what):
    """bytes for a str, bytes or os.PathLike value; what names it in errors."""
    value = os.fspath(value)
    if isinstance(value, str):
        # os.fsencode would give UTF-8 on Windows, where the engine reads ANSI.
        raw = value.encode("mbcs") if _WINDOWS else os.fsencode(value)
    else:
        raw = value
    if b"\0" in raw:
        # A C string would end there, naming some other file.
        raise ValueError(f"{what} holds a NUL byte: {value!r}")
    return raw


def encode_all(values, what):
    """A list of bytes for one name or path or an iterable of them."""
    if isinstance(values, (str, bytes, os.PathLike)):
        values = [values]
    return [encode(value, what) for value in values]


def decode(raw):
    """str for bytes from the engine; on POSIX encode() gives the bytes back."""
    return raw.decode("mbcs", "replace") if _WINDOWS else os.fsdecode(raw)
