# The Windows trees need Linux tools at build and test time (ovdpack builds the setup
# packages the tests run). They are built with the host compiler from the same sources, so
# that every tree is self-contained: in a tree of their own below this one, or, when
# OVD_HOST_TOOLS_DIR names a host-tools tree (scripts/build.sh: one for both Windows trees,
# built once), in that tree, brought up to date before anything that uses them.
set(OVD_HOST_TOOLS_DIR "" CACHE PATH "A configured host-tools tree (OVD_HOST_TOOLS_ONLY) to use instead of building one in this tree")
if(OVD_HOST_TOOLS_DIR)
  if(NOT EXISTS ${OVD_HOST_TOOLS_DIR}/CMakeCache.txt)
    message(FATAL_ERROR "OVD_HOST_TOOLS_DIR: ${OVD_HOST_TOOLS_DIR} is not a configured tree")
  endif()
  # Under a lock: the win64 and win32 trees may be built side by side.
  add_custom_target(ovd_host_tools
    COMMAND flock ${OVD_HOST_TOOLS_DIR}.lock ${CMAKE_COMMAND} --build ${OVD_HOST_TOOLS_DIR}
    BYPRODUCTS ${OVD_HOST_TOOLS_DIR}/bin/ovdpack
    USES_TERMINAL)
  set(OVD_HOST_BIN ${OVD_HOST_TOOLS_DIR}/bin)
  # <tree>/host-tools stays the tools' folder for the scripts that run them by hand.
  if(NOT IS_SYMLINK ${CMAKE_BINARY_DIR}/host-tools)
    file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/host-tools)
  endif()
  file(CREATE_LINK ${OVD_HOST_TOOLS_DIR} ${CMAKE_BINARY_DIR}/host-tools SYMBOLIC)
  return()
endif()
if(IS_SYMLINK ${CMAKE_BINARY_DIR}/host-tools)
  file(REMOVE ${CMAKE_BINARY_DIR}/host-tools)
endif()
include(ExternalProject)
ExternalProject_Add(ovd_host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/host-tools
  CMAKE_ARGS -DOVD_HOST_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release -DOVD_WERROR=${OVD_WERROR}
             -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/host-tools/bin/ovdpack)
set(OVD_HOST_BIN ${CMAKE_BINARY_DIR}/host-tools/bin)
