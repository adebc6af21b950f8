# Runs one fuzz target briefly: libFuzzer adds what it finds to its first corpus folder, so it
# gets a fresh copy of the seeds, and a crash leaves its input beside that copy.
# Arguments (-D): FUZZER, SEEDS, WORK, RUNS, MAX_SECONDS.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
execute_process(
    COMMAND "${FUZZER}" -runs=${RUNS} -max_total_time=${MAX_SECONDS} -print_final_stats=1
            -artifact_prefix=${WORK}/ "${WORK}/corpus"
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input that broke it is in ${WORK}")
endif()
