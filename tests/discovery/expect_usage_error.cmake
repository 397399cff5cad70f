# Runs lanscout-scan with bad ARGS: it must print one line to stderr,
# nothing to stdout, and exit with 2.
execute_process(COMMAND ${SCAN} ${ARGS} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
string(REGEX MATCHALL "\n" lines "${err}")
list(LENGTH lines count)
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR NOT count EQUAL 1 OR NOT err MATCHES "^lanscout-scan: ")
  message(FATAL_ERROR "status '${status}', stdout '${out}', stderr '${err}'")
endif()
