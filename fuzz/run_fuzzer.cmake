# Runs one fuzz target for SECONDS seconds from a fresh copy of its seed corpus in WORK, so
# the committed corpus never changes. Any finding (crash, leak, timeout, failed check) fails.
# The target's scratch directory goes under SCRATCH (a memory file system where there is one:
# creating and removing files on a disk file system slows every run down).
# A run taking over TIMEOUT seconds is a finding.
#   cmake -DFUZZER=<binary> -DSEEDS=<seed dir> -DWORK=<dir> -DSECONDS=<n> -DSCRATCH=<dir>
#         -DTIMEOUT=<n> -P run_fuzzer.cmake
file(REMOVE_RECURSE ${WORK})
string(RANDOM LENGTH 8 tag)
set(scratch ${SCRATCH}/kesk-fuzz-${tag})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/findings ${scratch})
file(GLOB seeds ${SEEDS}/*)
if(NOT seeds)
  message(FATAL_ERROR "no seeds in ${SEEDS}")
endif()
file(COPY ${seeds} DESTINATION ${WORK}/corpus)

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${scratch}
          ${FUZZER} -max_total_time=${SECONDS} -timeout=${TIMEOUT} -print_final_stats=1
          -artifact_prefix=${WORK}/findings/ ${WORK}/corpus
  RESULT_VARIABLE status
  ERROR_VARIABLE log
  OUTPUT_VARIABLE log)
file(WRITE ${WORK}/fuzz.log "${log}")
file(REMOVE_RECURSE ${scratch})

string(REGEX MATCH "stat::number_of_executed_units:[ ]+[0-9]+" runs "${log}")
string(REGEX MATCH "stat::average_exec_per_sec:[ ]+[0-9]+" speed "${log}")
file(GLOB findings ${WORK}/findings/*)
if(NOT status EQUAL 0 OR findings)
  message("${log}")
  message(FATAL_ERROR "the fuzzer reported a finding (status ${status}): ${findings}")
endif()
message(STATUS "${runs}, ${speed}; log in ${WORK}/fuzz.log")
