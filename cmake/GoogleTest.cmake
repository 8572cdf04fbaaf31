# GoogleTest from Debian's sources (/usr/src/googletest), built in every tree, so that the
# same framework runs natively and under Wine.
set(OVD_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${OVD_GOOGLETEST_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${OVD_GOOGLETEST_DIR}: run scripts/setup-deps.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${OVD_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# The framework is compiled in every tree: lightly optimised, it builds in half the time.
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -O1)
  endif()
endforeach()
add_library(ovd_gtest_main INTERFACE)
target_link_libraries(ovd_gtest_main INTERFACE gmock gtest_main)

# The headers every test file includes, compiled once a tree and reused by every test
# binary (ovd_test): parsing them was half of a test file's build time (in the Windows
# trees 3.7 s of windows.h, GoogleTest and GoogleMock, every file).
add_library(ovd_test_headers STATIC ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
ovd_test_options(ovd_test_headers)
target_link_libraries(ovd_test_headers PRIVATE ovd_gtest_main)
set(OVD_TEST_HEADERS <gmock/gmock.h> <gtest/gtest.h> <algorithm> <functional> <map> <memory>
  <string> <vector>)
if(OVD_WINDOWS)
  list(PREPEND OVD_TEST_HEADERS <windows.h>)
endif()
target_precompile_headers(ovd_test_headers PRIVATE ${OVD_TEST_HEADERS})
