"""The callbacks of one engine call: the caller's progress and overwrite
functions behind C function pointers.

An exception escaping a ctypes callback would only be printed, so the bridge
catches it, cancels the call, and raises it again once the call has returned.
"""

import sys

from . import _names, _native


class CallBridge:
    def __init__(self, progress=None, overwrite=None):
        self._progress = progress
        self._overwrite = overwrite
        self._exception = None
        # Always there, even without a progress function: Python code running
        # on each report lets Ctrl+C (KeyboardInterrupt) cancel the call.
        self._progress_function = _native.ProgressFunction(self._on_progress)
        self._overwrite_function = _native.OverwriteFunction(self._on_overwrite)
        self.struct = _native.Callbacks(None, self._progress_function, self._overwrite_function)

    def _on_progress(self, _user, entry, percent):
        if self._exception is not None:
            return 1
        try:
            if self._progress is not None:
                self._progress(_names.decode(entry) if entry else None, percent)
        except BaseException as exception:  # noqa: B036 - Ctrl+C cancels too
            self._exception = exception
            return 1
        return 0

    def _on_overwrite(self, _user, path):
        if self._exception is not None or self._overwrite is None:
            return _native.ANSWER_CANCEL
        try:
            answer = self._overwrite(_names.decode(path))
        except BaseException as exception:  # noqa: B036
            self._exception = exception
            return _native.ANSWER_CANCEL
        return _native.ANSWER_YES if answer else _native.ANSWER_NO

    def reraise(self):
        """Raises what a callback raised during the call, if anything."""
        exception, self._exception = self._exception, None
        if exception is not None:
            raise exception


def _keep_escaped(unraisable, previous=sys.unraisablehook):
    # Ctrl+C can strike as a callback is entered, before its try: ctypes then
    # reports the KeyboardInterrupt here instead of raising it. The bridge
    # keeps it, and cancels the call at the next report.
    bridge = getattr(unraisable.object, "__self__", None)
    if isinstance(bridge, CallBridge) and bridge._exception is None:
        bridge._exception = unraisable.exc_value
    else:
        previous(unraisable)


sys.unraisablehook = _keep_escaped
