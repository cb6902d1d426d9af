"""The archive operations: each builds its own options, callbacks and
failure record, so calls on different archives may run on different threads
at once (ctypes lets go of the GIL while the engine works)."""

import ctypes
import datetime
import os
from typing import NamedTuple, Optional

from . import _errors, _names, _native
from ._callbacks import CallBridge
from ._native import library


class Entry(NamedTuple):
    """One entry of an archive, as its directory record holds it."""

    name: str
    raw_size: int
    packed_size: int
    # Local time the entry was written; None when the record's stamp is no date.
    date: Optional[datetime.datetime]


class TestResult(NamedTuple):
    """One entry's verdict from test(): code 0 when it decodes cleanly."""

    entry: Entry
    code: int
    problem: str

    @property
    def ok(self):
        return self.code == 0


def _entry(record):
    try:
        date = datetime.datetime(record.year, record.month, record.day, record.hour, record.minute)
    except ValueError:
        date = None  # a damaged or foreign stamp must not hide the entry
    return Entry(_names.decode(record.name), record.raw_size, record.packed_size, date)


def _check(code, failure, bridge=None):
    # What a callback raised comes first: it is why the call stopped.
    if bridge is not None:
        bridge.reraise()
    if code not in _native.SUCCESS_CODES:
        raise _errors.from_failure(code, failure)


def _jobs(jobs):
    if jobs is None:
        return 0  # one per processor
    if isinstance(jobs, bool) or not isinstance(jobs, int) or jobs < 1:
        raise ValueError(f"jobs must be a positive int or None, not {jobs!r}")
    return jobs


def _string_array(values):
    return (ctypes.c_char_p * len(values))(*values)


def _listing(function, record_type, convert, archive, bridge=None):
    """Calls lrx_list or lrx_test, which hand out an array of records, and
    frees the array."""
    records = ctypes.POINTER(record_type)()
    count = ctypes.c_size_t()
    failure = _native.Failure()
    callbacks = (ctypes.byref(bridge.struct),) if bridge is not None else ()
    code = function(_names.encode(archive, "archive"), ctypes.byref(records),
                    ctypes.byref(count), *callbacks, ctypes.byref(failure))
    try:
        _check(code, failure, bridge)
        return [convert(records[i]) for i in range(count.value)]
    finally:
        library.lrx_free(records)


def list(archive):  # noqa: A001 - the name the users know
    """The entries of archive, in archive order: a list of Entry."""
    return _listing(library.lrx_list, _native.EntryRecord, _entry, archive)


def add(archive, replays, *, move=False, strict=False, jobs=None, progress=None):
    """Adds replays (or updates the entries of their names) in one rewrite of
    archive, created when missing: all go in, or on any failure none.

    move     remove each replay file once the archive is in place
    strict   refuse (code 67) a replay that would not come back byte for byte
    jobs     replays packed at once (None: one per processor); the archive
             is the same for any number
    progress called with (entry name, percent); raising cancels the call,
             leaving the archive as it was, and the exception reaches the caller
    """
    paths = _names.encode_all(replays, "replay")
    options = _native.AddOptions(_jobs(jobs), bool(move), bool(strict))
    bridge = CallBridge(progress)
    failure = _native.Failure()
    code = library.lrx_add(_names.encode(archive, "archive"), _string_array(paths), len(paths),
                           ctypes.byref(options), ctypes.byref(bridge.struct),
                           ctypes.byref(failure))
    _check(code, failure, bridge)


def delete(archive, names, *, progress=None):
    """Deletes the entries of these names (ignoring case); unknown names are
    ignored, and an archive left empty is removed. progress as for add (its
    entry name is None)."""
    encoded = _names.encode_all(names, "name")
    if not encoded:
        return
    bridge = CallBridge(progress)
    failure = _native.Failure()
    code = library.lrx_delete(_names.encode(archive, "archive"), _string_array(encoded),
                              len(encoded), ctypes.byref(bridge.struct), ctypes.byref(failure))
    _check(code, failure, bridge)


def extract(archive, dest, names=None, *, overwrite="skip", jobs=None, progress=None):
    """Extracts the entries of these names (None: every entry) into the folder
    dest, created when missing. An existing non-empty file is kept ("skip"), replaced ("always"), or
    replaced when overwrite(path) returns True. Each file is decoded into a
    temporary file first, so an existing one is replaced whole or not at all.
    progress as for add; raising in progress or overwrite stops the call,
    keeping the files extracted before."""
    if names is None:
        encoded = []
    else:
        encoded = _names.encode_all(names, "name")
        if not encoded:
            return  # count 0 would mean every entry
    if overwrite == "skip":
        policy, ask = _native.OVERWRITE_SKIP, None
    elif overwrite == "always":
        policy, ask = _native.OVERWRITE_ALWAYS, None
    elif callable(overwrite):
        policy, ask = _native.OVERWRITE_ASK, overwrite
    else:
        raise ValueError(f'overwrite must be "skip", "always" or a callable, not {overwrite!r}')
    options = _native.ExtractOptions(_jobs(jobs), policy)
    os.makedirs(dest, exist_ok=True)  # as lrx extract -d does
    bridge = CallBridge(progress, ask)
    failure = _native.Failure()
    code = library.lrx_extract(_names.encode(archive, "archive"), _names.encode(dest, "dest"),
                               _string_array(encoded), len(encoded), ctypes.byref(options),
                               ctypes.byref(bridge.struct), ctypes.byref(failure))
    _check(code, failure, bridge)


def read(archive, name):
    """The bytes of the replay stored under name (ignoring case)."""
    replay = ctypes.POINTER(ctypes.c_ubyte)()
    size = ctypes.c_size_t()
    failure = _native.Failure()
    code = library.lrx_read(_names.encode(archive, "archive"), _names.encode(name, "name"),
                            ctypes.byref(replay), ctypes.byref(size), ctypes.byref(failure))
    try:
        _check(code, failure)
        return ctypes.string_at(replay, size.value) if size.value else b""
    finally:
        library.lrx_free(replay)


def test(archive, *, progress=None):
    """Decodes every entry, writing nothing: a list of TestResult, one per
    entry. Raises Error only when the archive cannot be listed and read."""
    bridge = CallBridge(progress)

    def verdict(record):
        return TestResult(_entry(record.entry), record.code, _names.decode(record.problem))

    return _listing(library.lrx_test, _native.TestRecord, verdict, archive, bridge)
