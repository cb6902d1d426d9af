"""lrxpack.Error, built from the engine's failure record."""

import ctypes

from . import _names
from ._native import library


class Error(Exception):
    """A failed engine call.

    str(error) is the message lrx prints for it (without "lrx: "), such as
    "race2.rpl: cannot open replay: No such file or directory".

    code   the engine's result code (21 cannot open replay, 23 stopped, ...)
    errno  the system's error number behind it, or None
    path   the file it is about (archive, replay or destination), or None
    entry  the archive entry in hand, or None
    """

    def __init__(self, message, code, errno=None, path=None, entry=None):
        super().__init__(message)
        self.code = code
        self.errno = errno
        self.path = path
        self.entry = entry

    def __reduce__(self):
        # Keeps the fields through pickling (multiprocessing).
        return type(self), (str(self), self.code, self.errno, self.path, self.entry)


def _message(failure):
    size = 512
    while True:
        text = ctypes.create_string_buffer(size)
        length = library.lrx_failure_message(ctypes.byref(failure), text, size)
        if length < size:
            # Names that are not UTF-8 stay readable and printable.
            return text.value.decode("utf-8", "backslashreplace")
        size = length + 1


def from_failure(code, failure):
    """The Error for a call that returned code and filled failure."""
    if failure.code == 0:
        failure.code = code  # the message needs the code at least
    return Error(
        _message(failure),
        failure.code,
        failure.system_error or None,
        _names.decode(failure.path) if failure.path else None,
        _names.decode(failure.entry) if failure.entry else None,
    )
