# Fails when a static library defines a symbol outside the project's
cmake_minimum_required(VERSION 3.20)
# namespaces (KL_VRX...), apart from the public names a host sees: the six
# exports and TVRXHardwareController. Standard-library instantiations and the
# compiler's own symbols are not the project's.
#   cmake -DLIBRARY=<file> -DTOOL=<nm> -DEXPORTS=<name;...> -P check_symbols.cmake
foreach(var LIBRARY TOOL EXPORTS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check_symbols.cmake: ${var} not set")
    endif()
endforeach()

execute_process(COMMAND "${TOOL}" --defined-only "${LIBRARY}"
    OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${LIBRARY} (${rc})")
endif()

# The first name of a mangled symbol (Itanium ABI), or "" when it has none:
# special names (type information, virtual tables, guard variables) and
# function-local entities are reduced to the entity they belong to.
function(first_name symbol out)
    string(REGEX REPLACE "^_Z(T[ISVT]|GV|Th[^_]*_|Tv[^_]*_[^_]*_)" "_Z" rest "${symbol}")
    string(REGEX REPLACE "^_Z[ZL]*N?[rVKRO]*" "" rest "${rest}")
    if(rest MATCHES "^S[tabsiod]")
        set(${out} "std" PARENT_SCOPE)
    elseif(rest MATCHES "^([0-9]+)")
        string(LENGTH "${CMAKE_MATCH_1}" digits)
        string(SUBSTRING "${rest}" ${digits} ${CMAKE_MATCH_1} name)
        set(${out} "${name}" PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()

string(REGEX MATCHALL "[^\n]+" lines "${dump}")
set(outside)
foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[0-9a-fA-F]* +([A-Za-z]) ([^ ]+)$")
        continue()
    endif()
    set(type "${CMAKE_MATCH_1}")
    set(symbol "${CMAKE_MATCH_2}")
    if(symbol MATCHES "^_Z")
        # C++ names, local ones too: a helper at file scope, or in an
        # anonymous namespace outside ours, is outside the project's
        # namespaces. Names with two leading underscores are the compiler's
        # and the standard headers' (__gnu_cxx, static helpers, initialisers).
        first_name("${symbol}" name)
        if(NOT name MATCHES "^(KL_VRX|std$|__|TVRXHardwareController$)"
           AND NOT symbol MATCHES "^_Z(nw|na|dl|da)")  # <new>'s placement forms
            list(APPEND outside "${symbol}")
        endif()
    elseif(type MATCHES "[A-Z]" AND NOT symbol MATCHES "^(DW\\.ref\\.|\\.|__)")
        # C names: the exports only; DW.ref, local labels and reserved names
        # (sanitizer indicators) are the compiler's.
        if(NOT symbol IN_LIST EXPORTS)
            list(APPEND outside "${symbol}")
        endif()
    endif()
endforeach()

if(outside)
    list(REMOVE_DUPLICATES outside)
    list(JOIN outside "\n  " listed)
    message(FATAL_ERROR "${LIBRARY} defines symbols outside the project's namespaces:\n  ${listed}")
endif()
message(STATUS "${LIBRARY}: every symbol inside the project's namespaces or public")
