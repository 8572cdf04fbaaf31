# The Windows trees need Linux tools at build and test time (ovdpack builds the setup
# packages the tests run). They are built here with the host compiler from the same
# sources, so that every tree is self-contained.
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
