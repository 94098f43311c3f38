# Run after a test program links: lists its suites and writes one CTest test
# per suite, each running that suite alone in its own process.
#   -D EXE=program -D OUT=file -D SOURCE_DIR=dir -D LABEL=label (may be empty)
#   -D FONTCONFIG=the tests' fontconfig configuration
execute_process(COMMAND ${EXE} --gtest_list_tests
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc
                TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${rc}):\n${out}${err}")
endif()
# Only the suite lines start in the first column: "Suite." or, for typed and
# parameterised suites, "Prefix/Suite/0.  # TypeParam = ...".
string(REGEX MATCHALL "(^|\n)[A-Za-z_][A-Za-z0-9_/]*\\." heads "${out}")
set(content "")
foreach(h IN LISTS heads)
  string(STRIP "${h}" h)
  string(REGEX REPLACE "\\.$" "" suite "${h}")
  # Suites named for threads carry the label the ThreadSanitizer run picks.
  if(suite MATCHES "Thread")
    set(labels "LABELS thread")
  elseif(LABEL)
    set(labels "LABELS ${LABEL}")
  else()
    set(labels "")
  endif()
  string(APPEND content
    "add_test([==[${suite}]==] [==[${EXE}]==] [==[--gtest_filter=${suite}.*]==])\n"
    "set_tests_properties([==[${suite}]==] PROPERTIES WORKING_DIRECTORY [==[${SOURCE_DIR}]==] "
    "ENVIRONMENT [==[QN_SOURCE_DIR=${SOURCE_DIR};FONTCONFIG_FILE=${FONTCONFIG}]==] ${labels})\n")
endforeach()
file(WRITE ${OUT} "${content}")
