# Copies the sample game into a fresh directory and runs kesk -a, then kesk --png, kesk --text
# and kesk --midi --wav, there.
# Expects KESK (the binary), SAMPLE_GAME (the source directory) and DEMO_DIR.
file(REMOVE_RECURSE "${DEMO_DIR}")
file(COPY "${SAMPLE_GAME}/" DESTINATION "${DEMO_DIR}")
execute_process(COMMAND "${KESK}" -a WORKING_DIRECTORY "${DEMO_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kesk -a ended with status ${status}")
endif()
foreach(formats IN ITEMS "--png" "--text" "--midi;--wav")
  execute_process(COMMAND "${KESK}" ${formats} WORKING_DIRECTORY "${DEMO_DIR}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kesk ${formats} ended with status ${status}")
  endif()
endforeach()
message(STATUS "The extracted files are in ${DEMO_DIR}")
message(STATUS "The drawn images are in ${DEMO_DIR}/picture and ${DEMO_DIR}/view "
               "(picture.0.png, picture.0.priority.png, view.0.png, ...)")
message(STATUS "The logics as source text are in ${DEMO_DIR}/logic (logic.0.txt, ...), "
               "the items in ${DEMO_DIR}/objects.txt")
message(STATUS "The sounds as MIDI and WAV files are in ${DEMO_DIR}/sound "
               "(sound.0.mid, sound.0.wav, ...)")
