"""Finding, loading and declaring the C library (libKL_VRX_c.so / KL_VRX_c.dll).

The library is loaded once, on first use, so that ``import kl_vrx`` works
even where it is missing (type checkers, documentation) and a host can set
KL_VRX_C_LIBRARY after the import. Every function is declared with its exact
C signature here; ctypes.CDLL releases the GIL during each call.
"""

from __future__ import annotations

import ctypes
import os
import sys
import threading
from ctypes import POINTER, c_char_p, c_int32, c_uint8, c_uint32, c_void_p
from pathlib import Path
from typing import List, Optional

#: The environment variable that names the library file to load instead of
#: the one bundled inside the package.
LIBRARY_VARIABLE = "KL_VRX_C_LIBRARY"

#: The library's major version this package is written for: another major
#: version has another ABI and is refused.
MAJOR_VERSION = 1

#: ``void (*)(void* user_data)``: the callback type of the C interface.
CALLBACK = ctypes.CFUNCTYPE(None, c_void_p)

_UNIT = c_void_p
_U32_OUT = POINTER(c_uint32)

# name -> (result type, argument types)
_SIGNATURES = {
    "kl_vrx_version": (c_uint32, []),
    "kl_vrx_status_name": (c_char_p, [c_uint32]),
    "kl_vrx_reason_name": (c_char_p, [c_uint32]),
    "kl_vrx_count": (c_uint32, [_U32_OUT]),
    "kl_vrx_open": (c_uint32, [c_int32, POINTER(c_void_p)]),
    "kl_vrx_close": (None, [_UNIT]),
    "kl_vrx_last_error": (c_char_p, []),
    "kl_vrx_unit_error": (c_char_p, [_UNIT]),
    "kl_vrx_unit_reason": (c_uint32, [_UNIT]),
    "kl_vrx_emulate": (c_uint32, [c_char_p, c_int32]),
    "kl_vrx_set_position20_callback": (c_uint32, [_UNIT, CALLBACK, c_void_p]),
    "kl_vrx_set_position21_callback": (c_uint32, [_UNIT, CALLBACK, c_void_p]),
    "kl_vrx_get_device_info": (c_uint32, [_UNIT, _U32_OUT, _U32_OUT, _U32_OUT]),
    "kl_vrx_get_logging": (c_uint32, [_UNIT, POINTER(c_int32)]),
    "kl_vrx_set_logging": (c_uint32, [_UNIT, c_int32]),
    "kl_vrx_get_log_dump_flag": (c_uint32, [_UNIT, POINTER(c_uint8)]),
    "kl_vrx_set_log_dump_flag": (c_uint32, [_UNIT, c_uint8]),
    "kl_vrx_get_device_count": (c_uint32, [_UNIT, POINTER(c_int32)]),
    "kl_vrx_open_unit": (c_uint32, [_UNIT, c_int32, c_uint8]),
    "kl_vrx_close_unit": (c_uint32, [_UNIT, c_int32]),
}
for _name in ("position_count", "position21", "position20", "position22", "position23",
              "position24", "position19", "position19_family2", "model_family",
              "host_value", "fixed_value", "device_number"):
    _SIGNATURES["kl_vrx_get_" + _name] = (c_uint32, [_UNIT, _U32_OUT])
for _name in ("position21", "position20", "position22", "position23", "position24",
              "position19", "state224", "state18", "host_value"):
    _SIGNATURES["kl_vrx_set_" + _name] = (c_uint32, [_UNIT, c_uint32])


class LibraryNotFound(OSError):
    """The C library could not be loaded; the message lists every path tried."""

    def __init__(self, attempts: List[str]) -> None:
        super().__init__("the KL_VRX C library could not be loaded; tried:\n  "
                         + "\n  ".join(attempts)
                         + f"\n({LIBRARY_VARIABLE}=/path/to/libKL_VRX_c.so.1 names another file)")
        #: One line per path tried, with the reason it failed.
        self.attempts = attempts


def _file_names() -> List[str]:
    if sys.platform == "win32":
        return ["KL_VRX_c.dll"]
    if sys.platform == "darwin":
        return ["libKL_VRX_c.dylib"]
    return ["libKL_VRX_c.so", "libKL_VRX_c.so.1"]


def candidates() -> List[str]:
    """The paths that loading tries, in order: the file KL_VRX_C_LIBRARY
    names when it is set (and nothing else; a bare file name such as
    libKL_VRX_c.so.1 is searched for by the system loader), otherwise the
    library bundled inside the package."""
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return [named]
    here = Path(__file__).resolve().parent
    return [str(here / name) for name in _file_names()]


def _declare(library: ctypes.CDLL) -> None:
    for name, (result, arguments) in _SIGNATURES.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments


def _load() -> ctypes.CDLL:
    attempts = []
    for path in candidates():
        # A bare file name is left to the system loader's search.
        if os.path.dirname(path) and not os.path.exists(path):
            attempts.append(f"{path}: no such file")
            continue
        try:
            library = ctypes.CDLL(path)
            _declare(library)
        except (OSError, AttributeError) as error:
            attempts.append(f"{path}: {error}")
            continue
        major = library.kl_vrx_version() // 10000
        if major != MAJOR_VERSION:
            attempts.append(f"{path}: major version {major}, this package needs {MAJOR_VERSION}")
            continue
        return library
    raise LibraryNotFound(attempts)


_lock = threading.Lock()
_library: Optional[ctypes.CDLL] = None


def library() -> ctypes.CDLL:
    """The loaded C library with every function declared (loaded on the
    first call). Raises LibraryNotFound."""
    global _library
    if _library is None:
        with _lock:
            if _library is None:
                _library = _load()
    return _library


def text(raw: Optional[bytes]) -> str:
    """A text the library returned, as str (empty for a null pointer)."""
    return raw.decode("utf-8", "replace") if raw else ""
