# Compile settings shared by every target of our own (not by third-party code).
#
# Sources are UTF-8; string literals are compiled to CP932 bytes because the
# program works on Shift-JIS text throughout. Floating point stays strict so
# that golden values agree on every machine.
set(PLAYER_CXX_FLAGS
  -finput-charset=UTF-8 -fexec-charset=CP932
  -ffp-contract=off
  -Wall -Wextra)
if(PLAYER_WERROR)
  list(APPEND PLAYER_CXX_FLAGS -Werror)
endif()
# g++ 12 at -O2 and above reports a string concatenation such as
# "[" + s + "]" as an overlapping memcpy of ~2^63 bytes (a known false
# positive of its -Wrestrict inside libstdc++); it would fail -Werror builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND PLAYER_CXX_FLAGS -Wno-restrict)
endif()

if(PLAYER_SANITIZE AND PLAYER_TSAN)
  message(FATAL_ERROR "PLAYER_SANITIZE and PLAYER_TSAN exclude each other")
endif()

if(PLAYER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(PLAYER_TSAN)
  add_compile_options(-fsanitize=thread)
  add_link_options(-fsanitize=thread)
endif()

# The fuzz build: g++'s edge instrumentation in all of our code, which
# fuzz/afl_coverage.cpp hands to afl++.
if(PLAYER_AFL)
  add_compile_options(-fsanitize-coverage=trace-pc)
endif()

# player_library(<name> [SOURCES ...] [DEPS ...])
# A static library of our own; DEPS are linked PUBLIC so that the layering is
# explicit in one place per folder. Without sources it becomes an interface
# target that only forwards its dependencies.
function(player_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${PLAYER_CXX_FLAGS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# player_test(<name> SOURCES ... DEPS ... [LABELS ...])
# One GoogleTest binary; each test case becomes a CTest test. LABELS default
# to "unit"; a binary that tests threads adds "threads", which puts it in the
# target threaded_tests that the ThreadSanitizer build of CI makes and runs.
function(player_test name)
  if(NOT PLAYER_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${PLAYER_CXX_FLAGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} testing GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  # gtest_discover_tests hands list-valued properties on as separate words, so
  # the labels and the environment are set by a file that CTest reads after
  # the discovered tests (a binary that was not built has none).
  set(properties "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${properties}"
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\"\n"
    "    ENVIRONMENT \"SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy\")\n"
    "endif()\n")
  if("e2e" IN_LIST ARG_LABELS)
    # The end-to-end tests measure the frame rate of the real program: they
    # run alone, not beside a machine full of other tests.
    file(APPEND "${properties}"
      "if(${name}_TESTS)\n"
      "  set_tests_properties(\${${name}_TESTS} PROPERTIES RUN_SERIAL TRUE)\n"
      "endif()\n")
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${properties}")
  if("threads" IN_LIST ARG_LABELS)
    set_property(GLOBAL APPEND PROPERTY PLAYER_THREAD_TESTS ${name})
  endif()
endfunction()

# player_bench(<name> SOURCES ... DEPS ...)
# One Google Benchmark binary under bench/.
function(player_bench name)
  if(NOT PLAYER_BUILD_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${PLAYER_CXX_FLAGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
