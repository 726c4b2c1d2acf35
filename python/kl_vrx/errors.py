"""The exceptions: one class per kind of failure, all under kl_vrx.Error.

    Error
      NotOpen             2    no unit is open
      OpenFailed          3    counting or opening a unit failed
      CommandFailed       5    a command to the unit failed
        Timeout           5    ... because the unit did not answer, or did not
                                reach the state in time (reasons KL_VRX_TIMEOUT,
                                KL_VRX_TRANSITION_TIMEOUT)
      IndexOutOfRange    10    no unit at that index
      PositionOutOfRange 11    the unit reported a position outside the mapping
      InvalidParameter  512    argument refused (also a ValueError)
      InvalidPointer    513    a null or closed unit
"""

from __future__ import annotations

from typing import Dict, Type

from . import _library

OK = 0
NOT_OPEN = 2
OPEN_FAILED = 3
COMMAND_FAILED = 5
INDEX_OUT_OF_RANGE = 10
POSITION_OUT_OF_RANGE = 11
INVALID_PARAMETER = 512
INVALID_POINTER = 513

REASON_TIMEOUT = 4
REASON_TRANSITION_TIMEOUT = 8


class Error(Exception):
    """A failure the library reported (or refused before reaching it).

    Attributes: ``status`` (the library's status number), ``name`` (its
    constant, e.g. "KL_VRX_COMMAND_FAILED"), ``text`` (the library's text for
    this failure), ``reason`` and ``reason_name`` (the protocol reason behind
    an OpenFailed or CommandFailed of a unit, e.g. 8 and
    "KL_VRX_TRANSITION_TIMEOUT"; 0 and "KL_VRX_NONE" otherwise).
    """

    def __init__(self, status: int, name: str, text: str, reason: int = 0,
                 reason_name: str = "KL_VRX_NONE") -> None:
        super().__init__(status, name, text)
        self.status = status
        self.name = name
        self.text = text
        self.reason = reason
        self.reason_name = reason_name

    def __str__(self) -> str:
        because = f", {self.reason_name}" if self.reason else ""
        return f"{self.name} ({self.status}{because}): {self.text}"


class NotOpen(Error):
    """No unit is open (status 2): after close_unit(), or before open_unit()."""


class OpenFailed(Error):
    """Counting or opening a unit failed (status 3)."""


class CommandFailed(Error):
    """A command to the unit failed (status 5): not echoed, rejected, or the
    transfer failed; ``reason`` tells which."""


class Timeout(CommandFailed):
    """A command timed out (status 5 with reason KL_VRX_TIMEOUT or
    KL_VRX_TRANSITION_TIMEOUT)."""


class IndexOutOfRange(Error):
    """No unit at that index (status 10)."""


class PositionOutOfRange(Error):
    """The unit reported a position outside the operation's mapping (status 11)."""


class InvalidParameter(Error, ValueError):
    """An argument was refused (status 512), by the library or, for a value
    that does not fit the C type, by the package before the call."""


class InvalidPointer(Error):
    """The library was given a null unit (status 513): the Unit was closed."""


_CLASSES: Dict[int, Type[Error]] = {
    NOT_OPEN: NotOpen,
    OPEN_FAILED: OpenFailed,
    COMMAND_FAILED: CommandFailed,
    INDEX_OUT_OF_RANGE: IndexOutOfRange,
    POSITION_OUT_OF_RANGE: PositionOutOfRange,
    INVALID_PARAMETER: InvalidParameter,
    INVALID_POINTER: InvalidPointer,
}


def make_error(status: int, text: str, reason: int = 0) -> Error:
    """The exception for a status, with the library's names for it."""
    library = _library.library()
    cls = _CLASSES.get(status, Error)
    if cls is CommandFailed and reason in (REASON_TIMEOUT, REASON_TRANSITION_TIMEOUT):
        cls = Timeout
    return cls(status, _library.text(library.kl_vrx_status_name(status)), text, reason,
               _library.text(library.kl_vrx_reason_name(reason)))


def global_error(status: int) -> Error:
    """The exception for a failed kl_vrx_count, kl_vrx_open or kl_vrx_emulate,
    with this thread's text."""
    return make_error(status, _library.text(_library.library().kl_vrx_last_error()))
