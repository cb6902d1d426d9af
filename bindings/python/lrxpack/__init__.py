"""lrxpack: replay archives (*.lrx) from Python, on the engine's C API.

    import lrxpack
    lrxpack.add("season.lrx", ["race1.rpl", "race2.rpl"])
    for entry in lrxpack.list("season.lrx"):
        print(entry.name, entry.raw_size, entry.packed_size, entry.date)
    lrxpack.extract("season.lrx", "out", overwrite="always")

Functions: list, add, delete, extract, read and test. Paths and names are
str, bytes or os.PathLike. A failure raises lrxpack.Error, whose str() is the
message lrx prints and whose code, errno, path and entry say what failed.
Progress functions get (entry name, percent); one that raises cancels the
call, leaving the archive as it was, and its exception reaches the caller
(so does Ctrl+C during a call).

Calls on different archives may run on different threads at once; two calls
on the same archive at once are not safe.

The engine library (liblrxpack.so, lrxpack.dll on Windows, 1.1 or later) is
the file LRXPACK_LIBRARY names, else one beside the package, else one on the
system's library path.
"""

from ._errors import Error
from ._native import library as _library
from ._operations import Entry, TestResult, add, delete, extract, list, read, test

__version__ = _library.lrx_version().decode("ascii")

__all__ = ["Entry", "Error", "TestResult", "add", "delete", "extract", "list", "read", "test"]
