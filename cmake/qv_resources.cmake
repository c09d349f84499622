# qv_add_resources(target script.rc [INCLUDE_DIRS dir...]): compiles a module's
# resource script with qvrc (tools/qvrc) at build time and adds the generated
# resource table to the target. The script is compiled again whenever it, a
# file it includes or embeds, or qvrc itself changes.
set(QV_RESOURCES_PLATFORM_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/../platform/include)

function(qv_add_resources target script)
  cmake_parse_arguments(A "" "" "INCLUDE_DIRS" ${ARGN})
  # A module exports one table, so it has one script (which may include others).
  get_target_property(previous ${target} QV_RESOURCE_SCRIPT)
  if(previous)
    message(FATAL_ERROR "qv_add_resources: ${target} already has the resource script ${previous}")
  endif()
  set_target_properties(${target} PROPERTIES QV_RESOURCE_SCRIPT ${script})
  get_filename_component(script_abs ${script} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(stem ${script} NAME_WE)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/qvrc)
  set(out ${out_dir}/${target}_${stem}.cpp)
  set(include_args)
  foreach(dir ${A_INCLUDE_DIRS})
    get_filename_component(dir_abs ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND include_args -I ${dir_abs})
  endforeach()
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND qvrc ${include_args} -d ${out}.d -o ${out} ${script_abs}
    DEPENDS qvrc ${script_abs}
    DEPFILE ${out}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  set_source_files_properties(${out} PROPERTIES INCLUDE_DIRECTORIES ${QV_RESOURCES_PLATFORM_INCLUDE})
  # The layer finds the table by name, so it must be in the dynamic symbol
  # table, which executables only fill on request.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=QvResourceTable")
  endif()
endfunction()
