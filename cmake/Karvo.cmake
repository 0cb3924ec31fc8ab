# Build helpers shared by every subsystem.

# karvo_add_gtest(NAME <name> SOURCES <files...> [LIBS <targets...>])
# One GoogleTest executable is one ctest test (one suite): under Wine a process
# start is expensive, so suites are not split per test case.
function(karvo_add_gtest)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  set(xml ${KARVO_RESULTS_DIR}/${ARG_NAME}.xml)
  if(WIN32)
    karvo_wine_path(xml ${xml})
  endif()
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} --gtest_output=xml:${xml})
  set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 900)
endfunction()

# karvo_wine_path(<out-var> <unix-path>): the same file as Wine sees it (drive Z:).
function(karvo_wine_path out path)
  string(REPLACE "/" "\\" winpath "${path}")
  set(${out} "Z:${winpath}" PARENT_SCOPE)
endfunction()

# karvo_install_program(<target> <installed file name> [DIR <sub-directory>])
# Installs a program under the name it has in the install directory.
function(karvo_install_program target name)
  cmake_parse_arguments(ARG "" "DIR" "" ${ARGN})
  set(dest ".")
  if(ARG_DIR)
    set(dest "${ARG_DIR}")
  endif()
  install(FILES $<TARGET_FILE:${target}> DESTINATION "${dest}" RENAME "${name}")
endfunction()

# karvo_subsystem_library(<name> [LIBS <targets...>] [WIN_LIBS <targets...>])
# In the calling directory: the portable *.cpp files (all but *_win.cpp and
# *_main*.cpp; *_posix.cpp only in the native build) form karvo_<name>; on Windows the *_win.cpp files form
# karvo_<name>_win on top of it and the platform layer.
function(karvo_subsystem_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;WIN_LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(core "")
  set(win "")
  foreach(f IN LISTS all)
    get_filename_component(n ${f} NAME)
    if(n MATCHES "_main")
      continue()
    elseif(n MATCHES "_posix\\.cpp$")
      if(NOT WIN32)
        list(APPEND core ${f})
      endif()
    elseif(n MATCHES "_win\\.cpp$")
      list(APPEND win ${f})
    else()
      list(APPEND core ${f})
    endif()
  endforeach()
  if(core)
    add_library(karvo_${name} STATIC ${core})
  else()
    add_library(karvo_${name} INTERFACE)
  endif()
  if(ARG_LIBS)
    if(core)
      target_link_libraries(karvo_${name} PUBLIC ${ARG_LIBS})
    else()
      target_link_libraries(karvo_${name} INTERFACE ${ARG_LIBS})
    endif()
  endif()
  if(WIN32 AND win)
    add_library(karvo_${name}_win STATIC ${win})
    target_link_libraries(karvo_${name}_win PUBLIC karvo_${name} karvo_platform ${ARG_WIN_LIBS})
  endif()
endfunction()

# karvo_subsystem_tests(<name> [LIBS <targets...>] [WIN_LIBS <targets...>])
# Natively *_test.cpp (not *_win_test.cpp) form <name>_tests; on Windows the
# *_win_test.cpp files form <name>_win_tests, run under Wine.
function(karvo_subsystem_tests name)
  cmake_parse_arguments(ARG "" "" "LIBS;WIN_LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  set(native "")
  set(win "")
  foreach(f IN LISTS all)
    if(f MATCHES "_win_test\\.cpp$")
      list(APPEND win ${f})
    else()
      list(APPEND native ${f})
    endif()
  endforeach()
  if(NOT WIN32 AND native)
    karvo_add_gtest(NAME ${name}_tests SOURCES ${native} LIBS ${ARG_LIBS})
  endif()
  if(WIN32 AND win)
    karvo_add_gtest(NAME ${name}_win_tests SOURCES ${win} LIBS ${ARG_WIN_LIBS})
  endif()
endfunction()

# karvo_add_fuzzer(<name> FUZZ <file> SUBSYSTEMS <dirs...> RUNS <count> [ARGS <libFuzzer options...>])
# Natively, when clang++ links libFuzzer programs (the project compiler need not be
# clang): a fuzzer built from <file> and the portable sources of the given source
# directories with ASan and UBSan, and a ctest test that runs it briefly with a fixed
# seed, so the same inputs are tried every time.
function(karvo_add_fuzzer name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "FUZZ;RUNS" "SUBSYSTEMS;ARGS" ${ARGN})
  find_program(KARVO_CLANGXX clang++)
  if(NOT KARVO_CLANGXX)
    return()
  endif()
  if(NOT DEFINED KARVO_LIBFUZZER_WORKS)
    set(probe ${CMAKE_CURRENT_BINARY_DIR}/libfuzzer_probe.cpp)
    file(WRITE ${probe}
         "#include <cstddef>\n#include <cstdint>\n"
         "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
    execute_process(COMMAND ${KARVO_CLANGXX} -fsanitize=fuzzer,address ${probe}
                            -o ${CMAKE_CURRENT_BINARY_DIR}/libfuzzer_probe
                    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
    if(probe_result EQUAL 0)
      set(KARVO_LIBFUZZER_WORKS ON CACHE INTERNAL "clang++ links libFuzzer programs")
    else()
      set(KARVO_LIBFUZZER_WORKS OFF CACHE INTERNAL "clang++ links libFuzzer programs")
    endif()
  endif()
  if(NOT KARVO_LIBFUZZER_WORKS)
    return()
  endif()
  set(sources ${ARG_FUZZ})
  set(headers "")
  foreach(dir IN LISTS ARG_SUBSYSTEMS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    foreach(f IN LISTS found)
      get_filename_component(n ${f} NAME)
      if(NOT n MATCHES "(_win|_posix)\\.cpp$" AND NOT n MATCHES "_main")
        list(APPEND sources ${f})
      endif()
    endforeach()
    file(GLOB found_headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h)
    list(APPEND headers ${found_headers})
  endforeach()
  set(fuzzer ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${fuzzer}
    COMMAND ${KARVO_CLANGXX} -std=c++20 -O1 -g -Wall -Wextra -Werror
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
            -I${CMAKE_SOURCE_DIR}/src -I${CMAKE_SOURCE_DIR} ${sources} -o ${fuzzer}
    DEPENDS ${sources} ${headers}
    COMMENT "Building the ${name} fuzzer with clang")
  add_custom_target(${name}_build ALL DEPENDS ${fuzzer})
  add_test(NAME ${name} COMMAND ${fuzzer} -seed=1 -runs=${ARG_RUNS} ${ARG_ARGS})
endfunction()
