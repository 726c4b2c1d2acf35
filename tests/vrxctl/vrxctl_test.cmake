# Runs vrxctl with short emulated buses and checks what a user or a script
# sees: exit codes, JSON that parses, and the aligned text of one command.
cmake_minimum_required(VERSION 3.20)

set(failures 0)

function(vrxctl)
    cmake_parse_arguments(V "" "EXIT;INPUT" "" ${ARGN})
    if(V_INPUT)
        file(WRITE ${WORKDIR}/stdin.txt "${V_INPUT}")
        set(input INPUT_FILE ${WORKDIR}/stdin.txt)
    else()
        set(input)
    endif()
    execute_process(COMMAND ${RUNNER} ${VRXCTL} ${V_UNPARSED_ARGUMENTS}
        ${input}
        WORKING_DIRECTORY ${WORKDIR}
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
    string(REPLACE "\r" "" out "${out}")
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
    if(NOT "${code}" STREQUAL "${V_EXIT}")
        message(SEND_ERROR "vrxctl ${V_UNPARSED_ARGUMENTS}: exit ${code}, expected ${V_EXIT}\n${out}${err}")
    endif()
endfunction()

function(expect_json json path expected)
    string(JSON value ERROR_VARIABLE error GET "${json}" ${path})
    if(error OR NOT "${value}" STREQUAL "${expected}")
        message(SEND_ERROR "JSON ${path}: '${value}' ${error}, expected '${expected}' in ${json}")
    endif()
endfunction()

# list over two family-1 units and a family-2 unit: host indices 0..3.
vrxctl(--emulate 1,1,2 --json list EXIT 0)
expect_json("${out}" "units" 4)
expect_json("${out}" "hostIndices;0;unit" simulated)
expect_json("${out}" "hostIndices;2;family" 1)
expect_json("${out}" "hostIndices;2;index" 2)
expect_json("${out}" "hostIndices;3;family" 2)
expect_json("${out}" "hostIndices;3;index" 1)

# show of an emulated family-1 unit after its start-up; the emulated unit's
# register 21 holds 1 (API 0), its device number 0x78 0x56 0x34 0x12.
vrxctl(--emulate 1 --json show 1 EXIT 0)
expect_json("${out}" "modelFamily" 1)
expect_json("${out}" "positionCount" 3)
expect_json("${out}" "position21" 0)
expect_json("${out}" "deviceNumber" 12345678)
expect_json("${out}" "deviceInfo;2" 3)

# The simulated unit as people read it.
vrxctl(show 0 EXIT 0)
set(expected [=[hostIndex          0
modelFamily        2
positionCount      4
position21         1
position20         1
position22         0
position23         0
position24         0
position19family2  0
deviceInfo         0 0 0
deviceNumber       0
]=])
if(NOT out STREQUAL expected)
    message(SEND_ERROR "show 0 printed:\n${out}\nexpected:\n${expected}")
endif()

# A shell session keeps the unit open between lines.
vrxctl(--emulate 1 shell INPUT "set 1 position21 2\nget 1 position21\n" EXIT 0)
if(NOT out MATCHES "\n2\n$")
    message(SEND_ERROR "shell get printed:\n${out}")
endif()

# Failures: library status on stderr and documented exit codes.
vrxctl(--emulate 1 set 1 position21 3 EXIT 1)
if(NOT err MATCHES "status 512: Invalid parameter\\.")
    message(SEND_ERROR "refused set printed: ${err}")
endif()
vrxctl(--emulate 1 show 5 EXIT 4)
if(NOT err MATCHES "Index out of range\\.")
    message(SEND_ERROR "open beyond the units printed: ${err}")
endif()
vrxctl(get 0 nosuchelement EXIT 2)
vrxctl(--emulate 3 list EXIT 2)
vrxctl(EXIT 2)
vrxctl(--help EXIT 0)
if(NOT out MATCHES "shell" OR NOT out MATCHES "--emulate")
    message(SEND_ERROR "--help does not explain the subcommands:\n${out}")
endif()
