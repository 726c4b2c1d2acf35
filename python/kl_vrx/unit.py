"""kl_vrx.Unit: one controller of the C library, its elements as properties."""

from __future__ import annotations

import operator
from ctypes import byref, c_int32, c_uint8, c_uint32, c_void_p
from types import TracebackType
from typing import (Any, Callable, Dict, Generic, List, NoReturn, Optional, Tuple, Type,
                    TypeVar, overload)

from . import _library
from .errors import (COMMAND_FAILED, INDEX_OUT_OF_RANGE, INVALID_PARAMETER, NOT_OPEN,
                     OPEN_FAILED, Error,
                     global_error, make_error)

T = TypeVar("T")

#: What a callback is: a callable taking no arguments.
Callback = Callable[[], Any]


def _argument(value: object, bits: int, signed: bool = False,
              status: int = INVALID_PARAMETER) -> int:
    """value as an integer of the C type, refused (never wrapped) when it
    does not fit: ctypes would silently keep only the low bits."""
    number = operator.index(value)  # type: ignore[arg-type]
    low, high = (-(1 << (bits - 1)), (1 << (bits - 1)) - 1) if signed else (0, (1 << bits) - 1)
    if not low <= number <= high:
        raise make_error(status, f"{number} is outside {low}..{high}.")
    return number


class _Element(Generic[T]):
    """An element read through kl_vrx_get_<name>."""

    def __init__(self, doc: str, ctype: Any = c_uint32,
                 convert: Optional[Callable[[Any], T]] = None) -> None:
        self.__doc__ = doc
        self._ctype = ctype
        self._convert = convert
        self._name = ""
        self._getter: Any = None

    def __set_name__(self, owner: type, name: str) -> None:
        self._name = name

    @overload
    def __get__(self, unit: None, owner: Optional[type] = None) -> "_Element[T]": ...

    @overload
    def __get__(self, unit: "Unit", owner: Optional[type] = None) -> T: ...

    def __get__(self, unit: Optional["Unit"], owner: Optional[type] = None) -> Any:
        if unit is None:
            return self
        getter = self._getter
        if getter is None:
            getter = self._getter = getattr(_library.library(), "kl_vrx_get_" + self._name)
        value = self._ctype()
        status = getter(unit._handle, byref(value))
        if status:
            raise unit._error(status)
        return value.value if self._convert is None else self._convert(value.value)


class _Readable(_Element[T]):
    """A read-only element."""

    def __set__(self, unit: "Unit", value: NoReturn) -> None:
        raise AttributeError(f"{self._name} is read-only")


class _Settable(_Element[T]):
    """A readable and settable element: assignment calls kl_vrx_set_<name>,
    which returns once the unit has reached the value."""

    def __init__(self, doc: str, ctype: Any = c_uint32,
                 convert: Optional[Callable[[Any], T]] = None, bits: int = 32) -> None:
        super().__init__(doc, ctype, convert)
        self._bits = bits
        self._setter: Any = None

    def __set__(self, unit: "Unit", value: T) -> None:
        _set(self, unit, value)


class _SetOnly:
    """A setting the unit cannot report: assignment only."""

    def __init__(self, doc: str) -> None:
        self.__doc__ = doc
        self._name = ""
        self._bits = 32
        self._setter: Any = None

    def __set_name__(self, owner: type, name: str) -> None:
        self._name = name

    def __get__(self, unit: Optional["Unit"], owner: Optional[type] = None) -> Any:
        if unit is None:
            return self
        raise AttributeError(f"{self._name} is set-only: the unit does not report it")

    def __set__(self, unit: "Unit", value: int) -> None:
        _set(self, unit, value)


def _set(element: Any, unit: "Unit", value: object) -> None:
    setter = element._setter
    if setter is None:
        setter = element._setter = getattr(_library.library(), "kl_vrx_set_" + element._name)
    argument = int(bool(value)) if element._bits == 1 else _argument(value, element._bits)
    status = setter(unit._handle, argument)
    if status:
        raise unit._error(status)
    unit._raise_callback_error()


class _Callback:
    """A callable called after each successful set of an element (on the
    setting thread, before the assignment returns); None removes it."""

    def __init__(self, element: str) -> None:
        self._element = element
        self.__doc__ = (f"Called with no arguments after each successful set of {element}; "
                        "None removes it. An exception it raises propagates from the "
                        "assignment that ran it (the set itself has succeeded).")

    def __get__(self, unit: Optional["Unit"], owner: Optional[type] = None) -> Any:
        if unit is None:
            return self
        registered = unit._callbacks.get(self._element)
        return registered[0] if registered else None

    def __set__(self, unit: "Unit", function: Optional[Callback]) -> None:
        if function is not None and not callable(function):
            raise TypeError(f"a callback must be callable or None, not {type(function).__name__}")
        thunk = (_library.CALLBACK() if function is None else  # a null pointer clears
                 _thunk(function, unit._callback_errors))
        register = getattr(_library.library(), f"kl_vrx_set_{self._element}_callback")
        status = register(unit._handle, thunk, None)
        if status:
            raise unit._error(status)
        # The C function pointer lives as long as the library may call it.
        if function is None:
            unit._callbacks.pop(self._element, None)
        else:
            unit._callbacks[self._element] = (function, thunk)


def _thunk(function: Callback, errors: List[BaseException]) -> Any:
    def call(_user_data: Optional[int]) -> None:
        try:
            function()
        except BaseException as exception:  # kept for the set that ran it
            errors.append(exception)

    return _library.CALLBACK(call)


