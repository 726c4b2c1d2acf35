#!/usr/bin/env python3
"""Hand-run measurements of the kl_vrx Python package (not a test).

    KL_VRX_C_LIBRARY=build/linux/libKL_VRX_c.so.1 PYTHONPATH=python \
        /usr/bin/python3 bench/python_bench.py

1. A property read on an emulated unit with the virtual clock, in
   microseconds: one that asks the unit (position21: a report out, a reply
   in) and one answered by the controller alone (fixed_value).
2. Two units on two Python threads, with the real clock (1 ms per report):
   the same work on one thread, then on each of two threads at once. With
   the GIL released during every library call the pair takes about the time
   of one; held, it would take twice as long (--hold-gil loads the library
   with ctypes.PyDLL, which holds it, for comparison).

    bench/python_bench.py [MOVES] [--hold-gil]
"""

import ctypes
import statistics
import sys
import threading
import time
import timeit

import kl_vrx


def per_call_microseconds(statement, number):
    runs = timeit.repeat(statement, number=number, repeat=7)
    return min(runs) / number * 1e6, statistics.median(runs) / number * 1e6


def property_reads():
    with kl_vrx.emulated("1"), kl_vrx.Unit(1) as unit:
        for name in ("position21", "fixed_value"):
            best, median = per_call_microseconds(lambda: getattr(unit, name), 20000)
            print(f"read unit.{name:<12} virtual clock: {best:6.2f} us best, {median:6.2f} us median")
        # The same read as a bare ctypes call: what the package adds.
        function, value = kl_vrx._library.library().kl_vrx_get_fixed_value, ctypes.c_uint32()
        handle, reference = unit._handle, ctypes.byref(value)
        best, median = per_call_microseconds(lambda: function(handle, reference), 20000)
        print(f"bare ctypes kl_vrx_get_fixed_value: {best:6.2f} us best, {median:6.2f} us median")


def drive(host_index, moves, elapsed):
    with kl_vrx.Unit(host_index) as unit:
        start = time.perf_counter()
        for move in range(moves):
            unit.position22 = move % 2
            unit.position22
        elapsed.append(time.perf_counter() - start)


def two_threads(moves):
    with kl_vrx.emulated("1,1", real_clock=True):
        alone = []
        drive(1, moves, alone)
        together = []
        threads = [threading.Thread(target=drive, args=(index, moves, together)) for index in (1, 2)]
        start = time.perf_counter()
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        wall = time.perf_counter() - start
    print(f"{moves} sets + reads, real clock: one thread {alone[0] * 1e3:.0f} ms; "
          f"two threads at once {wall * 1e3:.0f} ms wall "
          f"(each {together[0] * 1e3:.0f} and {together[1] * 1e3:.0f} ms): "
          f"ratio {wall / alone[0]:.2f} (1.0 = fully parallel, 2.0 = serialised)")


if __name__ == "__main__":
    if "--hold-gil" in sys.argv:
        sys.argv.remove("--hold-gil")
        ctypes.CDLL = ctypes.PyDLL  # the package loads through ctypes.CDLL on first use
        print("library loaded with ctypes.PyDLL: the GIL is held during each call")
    print(f"kl_vrx {kl_vrx.__version__}, library {kl_vrx.library_version()} from "
          f"{kl_vrx.library_path()}, Python {sys.version.split()[0]}")
    property_reads()
    two_threads(int(sys.argv[1]) if len(sys.argv) > 1 else 100)
