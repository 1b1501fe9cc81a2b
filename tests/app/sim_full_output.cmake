# Runs carexa-sim with standard output on a full device (/dev/full): every kind of output to
# standard output must end with exit status 1 and the system's reason, not 0.
#   -DSIM=... -DPROJECT=in.mdl
foreach(arguments "run;${PROJECT};--csv;-" "run;${PROJECT};--save;-" "run;${PROJECT};--boxes;-"
        "run;${PROJECT}" "--help")
    set(command "\"${SIM}\"")
    foreach(argument IN LISTS arguments)
        string(APPEND command " \"${argument}\"")
    endforeach()
    execute_process(COMMAND sh -c "${command} > /dev/full"
        RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT status EQUAL 1)
        message(FATAL_ERROR "${command} > /dev/full exited with ${status}, not 1: ${err}")
    endif()
    if(NOT err STREQUAL "carexa-sim: Standard output could not be written: No space left on device.\n")
        message(FATAL_ERROR "${command} > /dev/full said: ${err}")
    endif()
endforeach()
