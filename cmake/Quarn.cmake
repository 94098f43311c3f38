# One static library per layer folder; sources are picked up from the folder
# so adding a unit needs no edit here.
function(qn_layer name folder)
  cmake_parse_arguments(L "" "" "DEPS;PUBLIC_LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
       ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_DEPS} ${L_PUBLIC_LIBS} Threads::Threads)
endfunction()

# A test program per tested folder: tests/<folder>/*.cpp -> test_<name>.
function(qn_test name folder)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(test_${name} ${_src})
  target_link_libraries(test_${name} PRIVATE qn_testmain ${T_LIBS})
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QN_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# Fuzz target: tests/fuzz/<name>.cpp built with libFuzzer (clang), and always
# as a plain replay program that the test suite runs over a seed corpus.
function(qn_fuzz name)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  set(_src ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
  if(QN_FUZZ)
    add_executable(fuzz_${name} ${_src})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE qn_package ${F_LIBS})
    if(QN_TESTS)
      # A bounded run from the seed corpus; new inputs go to a scratch folder
      # so the checked-in corpus stays as it is.
      add_test(NAME Fuzz_${name}_run
               COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                       $<TARGET_FILE:fuzz_${name}> -max_total_time=${QN_FUZZ_SECONDS}
                       -rss_limit_mb=4096 -print_final_stats=0
                       ${CMAKE_BINARY_DIR}/fuzz-scratch/${name}
                       ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
      file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-scratch/${name})
    endif()
  endif()
  if(QN_TESTS)
    add_executable(replay_${name} ${_src} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    target_link_libraries(replay_${name} PRIVATE qn_package ${F_LIBS})
    add_test(NAME Fuzz_${name}_corpus
             COMMAND replay_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  endif()
endfunction()
