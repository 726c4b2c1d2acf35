# The kl_vrx package against emulated units (virtual clock), as installed
# from the wheel. The bus "1,1,2": host index 0 the simulated unit, 1 and 2
# family-1 units, 3 a family-2 unit.
import gc
import os
import subprocess
import sys
import threading
from concurrent.futures import ThreadPoolExecutor

import pytest

import kl_vrx
from kl_vrx.errors import make_error

FAMILY1, FAMILY2 = 1, 3


@pytest.fixture
def bus(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)  # where the traffic log goes
    with kl_vrx.emulated("1,1,2"):
        yield


@pytest.mark.parametrize("host_index, element, values", [
    (FAMILY1, "position21", (2, 0)),
    (FAMILY1, "position20", (0, 1)),
    (FAMILY1, "position22", (1, 0)),
    (FAMILY1, "position23", (1, 0)),
    (FAMILY1, "position24", (1, 0)),
    (FAMILY1, "position19", (0, 1)),
    (FAMILY1, "host_value", (7, 4294967295)),
    (FAMILY1, "logging", (True, False)),
    (FAMILY1, "log_dump_flag", (255, 0)),
])
def test_an_element_reads_back_what_was_set(bus, host_index, element, values):
    with kl_vrx.Unit(host_index) as unit:
        for value in values:
            setattr(unit, element, value)
            assert getattr(unit, element) == value
            assert type(getattr(unit, element)) is type(value)


@pytest.mark.parametrize("host_index, element, expected", [
    (FAMILY1, "model_family", 1),
    (FAMILY2, "position_count", 4),
    (FAMILY2, "position19_family2", 0),
    (FAMILY1, "fixed_value", 30),
    (FAMILY1, "device_number", 12345678),
    (FAMILY1, "device_info", (1, 2, 3)),
    (FAMILY1, "device_count", 3),
])
def test_a_reading(bus, host_index, element, expected):
    with kl_vrx.Unit(host_index) as unit:
        assert getattr(unit, element) == expected


def on_unit(host_index, action):
    def act():
        with kl_vrx.Unit(host_index) as unit:
            action(unit)
    return act


def set_on(host_index, element, value):
    return on_unit(host_index, lambda unit: setattr(unit, element, value))


def read_after(end, element):
    return on_unit(FAMILY1, lambda unit: (end(unit), getattr(unit, element)))


@pytest.mark.parametrize("act, error, status, text", [
    (set_on(FAMILY1, "position21", 3), kl_vrx.InvalidParameter, 512, "Invalid parameter."),
    (set_on(FAMILY1, "state18", 2), kl_vrx.InvalidParameter, 512, "Invalid parameter."),
    (set_on(FAMILY1, "host_value", -1), kl_vrx.InvalidParameter, 512, "-1"),
    (set_on(FAMILY1, "log_dump_flag", 256), kl_vrx.InvalidParameter, 512, "256"),
    (lambda: kl_vrx.Unit(4), kl_vrx.IndexOutOfRange, 10, "Index out of range."),
    (lambda: kl_vrx.Unit(2**32 + 1), kl_vrx.IndexOutOfRange, 10, "4294967297"),
    (on_unit(FAMILY1, lambda unit: unit.open_unit(3)), kl_vrx.IndexOutOfRange, 10,
     "Index out of range."),
    (set_on(FAMILY1, "state224", 2), kl_vrx.InvalidParameter, 512, "Invalid parameter."),
    (set_on(FAMILY1, "model_family", 2), AttributeError, None, "read-only"),
    (read_after(lambda unit: None, "state18"), AttributeError, None, "set-only"),
    (read_after(lambda unit: None, "position19_family2"), kl_vrx.PositionOutOfRange, 11,
     "Position out of range."),
    (read_after(lambda unit: unit.close_unit(), "position21"), kl_vrx.NotOpen, 2, ""),
    (read_after(lambda unit: unit.close(), "device_info"), kl_vrx.InvalidPointer, 513, ""),
    (lambda: kl_vrx.emulated("1,3").__enter__(), kl_vrx.InvalidParameter, 512, '"3"'),
])
def test_each_failure_raises_its_exception(bus, act, error, status, text):
    with pytest.raises(error) as caught:
        act()
    assert text in str(caught.value)
    if status is not None:
        assert isinstance(caught.value, kl_vrx.Error)
        assert (caught.value.status, caught.value.name.startswith("KL_VRX_")) == (status, True)
        assert text in caught.value.text


