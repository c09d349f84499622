# qv_add_fuzzer(name SOURCES src... [LIBS lib...] [INCLUDES dir...] [CORPUS dir]
#               [REGRESSIONS dir] [SECONDS n]): one libFuzzer target, built only when
# QV_BUILD_FUZZ is on (the fuzz preset, clang). The target defines
# LLVMFuzzerTestOneInput and checks properties of what the code under test
# gives back, not only that it survives.
#
# CORPUS names the folder of seed inputs kept in the repository, REGRESSIONS a
# folder of inputs that once broke the code (both relative to the calling
# folder). scripts/fuzz.sh first runs the regressions once each, then fuzzes
# from the seeds for a bounded time (SECONDS, 20 unless given). Every target is listed, one per line, in
# ${CMAKE_BINARY_DIR}/fuzz_targets.txt: "name<TAB>binary<TAB>seconds<TAB>seeds<TAB>regressions".
set(QV_FUZZ_LIST ${CMAKE_BINARY_DIR}/fuzz_targets.txt)
if(QV_BUILD_FUZZ)
  file(WRITE ${QV_FUZZ_LIST} "")
endif()

function(qv_add_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS;REGRESSIONS;SECONDS" "SOURCES;LIBS;INCLUDES" ${ARGN})
  if(NOT QV_BUILD_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  qv_warnings(${name})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  if(A_INCLUDES)
    target_include_directories(${name} PRIVATE ${A_INCLUDES})
  endif()
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES
    BUILD_RPATH "${QV_DIST_DIR}"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set(seeds "")
  set(regressions "")
  if(A_CORPUS)
    get_filename_component(seeds ${A_CORPUS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(A_REGRESSIONS)
    get_filename_component(regressions ${A_REGRESSIONS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(NOT A_SECONDS)
    set(A_SECONDS 20)
  endif()
  file(APPEND ${QV_FUZZ_LIST} "${name}\t${CMAKE_BINARY_DIR}/fuzz/${name}\t${A_SECONDS}\t${seeds}\t${regressions}\n")
endfunction()
