# KL_VRX.dll for hosts of the Microsoft C++ ABI (included by the top-level
# CMakeLists.txt for Windows builds by GCC/MinGW, after the KL_VRX target).
#
# The core stays as its compiler builds it. A thin layer compiled by clang
# for x86_64-pc-windows-msvc (no Microsoft header or library needed) makes
# the objects hosts receive: Microsoft virtual tables and type information,
# each entry forwarding to the core through its C face (KL_VRX_c.h).
# The DLL's .def binds the public names of the four controller exports to
# the layer, and KL_VRX.lib, the import library every Windows host links,
# comes from llvm-dlltool in Microsoft's format.

find_program(KL_VRX_MSVC_CLANG NAMES clang++ clang++-14
    DOC "clang, which compiles KL_VRX.dll's Microsoft-ABI layer")
find_program(KL_VRX_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14
    DOC "llvm-dlltool, which makes the Microsoft-format import library KL_VRX.lib")
if(NOT KL_VRX_MSVC_CLANG OR NOT KL_VRX_LLVM_DLLTOOL)
    message(FATAL_ERROR "KL_VRX.dll needs clang and llvm-dlltool for the objects and import "
        "library of Microsoft-ABI hosts (Debian: apt-get install clang llvm)")
endif()

find_program(KL_VRX_LLD_LINK NAMES lld-link lld-link-14
    DOC "lld-link, which links the tests' Microsoft-ABI hosts")

set(KL_VRX_MSVC_DIR ${CMAKE_CURRENT_LIST_DIR})
# Clang for the Microsoft ABI with nothing of Microsoft's: no headers, no
# libraries, no exceptions. Its objects carry no linker directives.
set(KL_VRX_MSVC_FLAGS --target=x86_64-pc-windows-msvc -O2 -ffreestanding -fno-exceptions
    ${KL_VRX_WARNINGS} -I${PROJECT_SOURCE_DIR}/include)

# Compiles source for the Microsoft ABI into <current binary dir>/<name>.obj,
# stored in obj_var; further arguments are extra compiler flags.
function(kl_vrx_msvc_object source obj_var)
    get_filename_component(name ${source} NAME_WE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}.obj)
    add_custom_command(OUTPUT ${object}
        COMMAND ${CMAKE_CXX_COMPILER_LAUNCHER} ${KL_VRX_MSVC_CLANG} ${KL_VRX_MSVC_FLAGS} ${ARGN}
            -MD -MF ${object}.d -c ${source} -o ${object}
        DEPENDS ${source}
        DEPFILE ${object}.d
        COMMENT "Building Microsoft-ABI object ${name}.obj"
        VERBATIM COMMAND_EXPAND_LISTS)
    set(${obj_var} ${object} PARENT_SCOPE)
endfunction()

set(KL_VRX_MSVC_OBJECTS)
foreach(source msvc_controller.cpp msvc_exports.cpp msvc_rtti.cpp)
    kl_vrx_msvc_object(${KL_VRX_MSVC_DIR}/${source} object -std=c++17
        -I${PROJECT_SOURCE_DIR}/src)
    list(APPEND KL_VRX_MSVC_OBJECTS ${object})
endforeach()

# The core's side: the C face (src/c_api) and the DLL's heap and refusal,
# built like the core. The .def leaves the C face unexported.
add_library(KL_VRX_msvc_bridge OBJECT ${KL_VRX_MSVC_DIR}/core_bridge.cpp)
target_link_libraries(KL_VRX_msvc_bridge PRIVATE KL_VRX_objects)
target_compile_options(KL_VRX_msvc_bridge PRIVATE ${KL_VRX_WARNINGS})
target_compile_definitions(KL_VRX_msvc_bridge PRIVATE KL_VRX_BUILDING)

target_sources(KL_VRX PRIVATE
    ${KL_VRX_MSVC_OBJECTS} $<TARGET_OBJECTS:KL_VRX_msvc_bridge> $<TARGET_OBJECTS:KL_VRX_c_face>
    ${KL_VRX_MSVC_DIR}/KL_VRX.def)
if("-Werror" IN_LIST KL_VRX_WARNINGS)
    # Clang's objects carry no linker directives GNU ld would warn about.
    target_link_options(KL_VRX PRIVATE -Wl,--fatal-warnings)
endif()

# KL_VRX.lib beside the DLL, in Microsoft's import-library format, which
# lld-link, link.exe and GNU ld all read. It replaces the one GNU ld writes.
set_target_properties(KL_VRX PROPERTIES IMPORT_SUFFIX ".lib")
add_custom_command(TARGET KL_VRX POST_BUILD
    COMMAND ${KL_VRX_LLVM_DLLTOOL} -m i386:x86-64 -d ${PROJECT_SOURCE_DIR}/src/api/KL_VRX.def
        -D $<TARGET_FILE_NAME:KL_VRX> -l $<TARGET_LINKER_FILE:KL_VRX>
    COMMENT "Writing the import library $<TARGET_LINKER_FILE_NAME:KL_VRX>"
    VERBATIM)

# GCC-built users of the static library see the interfaces in GCC's own
# layout; everyone else on Windows sees the DLL's (KL_VRX.h).
target_compile_definitions(KL_VRX_static INTERFACE KL_VRX_STATIC)
