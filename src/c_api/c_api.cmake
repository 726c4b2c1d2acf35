# The C interface (included by the top-level CMakeLists.txt after the
# emulator): KL_VRX_c_face, the core's one C face, which KL_VRX.dll's
# Microsoft-ABI layer sits on as well, and KL_VRX_c, the public C library
# (libKL_VRX_c.so / KL_VRX_c.dll + KL_VRX_c.lib) that exports the face and
# kl_vrx_emulate, and nothing else.

math(EXPR KL_VRX_BUILT_VERSION
    "${PROJECT_VERSION_MAJOR} * 10000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH}")
# The header's version is the project's.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/KL_VRX/KL_VRX_c.h kl_vrx_c_version_lines
    REGEX "^#define KL_VRX_VERSION_(MAJOR|MINOR|PATCH) ")
string(REGEX REPLACE "[^;]*_(MAJOR|MINOR|PATCH) ([0-9]+)" "\\2" kl_vrx_c_version
    "${kl_vrx_c_version_lines}")
if(NOT kl_vrx_c_version STREQUAL
       "${PROJECT_VERSION_MAJOR};${PROJECT_VERSION_MINOR};${PROJECT_VERSION_PATCH}")
    message(FATAL_ERROR "KL_VRX_c.h says version ${kl_vrx_c_version}, the project ${PROJECT_VERSION}")
endif()

set(KL_VRX_C_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(KL_VRX_c_face OBJECT ${KL_VRX_C_DIR}/unit_face.cpp ${KL_VRX_C_DIR}/names.cpp)
target_link_libraries(KL_VRX_c_face PRIVATE KL_VRX_objects)
target_compile_features(KL_VRX_c_face PRIVATE cxx_std_20)
target_compile_options(KL_VRX_c_face PRIVATE ${KL_VRX_WARNINGS})
target_compile_definitions(KL_VRX_c_face PRIVATE
    KL_VRX_BUILDING KL_VRX_BUILT_VERSION=${KL_VRX_BUILT_VERSION})
set_target_properties(KL_VRX_c_face PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

# The emulator goes into a shared library here.
set_target_properties(KL_VRX_emulator PROPERTIES POSITION_INDEPENDENT_CODE ON)

set(kl_vrx_c_sources $<TARGET_OBJECTS:KL_VRX_c_face> ${KL_VRX_C_DIR}/emulation.cpp)
if(WIN32)
    list(APPEND kl_vrx_c_sources src/api/dll_main.cpp ${KL_VRX_C_DIR}/KL_VRX_c.def)
endif()
add_library(KL_VRX_c SHARED ${kl_vrx_c_sources})
target_link_libraries(KL_VRX_c PRIVATE KL_VRX_emulator)
target_include_directories(KL_VRX_c
    PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
           $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_features(KL_VRX_c PRIVATE cxx_std_20)
target_compile_options(KL_VRX_c PRIVATE ${KL_VRX_WARNINGS})
target_compile_definitions(KL_VRX_c PRIVATE KL_VRX_BUILDING)
set_target_properties(KL_VRX_c PROPERTIES
    OUTPUT_NAME KL_VRX_c
    EXPORT_NAME c
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
if(WIN32)
    # KL_VRX_c.lib in Microsoft's import-library format (see msvc_abi.cmake),
    # which lld-link, link.exe and GNU ld all read.
    find_program(KL_VRX_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14
        DOC "llvm-dlltool, which makes the Microsoft-format import libraries")
    set_target_properties(KL_VRX_c PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
    add_custom_command(TARGET KL_VRX_c POST_BUILD
        COMMAND ${KL_VRX_LLVM_DLLTOOL} -m i386:x86-64 -d ${KL_VRX_C_DIR}/KL_VRX_c.def
            -D $<TARGET_FILE_NAME:KL_VRX_c> -l $<TARGET_LINKER_FILE:KL_VRX_c>
        COMMENT "Writing the import library $<TARGET_LINKER_FILE_NAME:KL_VRX_c>"
        VERBATIM)
else()
    # libKL_VRX_c.so.1 -> libKL_VRX_c.so.1.0.0, as libKL_VRX.
    set_target_properties(KL_VRX_c PROPERTIES
        PREFIX "lib"
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    target_link_options(KL_VRX_c PRIVATE
        "-Wl,--version-script=${KL_VRX_C_DIR}/exports.map" -Wl,--no-undefined)
    set_property(TARGET KL_VRX_c APPEND PROPERTY LINK_DEPENDS ${KL_VRX_C_DIR}/exports.map)
endif()
add_library(KL_VRX::c ALIAS KL_VRX_c)
