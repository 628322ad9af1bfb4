# coverage_report: gcovr's line and branch summary for the product's own code, failing
# below 95% of lines or 90% of branches. Run it after the tests.
find_program(GCOVR gcovr REQUIRED)
add_custom_target(coverage_report
  COMMAND ${GCOVR}
          --root ${PROJECT_SOURCE_DIR}
          --object-directory ${PROJECT_BINARY_DIR}
          --filter ${PROJECT_SOURCE_DIR}/cli/
          --filter ${PROJECT_SOURCE_DIR}/resources/
          --filter ${PROJECT_SOURCE_DIR}/converters/
          --filter ${PROJECT_SOURCE_DIR}/platform/
          --filter ${PROJECT_SOURCE_DIR}/images/
          --filter ${PROJECT_SOURCE_DIR}/logics/
          --filter ${PROJECT_SOURCE_DIR}/sounds/
          --exclude-unreachable-branches
          --exclude-throw-branches
          --txt
          --print-summary
          --fail-under-line 95
          --fail-under-branch 90
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  USES_TERMINAL
  COMMENT "Coverage of cli/, resources/, converters/, platform/, images/, logics/ and sounds/")
