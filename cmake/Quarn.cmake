# Six files of a target compile as one unit, which parses the headers and
# optimises their inline code once for all six: about a third less compile
# time. Included into the unit, a file looks like a header to g++, which then
# warns of types in an unnamed namespace as if several units could see them.
function(qn_batch_units target)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
endfunction()

# One static library per layer folder; sources are picked up from the folder
# so adding a unit needs no edit here. Every layer joins the package.
function(qn_layer name folder)
  cmake_parse_arguments(L "" "" "DEPS;PUBLIC_LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
       ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  add_library(${name} STATIC ${_src})
  # Batched, a layer's file-local helpers need names of their own within the
  # layer. A unit that keeps per-file compile options is compiled alone.
  if(QN_UNITY)
    qn_batch_units(${name})
  endif()
  # The units written for one instruction set (_SSE2, _AVX2) share helper
  # names by design and stay on their own.
  foreach(f ${_src})
    if(f MATCHES "_(SSE2|AVX2)\\.cpp$")
      set_source_files_properties(${f} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:${QN_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${name} PUBLIC ${L_DEPS} ${L_PUBLIC_LIBS} Threads::Threads)
  set_property(GLOBAL APPEND PROPERTY QN_LAYERS ${name})
  qn_install_library(${name} ${folder})
endfunction()

# Installs a library of the package and the public headers of its folder,
# keeping the folder path (platform/vcl/Forms.h) so that installed headers
# include each other exactly as they do in the source tree. Headers named
# *Internal.h, and those that say on their first line that they are internal
# ("Host-internal", "Internal to ..."), are the folder's own business and
# stay behind.
function(qn_install_library name folder)
  install(TARGETS ${name} EXPORT QuarnTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  set(_h "")
  foreach(f ${_all})
    file(STRINGS ${f} _first LIMIT_COUNT 1)
    if(NOT f MATCHES "Internal\\.h$" AND NOT _first MATCHES "^// (Host-internal|Internal to )")
      list(APPEND _h ${f})
    endif()
  endforeach()
  if(_h)
    install(FILES ${_h} DESTINATION ${QN_INSTALL_INCLUDEDIR}/${folder})
    set_property(GLOBAL APPEND PROPERTY QN_PUBLIC_HEADERS ${_h})
  endif()
endfunction()

# Adds the layer folders that exist, in the given (bottom-up) order. Each
# folder carries its own CMakeLists.txt with its qn_layer call.
function(qn_add_layer_folders)
  foreach(f ${ARGN})
    if(EXISTS ${CMAKE_SOURCE_DIR}/${f}/CMakeLists.txt)
      add_subdirectory(${CMAKE_SOURCE_DIR}/${f} ${CMAKE_BINARY_DIR}/layers/${f})
    endif()
  endforeach()
endfunction()

# A test program for every folder under tests/ that holds test sources:
# tests/platform/gdi/*.cpp -> test_platform_gdi, linked against the package.
function(qn_discover_test_folders)
  file(GLOB_RECURSE _all CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/*.cpp)
  set(_dirs "")
  foreach(f ${_all})
    get_filename_component(d ${f} DIRECTORY)
    if(d AND NOT d MATCHES "^(common|fuzz|golden|headers)")
      list(APPEND _dirs ${d})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES _dirs)
  # The programs a short ThreadSanitizer run builds (scripts/test tsan
  # --threaded): those of the host's folders, whose units take its locks,
  # and those with a threaded suite.
  add_custom_target(qn_tests_threaded)
  foreach(d ${_dirs})
    string(REPLACE "/" "_" n ${d})
    file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${d}/*.cpp)
    add_executable(test_${n} ${_src})
    target_link_libraries(test_${n} PRIVATE qn_testmain)
    # Each test file keeps its helpers in a namespace of its own
    # (t_<file name>) so that they cannot meet those of the others.
    qn_batch_units(test_${n})
    set(_threaded OFF)
    set(_label "")
    if(d MATCHES "^platform/")
      set(_threaded ON)
      set(_label host)
    endif()
    foreach(f ${_src})
      file(STRINGS ${f} _hit REGEX "TEST(_F)?\\([A-Za-z0-9_]*Thread" LIMIT_COUNT 1)
      if(_hit)
        set(_threaded ON)
      endif()
    endforeach()
    if(_threaded)
      add_dependencies(qn_tests_threaded test_${n})
    endif()
    # One test per suite, run in a process of its own: a process per test
    # spent more time starting the program and the package than in most
    # tests. Suites whose name holds "Thread" carry the label "thread",
    # which the ThreadSanitizer run (scripts/test tsan) selects; the host's
    # other suites carry "host".
    set(_suites ${CMAKE_CURRENT_BINARY_DIR}/test_${n}_suites.cmake)
    add_custom_command(TARGET test_${n} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -D EXE=$<TARGET_FILE:test_${n}> -D OUT=${_suites}
              -D SOURCE_DIR=${CMAKE_SOURCE_DIR} -D LABEL=${_label}
              -D FONTCONFIG=${QN_TEST_FONTCONFIG}
              -P ${CMAKE_SOURCE_DIR}/cmake/QnSuites.cmake
      BYPRODUCTS ${_suites}
      VERBATIM)
    # A program not built (the short ThreadSanitizer run builds only some)
    # shows as one test that fails, with no label.
    set(_include ${CMAKE_CURRENT_BINARY_DIR}/test_${n}_include.cmake)
    file(WRITE ${_include}
      "if(EXISTS [==[${_suites}]==])\n"
      "  include([==[${_suites}]==])\n"
      "else()\n"
      "  add_test(test_${n}_NOT_BUILT test_${n}_NOT_BUILT)\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_include})
  endforeach()
endfunction()

# Fuzz target: tests/fuzz/<name>.cpp built with libFuzzer (clang), and always
# as a plain replay program that the test suite runs over a seed corpus.
function(qn_fuzz name)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  set(_src ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
  file(READ ${_src} _text)
  string(FIND "${_text}" "fuzz::PixelCap" _at)
  set(_capped OFF)
  if(_at GREATER -1)
    set(_capped ON)
  endif()
  # The ThreadSanitizer build runs no fuzz replays: none are built there.
  set(_replay OFF)
  if(QN_TESTS AND NOT QN_TSAN)
    set(_replay ON)
  endif()
  if(NOT QN_FUZZ AND NOT _replay)
    return()
  endif()
  # Compiled once for both programs: with the coverage instrumentation that
  # QN_FUZZ puts on every unit, the fuzzer's compile adds nothing to it.
  add_library(fuzzobj_${name} OBJECT ${_src})
  target_link_libraries(fuzzobj_${name} PRIVATE qn_package ${F_LIBS})
  if(QN_FUZZ)
    add_executable(fuzz_${name} $<TARGET_OBJECTS:fuzzobj_${name}>)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE qn_package ${F_LIBS})
    if(QN_TESTS)
      # A bounded run from the seed corpus; new inputs go to a scratch folder
      # so the checked-in corpus stays as it is. The memory limit makes an
      # input that takes gigabytes (a decompression bomb) a finding.
      add_test(NAME Fuzz_${name}_run
               COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                       $<TARGET_FILE:fuzz_${name}> -max_total_time=${QN_FUZZ_SECONDS}
                       -rss_limit_mb=2048 -print_final_stats=0
                       ${CMAKE_BINARY_DIR}/fuzz-scratch/${name}
                       ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
      file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-scratch/${name})
      # A target that lowers the pixel cap runs once more with the default
      # cap, the one applications get.
      if(_capped)
        add_test(NAME Fuzz_${name}_run_default_cap
                 COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1 QN_FUZZ_DEFAULT_CAP=1
                         $<TARGET_FILE:fuzz_${name}> -max_total_time=${QN_FUZZ_SECONDS}
                         -rss_limit_mb=2048 -print_final_stats=0
                         ${CMAKE_BINARY_DIR}/fuzz-scratch/${name}-default-cap
                         ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-scratch/${name}-default-cap)
      endif()
    endif()
  endif()
  if(_replay)
    add_executable(replay_${name} $<TARGET_OBJECTS:fuzzobj_${name}> $<TARGET_OBJECTS:qn_fuzz_replay_main>)
    target_link_libraries(replay_${name} PRIVATE qn_package ${F_LIBS})
    add_test(NAME Fuzz_${name}_corpus
             COMMAND replay_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
    if(_capped)
      add_test(NAME Fuzz_${name}_corpus_default_cap
               COMMAND ${CMAKE_COMMAND} -E env QN_FUZZ_DEFAULT_CAP=1
                       $<TARGET_FILE:replay_${name}> ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
    endif()
  endif()
endfunction()

# Fuzz targets: every tests/fuzz/*.cpp except the replay driver.
function(qn_discover_fuzz_targets)
  if(QN_TESTS AND NOT QN_TSAN)
    add_library(qn_fuzz_replay_main OBJECT ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
  endif()
  file(GLOB _f CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
  foreach(f ${_f})
    get_filename_component(n ${f} NAME_WE)
    if(NOT n STREQUAL "replay_main")
      qn_fuzz(${n})
    endif()
  endforeach()
endfunction()

# The fontconfig configuration every test runs with: the font files of the
# packages in tests/test-fonts.txt (found by package, wherever the machine
# keeps them) and nothing else, with a cache folder of the build's own. The
# machine's other fonts, and its own or its user's font settings, would make
# matching and fall-back differ from one machine to the next. Sets VAR to the
# configuration's path.
function(qn_test_fontconfig var)
  file(STRINGS ${CMAKE_SOURCE_DIR}/tests/test-fonts.txt _lines)
  set(_packages "")
  foreach(l ${_lines})
    if(l AND NOT l MATCHES "^#")
      list(APPEND _packages ${l})
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/test-fonts.txt)
  find_program(_dpkg_query dpkg-query)
  if(NOT _dpkg_query)
    message(FATAL_ERROR "The tests' fonts are found by their Debian packages (${_packages}), and dpkg-query is missing")
  endif()
  set(_files "")
  set(_dirs "")
  foreach(p ${_packages})
    execute_process(COMMAND ${_dpkg_query} -L ${p} OUTPUT_VARIABLE _out RESULT_VARIABLE _rc ERROR_QUIET)
    string(REGEX MATCHALL "[^\n]+\\.(ttf|ttc|otf)" _found "${_out}")
    if(NOT _rc EQUAL 0 OR NOT _found)
      message(FATAL_ERROR "No fonts of package ${p}: scripts/setup installs the tests' fonts")
    endif()
    foreach(f ${_found})
      list(APPEND _files ${f})
      get_filename_component(d ${f} DIRECTORY)
      list(APPEND _dirs ${d})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES _dirs)
  list(SORT _files)
  set(_root ${CMAKE_BINARY_DIR}/fontconfig)
  # A folder may hold other packages' fonts too: only the listed files are
  # accepted, everything else in it is rejected.
  set(_conf "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n")
  foreach(d ${_dirs})
    string(APPEND _conf "  <dir>${d}</dir>\n")
  endforeach()
  string(APPEND _conf "  <cachedir>${_root}/cache</cachedir>\n  <selectfont>\n    <acceptfont>\n")
  foreach(f ${_files})
    string(APPEND _conf "      <glob>${f}</glob>\n")
  endforeach()
  string(APPEND _conf "    </acceptfont>\n    <rejectfont><glob>*</glob></rejectfont>\n  </selectfont>\n</fontconfig>\n")
  file(CONFIGURE OUTPUT ${_root}/fonts.conf CONTENT "${_conf}" @ONLY)
  set(${var} ${_root}/fonts.conf PARENT_SCOPE)
endfunction()
