# Builds the Windows zip of a build tree with CPack, unpacks it into
# OUT/zip and checks what a Microsoft-compiler host gets from it: the DLLs
# and vrxctl.exe in bin/, the import libraries in lib/ (KL_VRX.lib the one
# the build made, and KL_VRX::KL_VRX naming it as its IMPORTED_IMPLIB), the
# headers, the README, and no MinGW runtime DLL, shipped or imported.
#   cmake -DCPACK=<cpack> -DBUILD_DIR=<build tree> -DOUT=<dir> -DVERSION=<x.y.z>
#         -DOBJDUMP=<objdump> -DIMPORT_LIBRARY=<built KL_VRX.lib> -DC_LIBRARY=0|1 -P zip.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}/zip")
execute_process(COMMAND "${CPACK}" -G ZIP --config "${BUILD_DIR}/CPackConfig.cmake" -B "${OUT}"
    RESULT_VARIABLE rc OUTPUT_QUIET)
set(archive "${OUT}/KL_VRX-${VERSION}-win64.zip")
if(NOT rc EQUAL 0 OR NOT EXISTS "${archive}")
    message(FATAL_ERROR "cpack -G ZIP failed (${rc})")
endif()
file(SIZE "${archive}" size)
message(STATUS "${archive}: ${size} bytes")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${archive}" WORKING_DIRECTORY "${OUT}/zip")

set(required bin/KL_VRX.dll bin/vrxctl.exe lib/KL_VRX.lib include/KL_VRX/KL_VRX.h README.md)
if(C_LIBRARY)
    list(APPEND required bin/KL_VRX_c.dll lib/KL_VRX_c.lib include/KL_VRX/KL_VRX_c.h)
endif()
foreach(file IN LISTS required)
    if(NOT EXISTS "${OUT}/zip/${file}")
        message(FATAL_ERROR "the zip lacks ${file}")
    endif()
endforeach()
file(SHA256 "${OUT}/zip/lib/KL_VRX.lib" shipped)
file(SHA256 "${IMPORT_LIBRARY}" built)
if(NOT shipped STREQUAL built)
    message(FATAL_ERROR "the zip's KL_VRX.lib is not the import library the build made")
endif()

file(GLOB configurations "${OUT}/zip/lib/cmake/KL_VRX/KL_VRXTargets-*.cmake")
set(implib "")
foreach(configuration IN LISTS configurations)
    file(READ "${configuration}" text)
    if(text MATCHES "IMPORTED_IMPLIB_[A-Z]+ \"([^\"]+)\"")
        set(implib "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(NOT implib STREQUAL "\${_IMPORT_PREFIX}/lib/KL_VRX.lib")
    message(FATAL_ERROR "KL_VRX::KL_VRX's IMPORTED_IMPLIB is '${implib}', not lib/KL_VRX.lib")
endif()

set(runtime_dlls "libstdc\\+\\+-6|libgcc_s_[a-z0-9]+-1|libwinpthread-1")
file(GLOB_RECURSE shipped RELATIVE "${OUT}/zip" "${OUT}/zip/*.dll" "${OUT}/zip/*.exe")
foreach(file IN LISTS shipped)
    if(file MATCHES "(${runtime_dlls})\\.dll$")
        message(FATAL_ERROR "the zip ships the MinGW runtime ${file}")
    endif()
    execute_process(COMMAND "${OBJDUMP}" -p "${OUT}/zip/${file}" OUTPUT_VARIABLE headers)
    if(headers MATCHES "DLL Name: (${runtime_dlls})\\.dll")
        message(FATAL_ERROR "${file} needs the MinGW runtime ${CMAKE_MATCH_1}.dll")
    endif()
endforeach()
message(STATUS "the zip holds ${shipped}, the import libraries and the headers; no MinGW runtime")
