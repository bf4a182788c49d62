# Runs one script through the stand-in host and compares its transcript with the
# expected one. The script states the exit code it expects in a line
# "-- exit code: N" (0 when absent).
#   cmake -DWINE_RUN=... -DHOST=... -DPLUGIN=... -DSCRIPT=... -DEXPECTED=... -P run_script.cmake
file(STRINGS "${SCRIPT}" exit_line REGEX "^-- exit code: [0-9]+$" LIMIT_COUNT 1)
set(expected_code 0)
if(exit_line)
  string(REGEX REPLACE "^-- exit code: " "" expected_code "${exit_line}")
endif()

# The limit leaves room for the first run of a fresh build tree, which makes the
# Wine prefix (and, for dialogs, the display's) before the script starts.
execute_process(
  COMMAND "${WINE_RUN}" "${HOST}" --plugin "${PLUGIN}" "${SCRIPT}"
  OUTPUT_VARIABLE transcript
  ERROR_VARIABLE errors
  RESULT_VARIABLE code
  TIMEOUT 180)
file(READ "${EXPECTED}" expected)

if(NOT transcript STREQUAL expected)
  message(FATAL_ERROR "transcript of ${SCRIPT} differs\n--- expected\n${expected}--- got\n${transcript}--- stderr\n${errors}")
endif()
if(NOT code STREQUAL expected_code)
  message(FATAL_ERROR "${SCRIPT} exited with ${code}, expected ${expected_code}\n${transcript}${errors}")
endif()
