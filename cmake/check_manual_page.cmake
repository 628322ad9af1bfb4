# Renders the manual page with every groff warning on, and lints it with mandoc when that
# is installed; any diagnostic fails. Expects GROFF and PAGE.
execute_process(COMMAND ${GROFF} -man -ww -z "${PAGE}"
                RESULT_VARIABLE status ERROR_VARIABLE diagnostics)
if(NOT status EQUAL 0 OR NOT diagnostics STREQUAL "")
  message(FATAL_ERROR "groff: status ${status}\n${diagnostics}")
endif()
find_program(MANDOC mandoc)
if(MANDOC)
  execute_process(COMMAND ${MANDOC} -Tlint "${PAGE}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE diagnostics ERROR_VARIABLE diagnostics)
  if(NOT status EQUAL 0 OR NOT diagnostics STREQUAL "")
    message(FATAL_ERROR "mandoc: status ${status}\n${diagnostics}")
  endif()
endif()
