# Lists the names a shared library exports and fails unless they are exactly
# EXPECTED.
#   cmake -DLIBRARY=<file> -DTOOL=<objdump|nm> -DSTYLE=<pe|elf>
#         -DEXPECTED=<name;name;...> -P check_exports.cmake
foreach(var LIBRARY TOOL STYLE EXPECTED)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check_exports.cmake: ${var} not set")
    endif()
endforeach()
if(NOT EXISTS "${LIBRARY}")
    message(FATAL_ERROR "no library at ${LIBRARY}")
endif()

if(STYLE STREQUAL "pe")
    # objdump -p prints the export table as "[   n] Name" lines after
    # "[Ordinal/Name Pointer] Table".
    execute_process(COMMAND "${TOOL}" -p "${LIBRARY}"
        OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
    if(start EQUAL -1)
        set(dump "")
    else()
        string(SUBSTRING "${dump}" ${start} -1 dump)
    endif()
    string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" lines "${dump}")
    set(found)
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^\t\\[ *[0-9]+\\] " "" name "${line}")
        string(STRIP "${name}" name)
        list(APPEND found "${name}")
    endforeach()
else()
    # nm -D --defined-only: "<address> <type> <name>"; the version-script
    # node name shows up as an absolute symbol (type A) and is not an export.
    execute_process(COMMAND "${TOOL}" -D --defined-only "${LIBRARY}"
        OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    string(REGEX MATCHALL "[^\n]+" lines "${dump}")
    set(found)
    foreach(line IN LISTS lines)
        if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) ([^ @]+)")
            if(NOT CMAKE_MATCH_1 STREQUAL "A")
                list(APPEND found "${CMAKE_MATCH_2}")
            endif()
        endif()
    endforeach()
endif()
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${LIBRARY} (${rc})")
endif()

list(SORT found)
list(REMOVE_DUPLICATES found)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT found STREQUAL expected)
    set(extra ${found})
    list(REMOVE_ITEM extra ${expected})
    set(missing ${expected})
    if(found)
        list(REMOVE_ITEM missing ${found})
    endif()
    message(FATAL_ERROR "${LIBRARY} exports [${found}]\n"
        "  unexpected: [${extra}]\n  missing: [${missing}]")
endif()
list(LENGTH found count)
message(STATUS "${LIBRARY}: exactly the ${count} expected exports")