@pytest.mark.parametrize("status, reason, error, name", [
    (5, 8, kl_vrx.Timeout, "KL_VRX_TRANSITION_TIMEOUT"),
    (5, 4, kl_vrx.Timeout, "KL_VRX_TIMEOUT"),
    (5, 7, kl_vrx.CommandFailed, "KL_VRX_NOT_ECHOED"),
    (3, 4, kl_vrx.OpenFailed, "KL_VRX_TIMEOUT"),
    (77, 0, kl_vrx.Error, "KL_VRX_NONE"),
])
def test_the_reason_behind_a_failed_command_picks_the_exception(status, reason, error, name):
    raised = make_error(status, "text", reason)
    assert type(raised) is error and raised.reason_name == name


@pytest.mark.parametrize("element, moves", [("position21", (2, 0)), ("position20", (0, 1))])
def test_callbacks(bus, element, moves):
    calls = []
    with kl_vrx.Unit(FAMILY1) as unit:
        setattr(unit, f"on_{element}_changed", lambda: calls.append(element))
        gc.collect()  # only the unit holds the lambda now
        setattr(unit, element, moves[0])
        assert calls == [element]

        def fail():
            raise KeyError("from the callback")
        setattr(unit, f"on_{element}_changed", fail)
        with pytest.raises(KeyError, match="from the callback"):
            setattr(unit, element, moves[1])
        assert getattr(unit, element) == moves[1]  # the set itself succeeded
        setattr(unit, f"on_{element}_changed", None)
        setattr(unit, element, moves[0])  # nothing left to raise
        assert getattr(unit, f"on_{element}_changed") is None


def test_the_emulator_switch():
    with kl_vrx.emulated("1,1,2"):
        assert kl_vrx.count() == 4
        with kl_vrx.emulated("none"):
            assert kl_vrx.count() == 1
        assert kl_vrx.count() == 4
    with pytest.raises(kl_vrx.InvalidParameter, match="still open"):
        with kl_vrx.emulated("2"):
            unit = kl_vrx.Unit(1)
    unit.close()
    with kl_vrx.emulated("1"):  # the refused switch left the bus "2" in place
        pass
    assert kl_vrx.count() == 1  # the operating system: this machine has no units


def test_two_units_on_two_threads(bus):
    # Both read at once only after both moves: the virtual clock is one for
    # both threads (1 ms a report), and a thread's reads would otherwise use
    # up the 700 ms in which the other's move must arrive.
    moved = threading.Barrier(2, timeout=60)  # a failed thread never arrives

    def drive(host_index, value):
        with kl_vrx.Unit(host_index) as unit:
            unit.position21 = value
            moved.wait()
            return all(unit.position21 == value for _ in range(3000))

    with ThreadPoolExecutor(2) as pool:
        assert list(pool.map(drive, (1, 2), (2, 0))) == [True, True]


@pytest.mark.parametrize("named, loaded", [(None, True), ("/nonexistent/libKL_VRX_c.so", False)])
def test_the_library_loaded(named, loaded):
    env = dict(os.environ, KL_VRX_C_LIBRARY=named or kl_vrx.library_path())
    run = subprocess.run([sys.executable, "-c", "import kl_vrx; print(kl_vrx.library_path())"],
                         env=env, capture_output=True, text=True)
    assert (run.returncode == 0) == loaded
    assert env["KL_VRX_C_LIBRARY"] in (run.stdout if loaded else run.stderr)
