# Writes a help2man include file with each command's own --help text, so the man page of a
# program with commands describes every one of them.
# -DPROGRAM=path -DCOMMANDS=a;b;c -DOUTPUT=file
cmake_minimum_required(VERSION 3.25)
set(text "[COMMANDS IN DETAIL]\n")
foreach(command IN LISTS COMMANDS)
    execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE help
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${command} --help failed (${result})")
    endif()
    # Shown as it stands: backslashes escaped, no line taken for a roff request.
    string(REPLACE "\\" "\\e" help "${help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
    string(APPEND text ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
