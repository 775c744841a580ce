# Clicks the director switch through the command line with --capture-sound and has sox,
# a reader we did not write, describe the file.
set(capture ${WORK_DIR}/captured_click.wav)
file(REMOVE ${capture})
execute_process(COMMAND ${BENCH} state director_switch --click 9,30 --capture-sound ${capture}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gaugebench failed: ${errors}")
endif()
execute_process(COMMAND soxi ${capture} RESULT_VARIABLE status OUTPUT_VARIABLE description ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "sox cannot read the capture: ${errors}")
endif()
foreach(expected "Channels *: 1" "Sample Rate *: 11025" "1598 samples")
    if(NOT description MATCHES "${expected}")
        message(FATAL_ERROR "sox describes the capture as:\n${description}\nwithout ${expected}")
    endif()
endforeach()
message(STATUS "${description}")
