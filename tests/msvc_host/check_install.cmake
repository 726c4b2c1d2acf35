# Installs the build into a scratch prefix and checks what an MSVC project
# gets from the package: the DLL, the import library KL_VRX.lib (the one the
# build made, in Microsoft's format), and KL_VRX::KL_VRX naming it as its
# IMPORTED_IMPLIB.
#   cmake -DBUILD_DIR=<build tree> -DPREFIX=<scratch dir> -DIMPORT_LIBRARY=<built KL_VRX.lib>
#         -P check_install.cmake
foreach(var BUILD_DIR PREFIX IMPORT_LIBRARY)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check_install.cmake: ${var} not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc})")
endif()

foreach(file bin/KL_VRX.dll lib/KL_VRX.lib include/KL_VRX/KL_VRX.h)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "the package lacks ${file}")
    endif()
endforeach()
file(SHA256 "${PREFIX}/lib/KL_VRX.lib" installed)
file(SHA256 "${IMPORT_LIBRARY}" built)
if(NOT installed STREQUAL built)
    message(FATAL_ERROR "the installed KL_VRX.lib is not the import library the build made")
endif()

file(GLOB configurations "${PREFIX}/lib/cmake/KL_VRX/KL_VRXTargets-*.cmake")
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
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "the package gives MSVC projects bin/KL_VRX.dll and lib/KL_VRX.lib")
