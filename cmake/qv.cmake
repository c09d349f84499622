# Shared build helpers.

set(QV_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
# GCC 12 reports a false -Wrestrict on "literal" + std::string&& once optimising
# (GCC bug 105329); the optimised builds would otherwise not be warning-free.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND QV_WARNINGS -Wno-restrict)
endif()

# qv_warnings(target): our warning set, errors in CI.
function(qv_warnings target)
  target_compile_options(${target} PRIVATE ${QV_WARNINGS})
  if(DEFINED ENV{CI})
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qv_dist(target [NAME file-name]): place a deliverable in the program directory,
# optionally under the exact file name the system loads it by ("qvm_alrt.dll").
function(qv_dist target)
  cmake_parse_arguments(A "" "NAME" "" ${ARGN})
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${QV_DIST_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${QV_DIST_DIR})
  if(A_NAME)
    set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${A_NAME})
  endif()
  # Modules in the program directory find the layer and each other there.
  set_target_properties(${target} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
endfunction()

# qv_test(name SOURCES ... [LIBS ...] [INCLUDES dirs]): one GoogleTest executable registered
# with CTest; nothing when tests are not built.
function(qv_test name)
  # SERIAL: the tests run alone, with no other test beside them (for tests that
  # start whole programs and steer them on a screen).
  cmake_parse_arguments(A "SERIAL" "" "SOURCES;LIBS;LABELS;INCLUDES" ${ARGN})
  if(NOT QV_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  qv_warnings(${name})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gmock GTest::gtest_main)
  if(A_INCLUDES)
    target_include_directories(${name} PRIVATE ${A_INCLUDES})
  endif()
  set_target_properties(${name} PROPERTIES BUILD_RPATH "${QV_DIST_DIR}")
  set(props ENVIRONMENT "QV_TEST=1")
  if(A_LABELS)
    list(APPEND props LABELS "${A_LABELS}")
  endif()
  if(A_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

include(GoogleTest)
include(${CMAKE_CURRENT_LIST_DIR}/qv_resources.cmake)
