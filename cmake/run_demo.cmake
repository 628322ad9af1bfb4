# Copies the sample game into a fresh directory and runs kesk -a there.
# Expects KESK (the binary), SAMPLE_GAME (the source directory) and DEMO_DIR.
file(REMOVE_RECURSE "${DEMO_DIR}")
file(COPY "${SAMPLE_GAME}/" DESTINATION "${DEMO_DIR}")
execute_process(COMMAND "${KESK}" -a WORKING_DIRECTORY "${DEMO_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kesk -a ended with status ${status}")
endif()
message(STATUS "The extracted files are in ${DEMO_DIR}")
