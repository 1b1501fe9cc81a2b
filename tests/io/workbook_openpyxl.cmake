# Exports a project's workbook and tables with carexa-sim and reads the workbook back with
# openpyxl.   -DSIM=... -DPYTHON=... -DPROJECT=in.mdl -DOUT=folder/stem -DCHECK=check_workbook.py
execute_process(COMMAND ${SIM} export ${PROJECT} --xlsx ${OUT}.xlsx --forcing ${OUT}.forcing.csv
        --observed ${OUT}.observed.csv
    RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "carexa-sim export failed (${status}): ${err}")
endif()
execute_process(COMMAND ${PYTHON} ${CHECK} ${OUT}.xlsx ${OUT}.forcing.csv ${OUT}.observed.csv
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the workbook did not read back as written")
endif()
