# cmake -DCOMMAND=<program;arguments> -DEXPECT=<text> -P RunAndExpect.cmake
# Passes when the command exits with status 0 and prints the text. CTest's PASS_REGULAR_EXPRESSION alone would
# ignore the exit status.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${COMMAND} exited with status ${status}")
endif()
string(FIND "${output}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${COMMAND} did not print \"${EXPECT}\"")
endif()
