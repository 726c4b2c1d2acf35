# The traffic-log decoder's sources, for vrxctl and for the fuzzer.
set(VRXCTL_LOG_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/log_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_exchanges.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_failures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_parser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_report.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_summary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/output.cpp)
