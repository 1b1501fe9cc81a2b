# Builds the Debian package with CPack into a folder of its own and unpacks it beside, as
# dpkg -x does, for the tests that look at it.
#   -DCPACK=cpack -DBUILD=build folder -DOUT=folder
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CPACK} -G DEB -B ${OUT}
    WORKING_DIRECTORY ${BUILD}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack -G DEB failed (${status}):\n${out}\n${err}")
endif()
file(GLOB packages ${OUT}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} packages, not one: ${packages}")
endif()
file(CREATE_LINK ${packages} ${OUT}/carexa.deb SYMBOLIC)
execute_process(COMMAND dpkg-deb -x ${packages} ${OUT}/root
    RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -x failed: ${err}")
endif()
message(STATUS "Built ${packages}")
