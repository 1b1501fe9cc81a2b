# Runs carexa-sim on an example project and compares its data sheet with the golden file.
execute_process(COMMAND ${SIM} run ${PROJECT} --csv ${OUT} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "carexa-sim exited with ${status}: ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${GOLDEN} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${OUT} differs from ${GOLDEN}")
endif()
execute_process(COMMAND ${SIM} run ${PROJECT} --bogus RESULT_VARIABLE usage ERROR_QUIET)
if(NOT usage EQUAL 2)
    message(FATAL_ERROR "wrong usage exited with ${usage}, not 2")
endif()

# Graph pictures without any display: the runner draws off screen on its own, quietly.
file(REMOVE ${OUT}.png ${OUT}.svg ${OUT}.pdf)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=DISPLAY --unset=WAYLAND_DISPLAY
        ${SIM} run ${PROJECT} --graph 2:${OUT}.png --graph 6:${OUT}.svg --graph 9:${OUT}.pdf
        --graph-size 400x300
    RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "carexa-sim --graph exited with ${status}: ${err}")
endif()
foreach(kind png:89504e470d0a1a0a svg:3c3f786d6c pdf:255044462d)
    string(REPLACE ":" ";" parts ${kind})
    list(GET parts 0 extension)
    list(GET parts 1 expected)
    string(LENGTH ${expected} digits)
    math(EXPR bytes "${digits} / 2")
    file(READ ${OUT}.${extension} head LIMIT ${bytes} HEX)
    if(NOT head STREQUAL expected)
        message(FATAL_ERROR "${OUT}.${extension} starts with ${head}, not ${expected}")
    endif()
endforeach()
execute_process(COMMAND ${SIM} run ${PROJECT} --graph 12:${OUT}.png RESULT_VARIABLE usage ERROR_QUIET)
if(NOT usage EQUAL 2)
    message(FATAL_ERROR "--graph 12 exited with ${usage}, not 2")
endif()
