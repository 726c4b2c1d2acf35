# Links the Microsoft-ABI host program with the unpacked zip's KL_VRX.lib
# and runs it under Wine beside the zip's KL_VRX.dll.
#   cmake -DLLD_LINK=<lld-link> -DINPUTS=<objects and libraries, |-separated>
#         -DZIP=<unpacked zip> -DRUNNER=<wine-run.sh> -P zip_msvc_host.cmake
string(REPLACE "|" ";" inputs "${INPUTS}")
set(program "${ZIP}/bin/msvc_host.exe")
execute_process(COMMAND "${LLD_LINK}" /nologo /nodefaultlib /entry:HostEntry /subsystem:console
    /out:${program} ${inputs} "${ZIP}/lib/KL_VRX.lib" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "linking with the zip's KL_VRX.lib failed (${rc})")
endif()
execute_process(COMMAND "${RUNNER}" "${program}" WORKING_DIRECTORY "${ZIP}/bin"
    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "all checks passed")
    message(FATAL_ERROR "msvc_host.exe linked with the zip's KL_VRX.lib (exit ${rc}):\n${out}")
endif()
message(STATUS "msvc_host.exe linked with the zip's KL_VRX.lib: all checks passed")
