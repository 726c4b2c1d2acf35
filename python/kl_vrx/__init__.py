"""kl_vrx: control VRX units from Python, over the KL_VRX C library.

    import kl_vrx
    with kl_vrx.emulated("1,2"):              # or real units: leave this out
        with kl_vrx.Unit(1) as unit:          # host index 1: the first family-1 unit
            unit.position21 = 2               # moves and waits until it is there
            print(unit.position21, unit.device_number)

The C library is the one bundled inside the package, or the file that the
environment variable KL_VRX_C_LIBRARY names; it is loaded on first use.
Every failure raises a kl_vrx.Error subclass. The GIL is released during
every library call, so units on different threads work at the same time.
"""

from __future__ import annotations

import contextlib
from ctypes import byref, c_uint32
from typing import Iterator, List, Tuple

from . import _library
from ._library import LIBRARY_VARIABLE, LibraryNotFound
from .errors import (CommandFailed, Error, IndexOutOfRange, InvalidParameter, InvalidPointer,
                     NotOpen, OpenFailed, PositionOutOfRange, Timeout, global_error, make_error)
from .errors import INVALID_PARAMETER as _INVALID_PARAMETER
from .unit import Callback, Unit

__version__ = "1.0.0"

# Shown as kl_vrx.Unit, kl_vrx.Timeout...: where users reach them.
for _public in (Unit, LibraryNotFound, Error, NotOpen, OpenFailed, CommandFailed, Timeout,
                IndexOutOfRange, PositionOutOfRange, InvalidParameter, InvalidPointer):
    _public.__module__ = __name__

__all__ = [
    "Callback", "CommandFailed", "Error", "IndexOutOfRange", "InvalidParameter",
    "InvalidPointer", "LIBRARY_VARIABLE", "LibraryNotFound", "NotOpen", "OpenFailed",
    "PositionOutOfRange", "Timeout", "Unit", "count", "emulated", "library_path",
    "library_version",
]


def count() -> int:
    """The number of reachable units plus the simulated unit (kl_vrx_count)."""
    value = c_uint32()
    status = _library.library().kl_vrx_count(byref(value))
    if status:
        raise global_error(status)
    return value.value


def library_version() -> Tuple[int, int, int]:
    """The loaded C library's version as (major, minor, patch)."""
    number = _library.library().kl_vrx_version()
    return (number // 10000, number // 100 % 100, number % 100)


def library_path() -> str:
    """The file the C library was loaded from (loading it if need be)."""
    return str(_library.library()._name)


# The specs of the emulated() blocks entered and not yet left, innermost last.
_emulations: List[Tuple[bytes, int]] = []


@contextlib.contextmanager
def emulated(spec: str, real_clock: bool = False) -> Iterator[None]:
    """Runs the block against emulated units instead of the operating system's.

    spec is a comma-separated list of units, FAMILY[:modeN], as for
    ``vrxctl --emulate``: "1,1,2:mode1" is two family-1 units and a family-2
    unit in launch mode 1; "none" is a bus without units. Time is virtual
    (waits cost nothing) unless real_clock is true (then 1 ms per report).
    Leaving the block gives the operating system back, or, in a nested
    block, the outer block's units (anew, in their first state). Close the
    block's Units inside it: the library refuses to switch while a unit is
    open (InvalidParameter). A bad spec raises InvalidParameter, naming the
    bad item.
    """
    if "\0" in spec:
        raise make_error(
            _INVALID_PARAMETER, "The emulated units' description contains a NUL character."
        )
    library = _library.library()
    emulation = (spec.encode("utf-8"), int(bool(real_clock)))
    status = library.kl_vrx_emulate(*emulation)
    if status:
        raise global_error(status)
    _emulations.append(emulation)
    try:
        yield
    finally:
        _emulations.remove(emulation)
        # Refused while a Unit is still open: the emulation then stays, and
        # that must not pass unnoticed.
        status = library.kl_vrx_emulate(*(_emulations[-1] if _emulations else (None, 0)))
        if status:
            raise global_error(status)
