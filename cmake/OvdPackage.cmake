# ovd_package(NAME n SOURCE dir [OUTPUT dir] [ARGS extra ovdpack flags...] [DEPENDS targets...])
#
# Windows trees: builds the setup package of a package source folder at build time with the
# host-tools ovdpack, into OUTPUT (default: the current binary folder + "/" + NAME). Defines
# the target `<NAME>_package` (part of ALL) and sets `<NAME>_PACKAGE_DIR` in the caller's
# scope. ARGS are handed to ovdpack as they stand (for example --no-res or --name custom;
# see docs/package-layout.md). The package is rebuilt when its sources, ovdpack, the engine
# or ovd.lib change.
function(ovd_package)
  cmake_parse_arguments(P "" "NAME;SOURCE;OUTPUT" "ARGS;DEPENDS" ${ARGN})
  if(NOT P_NAME OR NOT P_SOURCE)
    message(FATAL_ERROR "ovd_package: NAME and SOURCE are required")
  endif()
  if(NOT OVD_WINDOWS)
    return()
  endif()
  get_filename_component(source ${P_SOURCE} ABSOLUTE)
  if(NOT P_OUTPUT)
    set(P_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${P_NAME})
  endif()
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS LIST_DIRECTORIES false ${source}/*)

  set(lib_args)
  set(lib_deps)
  if(TARGET ovd_archive_dll)
    set(lib_args --lib $<TARGET_FILE:ovd_archive_dll>)
    set(lib_deps ovd_archive_dll $<TARGET_FILE:ovd_archive_dll>)
  endif()

  # The stamp stands for the whole output folder: ovdpack writes several files whose
  # names depend on the source.
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${P_NAME}.package.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${OVD_HOST_BIN}/ovdpack --engine $<TARGET_FILE:ordovan> ${lib_args} ${P_ARGS}
            ${source} ${P_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${inputs} ovd_host_tools ${OVD_HOST_BIN}/ovdpack ordovan $<TARGET_FILE:ordovan>
            ${lib_deps} ${P_DEPENDS}
    COMMENT "Building setup package ${P_NAME} with ovdpack"
    VERBATIM)
  add_custom_target(${P_NAME}_package ALL DEPENDS ${stamp})
  set(${P_NAME}_PACKAGE_DIR ${P_OUTPUT} PARENT_SCOPE)
endfunction()