class Unit:
    """A controller of one unit, opened by host index (kl_vrx_open): 0 is the
    simulated unit, 1..N1 family-1 units, then family-2 units.

    Use it as a context manager, which closes it (parking a real unit):

        with kl_vrx.Unit(1) as unit:
            unit.position21 = 2

    Reading an element asks the unit; assigning moves it and returns once the
    unit reports the new position. Each call blocks its thread (not the
    others: the GIL is released during every library call). Drive one Unit
    from one thread at a time; different Units may run on different threads.
    Every failure raises a kl_vrx.Error subclass.
    """

    __slots__ = ("_handle", "_callbacks", "_callback_errors", "__weakref__")

    def __init__(self, host_index: int) -> None:
        """Opens the unit at host_index with the full start-up (kl_vrx_open).
        Raises IndexOutOfRange when there is no such unit, OpenFailed or
        CommandFailed when counting or opening fails."""
        self._handle: Optional[int] = None
        self._callbacks: Dict[str, Tuple[Callback, Any]] = {}
        self._callback_errors: List[BaseException] = []
        library = _library.library()
        index = _argument(host_index, 32, signed=True, status=INDEX_OUT_OF_RANGE)
        handle = c_void_p()
        status = library.kl_vrx_open(index, byref(handle))
        if status:
            raise global_error(status)
        self._handle = handle.value

    # ---- lifetime ----------------------------------------------------------------------------

    def close(self) -> None:
        """Closes the controller (kl_vrx_close: parks a real unit first).
        Later calls raise InvalidPointer; closing again does nothing."""
        handle, self._handle = self._handle, None
        if handle is not None:
            _library.library().kl_vrx_close(handle)
        self._callbacks.clear()

    @property
    def closed(self) -> bool:
        """Whether close() has run."""
        return self._handle is None

    def __enter__(self) -> "Unit":
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:  # interpreter shutdown: the library may be gone
            pass

    def __repr__(self) -> str:
        return "<kl_vrx.Unit closed>" if self._handle is None else f"<kl_vrx.Unit {self._handle:#x}>"

    # ---- system operations -------------------------------------------------------------------

    def open_unit(self, index: int, start_action: int = 0) -> None:
        """Parks and closes the open unit, then opens unit ``index`` of the
        controller's family (0: the simulated unit). start_action 0 runs the
        full start-up, 1 parks a started unit, any other value sends no
        start-up command."""
        status = _library.library().kl_vrx_open_unit(
            self._handle, _argument(index, 32, signed=True, status=INDEX_OUT_OF_RANGE),
            _argument(start_action, 8))
        if status:
            raise self._error(status)

    def close_unit(self, park: bool = True) -> None:
        """Closes the open unit (parking a real unit first when park is true);
        the controller stays usable: open_unit() opens one again."""
        status = _library.library().kl_vrx_close_unit(self._handle, int(bool(park)))
        if status:
            raise self._error(status)

    @property
    def last_error(self) -> str:
        """The text of this unit's latest failure (empty until one fails)."""
        return _library.text(_library.library().kl_vrx_unit_error(self._handle))

    # ---- elements ----------------------------------------------------------------------------

    position_count = _Readable[int]("Settable positions of the register-21 element: 3 or 4.")
    position21 = _Settable[int]("Register-21 element: 0..3 (family 1) or 0..4 (family 2); "
                                "settable up to one below.")
    position20 = _Settable[int]("Register-20 element: 0..2 (family 1) or 0..4 (family 2); "
                                "2 is read only.")
    position22 = _Settable[int]("Register-22 element: 0 or 1.")
    position23 = _Settable[int]("Register-23 element: 0 or 1 (settable in family 1 only).")
    position24 = _Settable[int]("Register-24 element: 0 or 1 (settable in family 1 only).")
    position19 = _Settable[int]("Register-19 element in family 1's mapping: 0 or 1 "
                                "(settable in family 1 only).")
    position19_family2 = _Readable[int]("Register-19 element in family 2's mapping: 0 or 1.")
    state224 = _SetOnly("State 0 or 1 sent with command 224 (not awaited). Set-only.")
    state18 = _SetOnly("State 0 (started) or 1 (parked) of register 18, awaited. Set-only.")
    model_family = _Readable[int]("The controller's model family: 1 or 2.")
    host_value = _Settable[int]("A number kept for the host (1 for a new unit).")
    fixed_value = _Readable[int]("Always 30.")
    device_number = _Readable[int]("The unit's eight-digit device number (0: simulated).")
    device_count = _Readable[int]("Units of the controller's family plus the simulated unit.",
                                  c_int32)
    logging = _Settable[bool]("Whether the traffic log (VRXHIDLog.log) is on.", c_int32, bool,
                              bits=1)
    log_dump_flag = _Settable[int]("Nonzero: log records are held until a failure, open or "
                                   "close.", c_uint8, bits=8)

    @property
    def device_info(self) -> Tuple[int, int, int]:
        """The three bytes of the unit's device information (0, 0, 0: simulated)."""
        values = (c_uint32(), c_uint32(), c_uint32())
        status = _library.library().kl_vrx_get_device_info(self._handle, *map(byref, values))
        if status:
            raise self._error(status)
        return (values[0].value, values[1].value, values[2].value)

    on_position20_changed = _Callback("position20")
    on_position21_changed = _Callback("position21")

    # ---- failures ----------------------------------------------------------------------------

    def _error(self, status: int) -> Error:
        library = _library.library()
        reason = library.kl_vrx_unit_reason(self._handle) if status in (OPEN_FAILED,
                                                                        COMMAND_FAILED) else 0
        # A refusal for want of an open unit leaves the unit's text as it was.
        text = ("No unit is open." if status == NOT_OPEN else
                _library.text(library.kl_vrx_unit_error(self._handle)))
        return make_error(status, text, reason)

    def _raise_callback_error(self) -> None:
        if self._callback_errors:
            exception = self._callback_errors.pop()
            self._callback_errors.clear()
            raise exception

