# The Python suite against the package as a user installs it: builds the
# wheel from the built C library, installs it into a fresh virtual
# environment and runs pytest there, outside the source tree.
#
#   cmake -DPYTHON=... -DSOURCE=<python/> -DLIBRARY=... -DOUT=<work directory>
#         -DTESTS=<tests/python/> -P installed_package_test.cmake
include(${SOURCE}/build_wheel.cmake)

function(run what)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed (${result})")
    endif()
endfunction()

# The system's site packages give pytest (Debian's python3-pytest); pip is
# the system's too, installing into the environment it runs in.
set(venv ${OUT}/venv)
file(REMOVE_RECURSE ${venv})
run("creating the virtual environment"
    ${PYTHON} -m venv --system-site-packages --without-pip ${venv})
run("installing the wheel"
    ${venv}/bin/python -m pip install --no-index --no-deps --no-cache-dir
        --disable-pip-version-check --root-user-action=ignore --quiet ${WHEEL})
# The suite must see the installed package and its bundled library, not the
# sources or a library named in the environment.
string(CONCAT checks "import kl_vrx, sys\n"
    "assert kl_vrx.__file__.startswith(sys.prefix), kl_vrx.__file__\n"
    "assert kl_vrx.library_path().startswith(sys.prefix), kl_vrx.library_path()\n")
run("loading the installed package"
    ${CMAKE_COMMAND} -E env --unset=KL_VRX_C_LIBRARY ${venv}/bin/python -c "${checks}")
# pytest: 0 all passed; anything else (failures, 5 for no tests collected)
# fails the test.
run("pytest"
    ${CMAKE_COMMAND} -E env --unset=KL_VRX_C_LIBRARY PYTHONDONTWRITEBYTECODE=1
        ${venv}/bin/python -m pytest -p no:cacheprovider -q -rs ${TESTS})
