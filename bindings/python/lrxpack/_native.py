"""The engine's C API (lrxpack_api.h) as ctypes sees it: the library, its
structures and the prototypes of the calls the module makes."""

import ctypes
import os
import sys

REQUIRED_VERSION = (1, 1)

FAILURE_PATH_SIZE = 4096
ENTRY_NAME_SIZE = 14

OVERWRITE_SKIP = 1
OVERWRITE_ALWAYS = 2
OVERWRITE_ASK = 3

ANSWER_NO = 0
ANSWER_YES = 1
ANSWER_CANCEL = 3

# Codes that end a call well: 25 is delete's "removed the emptied archive".
SUCCESS_CODES = (0, 25)


class Failure(ctypes.Structure):
    _fields_ = [
        ("code", ctypes.c_int),
        ("system_error", ctypes.c_int),
        ("path", ctypes.c_char * FAILURE_PATH_SIZE),
        ("entry", ctypes.c_char * ENTRY_NAME_SIZE),
        ("call", ctypes.c_int),
        ("detail", ctypes.c_int),
        ("reserved", ctypes.c_int * 8),
    ]


ProgressFunction = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int)
OverwriteFunction = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p)


class Callbacks(ctypes.Structure):
    _fields_ = [
        ("user", ctypes.c_void_p),
        ("progress", ProgressFunction),
        ("overwrite", OverwriteFunction),
    ]


class EntryRecord(ctypes.Structure):
    _fields_ = [
        ("name", ctypes.c_char * ENTRY_NAME_SIZE),
        ("raw_size", ctypes.c_int32),
        ("packed_size", ctypes.c_int32),
        ("year", ctypes.c_uint16),
        ("month", ctypes.c_uint16),
        ("day", ctypes.c_uint16),
        ("hour", ctypes.c_uint16),
        ("minute", ctypes.c_uint16),
    ]


class AddOptions(ctypes.Structure):
    _fields_ = [("jobs", ctypes.c_uint), ("move", ctypes.c_int), ("strict", ctypes.c_int)]


class ExtractOptions(ctypes.Structure):
    _fields_ = [("jobs", ctypes.c_uint), ("overwrite", ctypes.c_int)]


class TestRecord(ctypes.Structure):
    _fields_ = [("entry", EntryRecord), ("code", ctypes.c_int), ("problem", ctypes.c_char * 128)]


_P = ctypes.POINTER
_char_pp = _P(ctypes.c_char_p)
_out_size = _P(ctypes.c_size_t)
_failure = _P(Failure)
_callbacks = _P(Callbacks)

_PROTOTYPES = {
    "lrx_version": (ctypes.c_char_p, []),
    "lrx_version_number": (ctypes.c_int, []),
    "lrx_failure_message": (ctypes.c_size_t, [_failure, ctypes.c_char_p, ctypes.c_size_t]),
    "lrx_free": (None, [ctypes.c_void_p]),
    "lrx_list": (ctypes.c_int, [ctypes.c_char_p, _P(_P(EntryRecord)), _out_size, _failure]),
    "lrx_add": (
        ctypes.c_int,
        [ctypes.c_char_p, _char_pp, ctypes.c_size_t, _P(AddOptions), _callbacks, _failure],
    ),
    "lrx_delete": (
        ctypes.c_int, [ctypes.c_char_p, _char_pp, ctypes.c_size_t, _callbacks, _failure]
    ),
    "lrx_extract": (
        ctypes.c_int,
        [ctypes.c_char_p, ctypes.c_char_p, _char_pp, ctypes.c_size_t, _P(ExtractOptions),
         _callbacks, _failure],
    ),
    "lrx_read": (
        ctypes.c_int,
        [ctypes.c_char_p, ctypes.c_char_p, _P(_P(ctypes.c_ubyte)), _out_size, _failure],
    ),
    "lrx_test": (
        ctypes.c_int, [ctypes.c_char_p, _P(_P(TestRecord)), _out_size, _callbacks, _failure]
    ),
}


def _candidates():
    """Where the library may be, in the order tried."""
    if sys.platform == "win32":
        file_names = ["lrxpack.dll"]
    else:
        file_names = ["liblrxpack.so.1", "liblrxpack.so"]
    package = os.path.dirname(os.path.abspath(__file__))
    for folder in (package, os.path.dirname(package)):
        for file_name in file_names:
            path = os.path.join(folder, file_name)
            if os.path.exists(path):
                yield path
    # Bare names: the system's library path.
    yield from file_names


def _open_library():
    chosen = os.environ.get("LRXPACK_LIBRARY")
    if chosen:
        # A library named on purpose is the only one tried: falling back to
        # another would hide the mistake.
        try:
            return ctypes.CDLL(chosen), chosen
        except OSError as error:
            raise ImportError(f"lrxpack: cannot load LRXPACK_LIBRARY={chosen}: {error}") from None
    reasons = []
    for candidate in _candidates():
        try:
            return ctypes.CDLL(candidate), candidate
        except OSError as error:
            reasons.append(str(error))
    raise ImportError(
        "lrxpack: cannot find the engine library: set LRXPACK_LIBRARY to liblrxpack.so, put it "
        "beside the package or on the system's library path (" + "; ".join(reasons) + ")"
    )


def _bind(library, where):
    try:
        number = library.lrx_version_number
    except AttributeError:
        raise ImportError(f"lrxpack: {where} is older than 1.1: no lrx_version_number") from None
    number.restype = ctypes.c_int
    number.argtypes = []
    found = number()
    if (found // 10000, found // 100 % 100) < REQUIRED_VERSION:
        raise ImportError(
            f"lrxpack: {where} is version {found // 10000}.{found // 100 % 100}.{found % 100}, "
            f"the module needs {REQUIRED_VERSION[0]}.{REQUIRED_VERSION[1]} or later"
        )
    for name, (restype, argtypes) in _PROTOTYPES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise ImportError(f"lrxpack: {where} has no {name}") from None
        function.restype = restype
        function.argtypes = argtypes
    return library


library = _bind(*_open_library())
