# The fuzz harnesses of fuzz/ as a build of their own with clang (the main build keeps its
# compiler), and a test for each that runs it on a fixed number of inputs: its seeds, the crashes
# found before (fuzz/regressions), then inputs the fuzzer makes from them with a fixed seed.

find_program(CAREXA_FUZZ_CXX NAMES clang++ clang++-14 REQUIRED
    DOC "clang++ with libFuzzer (Debian: clang, libfuzzer-14-dev)")
include(ExternalProject)
set(CAREXA_FUZZ_BUILD ${PROJECT_BINARY_DIR}/fuzz)
set(fuzz_launcher)
if(CMAKE_CXX_COMPILER_LAUNCHER)
    set(fuzz_launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
endif()
ExternalProject_Add(carexa_fuzzers
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/fuzz
    BINARY_DIR ${CAREXA_FUZZ_BUILD}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${CAREXA_FUZZ_CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
        ${fuzz_launcher}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)

if(CAREXA_BUILD_TESTS)
    # Inputs per harness and the longest input the fuzzer makes: together about a minute on one
    # core of a small machine.
    set(fuzz_runs project_run:15000:20000 csv_import:10000:8192 grid_block:30000:4096
        size_options:60000:1024 recovery:15000:20000 side_file:20000:4096)
    foreach(entry ${fuzz_runs})
        string(REPLACE ":" ";" parts ${entry})
        list(GET parts 0 harness)
        list(GET parts 1 runs)
        list(GET parts 2 length)
        add_test(NAME fuzz.${harness}
            COMMAND ${CMAKE_COMMAND} -DHARNESS=${CAREXA_FUZZ_BUILD}/fuzz_${harness}
                -DSEEDS=${PROJECT_SOURCE_DIR}/fuzz/corpus/${harness}
                -DREGRESSIONS=${PROJECT_SOURCE_DIR}/fuzz/regressions/${harness}
                -DOUT=${CAREXA_FUZZ_BUILD}/run-${harness} -DRUNS=${runs} -DMAX_LEN=${length}
                -P ${PROJECT_SOURCE_DIR}/fuzz/run_harness.cmake)
        set_tests_properties(fuzz.${harness} PROPERTIES TIMEOUT 300)
    endforeach()
endif()
