# Runs one fuzz harness as a test: every crash found before (REGRESSIONS) once, then RUNS inputs
# made from the seeds (SEEDS) with a fixed seed. New inputs go to OUT, never to the seeds; a
# crash leaves its input in OUT and fails the test.
#   -DHARNESS=... -DSEEDS=folder -DREGRESSIONS=folder -DOUT=folder -DRUNS=n -DMAX_LEN=bytes
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}/corpus" "${OUT}/crashes")
set(ENV{ASAN_OPTIONS} "detect_leaks=1:allocator_may_return_null=1")
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
file(GLOB regressions "${REGRESSIONS}/*")
if(regressions)
    execute_process(COMMAND "${HARNESS}" ${regressions}
        RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${HARNESS} fails on a crash found before:\n${log}")
    endif()
endif()
execute_process(COMMAND "${HARNESS}" -runs=${RUNS} -seed=1 -max_len=${MAX_LEN} -timeout=20
        -rss_limit_mb=2048 -artifact_prefix=${OUT}/crashes/ -print_final_stats=1
        "${OUT}/corpus" "${SEEDS}"
    RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${HARNESS} crashed (the input is in ${OUT}/crashes):\n${log}")
endif()
string(REGEX MATCH "#[0-9]+[ \t]+DONE[^\n]*" done "${log}")
message(STATUS "${done}")
