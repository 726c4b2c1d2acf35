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

# Options stand before or after the subcommand, with the same output.
vrxctl(--emulate 1,2 --json list EXIT 0)
set(before "${out}")
vrxctl(list --json --emulate 1,2 EXIT 0)
if(NOT out STREQUAL before)
    message(SEND_ERROR "list with the options after it printed:\n${out}\nbefore it:\n${before}")
endif()
vrxctl(--emulate 1 show 1 EXIT 0)
set(before "${out}")
vrxctl(show 1 --emulate=1 EXIT 0)
if(NOT out STREQUAL before)
    message(SEND_ERROR "show with the options after it printed:\n${out}\nbefore it:\n${before}")
endif()

vrxctl(--version EXIT 0)
if(NOT out STREQUAL "vrxctl (KL_VRX) ${VERSION}\n")
    message(SEND_ERROR "--version printed '${out}', expected the project version ${VERSION}")
endif()

# A session with the traffic log on, then the log decoded: the unit's
# start-up, the reads of show and the park, no failure.
file(REMOVE ${WORKDIR}/VRXHIDLog.log)
vrxctl(--emulate 1 --log show 1 EXIT 0)
vrxctl(log VRXHIDLog.log --json EXIT 0)
string(REGEX MATCH "{\"type\":\"summary\"[^\n]*" summary "${out}")
expect_json("${summary}" "failures" 0)
expect_json("${summary}" "devicesClosed" 1)
vrxctl(log VRXHIDLog.log EXIT 0)
if(NOT out MATCHES "ReadDeviceNumber \\(25\\) +data 78 56 34 12 +echo ok")
    message(SEND_ERROR "the decoded log does not show the device number read:\n${out}")
endif()

# The fault log from standard input, with --failures: its heading, failures
# and summary as without it, the header and the close around them, and each
# failure's records.
file(READ ${CORPUS}/faults.log faults)
vrxctl(log - INPUT "${faults}" EXIT 0)
string(REGEX REPLACE "\n(  |==) [^\n]*" "" expected "${out}")
vrxctl(log - --failures INPUT "${faults}" EXIT 0)
string(REGEX MATCHALL "\n== [^\n]*" context "${out}")
string(REGEX MATCHALL "\n +[0-9]+ +\\| [0-9]+ : Time: [^\n]*" records "${out}")
string(REGEX REPLACE "\n(  |==) [^\n]*" "" failures "${out}")
list(LENGTH records count)
if(NOT failures STREQUAL expected OR NOT count EQUAL 20 OR
   NOT context MATCHES "^\n== +4 [^\n]*logger created[^\n]*\n== +40 [^\n]*device closed$")
    message(SEND_ERROR "log --failures printed:\n${out}\nthe failures of:\n${expected}")
endif()

# Not a traffic log, or no file: a reason and exit code 2.
file(WRITE ${WORKDIR}/notes.txt "port=COM3\n")
vrxctl(log notes.txt EXIT 2)
if(NOT err MATCHES "notes.txt is not a traffic log")
    message(SEND_ERROR "a text file as log printed: ${err}")
endif()
vrxctl(log no-such-file.log EXIT 2)
