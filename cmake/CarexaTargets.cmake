# Shared compile settings and the helpers that build each engine library (and its tests) twice:
# once plain, and once with AddressSanitizer and UndefinedBehaviorSanitizer (suffix _san).

set(CAREXA_WARNINGS -Wall -Wextra -Werror -Wsuggest-override -Woverloaded-virtual -Wformat=2)
set(CAREXA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

function(carexa_apply_warnings target)
    target_compile_options(${target} PRIVATE ${CAREXA_WARNINGS})
endfunction()

function(carexa_apply_sanitizers target)
    target_compile_options(${target} PRIVATE ${CAREXA_SANITIZER_FLAGS})
    target_link_options(${target} PUBLIC ${CAREXA_SANITIZER_FLAGS})
endfunction()

# carexa_engine_library(<name> SOURCES ... [DEPENDS <engine libraries>])
function(carexa_engine_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    carexa_apply_warnings(${name})
    if(CAREXA_SANITIZE)
        list(TRANSFORM ARG_DEPENDS APPEND _san OUTPUT_VARIABLE san_depends)
        add_library(${name}_san STATIC ${ARG_SOURCES})
        target_include_directories(${name}_san PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name}_san PUBLIC ${san_depends})
        carexa_apply_warnings(${name}_san)
        carexa_apply_sanitizers(${name}_san)
    endif()
endfunction()

# carexa_engine_test(<name> SOURCES ... DEPENDS <engine libraries>)
function(carexa_engine_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    carexa_apply_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "CAREXA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
    if(CAREXA_SANITIZE)
        list(TRANSFORM ARG_DEPENDS APPEND _san OUTPUT_VARIABLE san_depends)
        add_executable(${name}_san ${ARG_SOURCES})
        target_link_libraries(${name}_san PRIVATE ${san_depends} GTest::gtest GTest::gtest_main)
        target_include_directories(${name}_san PRIVATE ${PROJECT_SOURCE_DIR}/tests)
        carexa_apply_warnings(${name}_san)
        carexa_apply_sanitizers(${name}_san)
        gtest_discover_tests(${name}_san TEST_PREFIX "sanitized." DISCOVERY_MODE PRE_TEST
            PROPERTIES ENVIRONMENT
            "CAREXA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
    endif()
endfunction()
