# Exports a project's forcing data and observed values, imports them back into the same project
# while running it, and expects the saved project byte for byte as it was (the examples are saved
# right after a run).   -DSIM=... -DPROJECT=in.mdl -DOUT=folder/stem
execute_process(COMMAND ${SIM} export ${PROJECT} --forcing ${OUT}.forcing.csv
        --observed ${OUT}.observed.csv
    RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "carexa-sim export failed (${status}): ${err}")
endif()
execute_process(COMMAND ${SIM} run ${PROJECT} --forcing ${OUT}.forcing.csv
        --observed ${OUT}.observed.csv --save ${OUT}.mdl
    RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "carexa-sim run failed (${status}): ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}.mdl ${PROJECT}
    RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${OUT}.mdl differs from ${PROJECT}")
endif()

# The same with day 1's temperature changed: the import must reach the saved project.
file(STRINGS ${OUT}.forcing.csv lines)
list(GET lines 1 day1)
string(REGEX REPLACE "^1,[^,]*," "1,23.75," changed "${day1}")
list(REMOVE_AT lines 1)
list(INSERT lines 1 "${changed}")
list(JOIN lines "\n" text)
file(WRITE ${OUT}.changed.csv "${text}\n")
execute_process(COMMAND ${SIM} run ${PROJECT} --forcing ${OUT}.changed.csv --save ${OUT}.changed.mdl
    RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "carexa-sim run with the changed file failed (${status}): ${err}")
endif()
file(STRINGS ${OUT}.changed.mdl saved LIMIT_COUNT 3)
list(GET saved 2 firstDay)
if(NOT firstDay MATCHES ";23.75;")
    message(FATAL_ERROR "day 1 of the saved project does not hold the imported 23.75: ${firstDay}")
endif()
