# Runs carexa-sim under a file-size limit (ulimit -f) that every output exceeds: each must end
# with exit status 1 and one line giving the system's reason ("File too large"), leave no file of
# its name and nothing in the temporary folder, instead of being killed by SIGXFSZ.
#   -DSIM=... -DPROJECT=in.mdl -DOUT=folder
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}/tmp")
# Qt keeps its runtime folder under the temporary folder when none is set; it is not ours.
file(MAKE_DIRECTORY "${OUT}/runtime")
file(CHMOD "${OUT}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
foreach(case "--csv;sheet.csv" "--datasheet;sheet.csv" "--boxes;boxes.csv" "--save;after.mdl"
        "--xlsx;book.xlsx" "--graph;1:bod.png"
        "-;out.csv")
    list(GET case 0 option)
    list(GET case 1 target)
    string(REGEX REPLACE "^[0-9]+:" "" name "${target}")
    if(option STREQUAL "-")
        set(command "\"${SIM}\" run \"${PROJECT}\" --csv - > \"${OUT}/${name}\"")
    else()
        string(REGEX MATCH "^[0-9]+:" prefix "${target}")
        set(value "${prefix}${OUT}/${name}")
        set(command "\"${SIM}\" run \"${PROJECT}\" ${option} \"${value}\"")
    endif()
    execute_process(COMMAND sh -c "ulimit -f 2; TMPDIR='${OUT}/tmp' XDG_RUNTIME_DIR='${OUT}/runtime' ${command}"
        RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT status EQUAL 1)
        message(FATAL_ERROR "${option}: exited with ${status}, not 1: ${err}")
    endif()
    if(NOT err MATCHES "^carexa-sim: [^\n]*: File too large\\.\n$")
        message(FATAL_ERROR "${option}: said: ${err}")
    endif()
    if(NOT option STREQUAL "-" AND EXISTS "${OUT}/${name}")
        message(FATAL_ERROR "${option}: left ${OUT}/${name} behind")
    endif()
    file(GLOB left "${OUT}/*.tmp*" "${OUT}/.*" "${OUT}/tmp/*")
    if(left)
        message(FATAL_ERROR "${option}: left ${left} behind")
    endif()
    file(REMOVE "${OUT}/${name}")
endforeach()
