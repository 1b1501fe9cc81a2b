# Runs carexa-sim on one project with all four outputs and compares each with its golden file.
#   -DSIM=... -DPROJECT=in.mdl -DGOLDEN=folder/stem -DOUT=folder/stem -DEXPECT=exit status
execute_process(COMMAND ${SIM} run ${PROJECT} --save ${OUT}.save.mdl --csv ${OUT}.sheet.csv
        --datasheet ${OUT}.datasheet.csv --boxes ${OUT}.boxes.csv
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL EXPECT)
    message(FATAL_ERROR "carexa-sim exited with ${status}, not ${EXPECT}: ${err}")
endif()
foreach(part save.mdl sheet.csv datasheet.csv boxes.csv)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}.${part} ${GOLDEN}.${part}
        RESULT_VARIABLE differ)
    if(NOT differ EQUAL 0)
        message(FATAL_ERROR "${OUT}.${part} differs from ${GOLDEN}.${part}")
    endif()
endforeach()
