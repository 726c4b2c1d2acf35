# Builds the kl_vrx wheel with the C library inside, offline (no package
# index: setuptools, wheel and pip come from the system, Debian's
# python3-setuptools, python3-wheel and python3-pip):
#
#   cmake -DPYTHON=/usr/bin/python3 -DSOURCE=<python/> -DLIBRARY=<libKL_VRX_c.so.1.0.0>
#         -DOUT=<directory> -P build_wheel.cmake
#
# The package and the library are staged in OUT/stage, so the source tree
# stays clean; the wheel goes to OUT/dist and its path into WHEEL (for a
# script that includes this one).
foreach(variable PYTHON SOURCE LIBRARY OUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "build_wheel.cmake: -D${variable}=... is missing")
    endif()
endforeach()

file(REMOVE_RECURSE ${OUT}/stage ${OUT}/dist)
file(COPY ${SOURCE}/ DESTINATION ${OUT}/stage
    PATTERN __pycache__ EXCLUDE
    PATTERN build EXCLUDE
    PATTERN *.egg-info EXCLUDE
    PATTERN CMakeLists.txt EXCLUDE
    PATTERN *.cmake EXCLUDE)
# One file under the name the package loads (a wheel holds no symbolic links).
configure_file(${LIBRARY} ${OUT}/stage/kl_vrx/libKL_VRX_c.so COPYONLY)

execute_process(
    COMMAND ${PYTHON} -m pip wheel --no-build-isolation --no-index --no-deps --no-cache-dir
        --disable-pip-version-check --quiet --wheel-dir ${OUT}/dist ${OUT}/stage
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building the wheel with ${PYTHON} failed (${result}); it needs "
        "setuptools, wheel and pip (Debian: python3-setuptools python3-wheel python3-pip)")
endif()
file(GLOB WHEEL ${OUT}/dist/kl_vrx-*-py3-none-*.whl)
list(LENGTH WHEEL wheels)
# It holds a native library: a wheel tagged for any platform would install
# where that library cannot load.
if(NOT wheels EQUAL 1 OR WHEEL MATCHES "-any\\.whl$")
    message(FATAL_ERROR "expected one kl_vrx platform wheel in ${OUT}/dist, found: ${WHEEL}")
endif()
message(STATUS "Built ${WHEEL}")
