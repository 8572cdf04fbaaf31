# Project-wide compiler settings and the helpers every module's CMakeLists uses.

if(OVD_WINDOWS)
  # Static C/C++ runtime and winpthread: the program needs nothing but system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NOMINMAX)
endif()

if(OVD_SANITIZE AND NOT OVD_WINDOWS)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# -Wall -Wextra -Werror on our own code only (not on Debian's sources we compile).
function(ovd_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Links a Windows program stripped: everything behind the last section is the overlay,
# and an unstripped MinGW image would keep its symbol table there.
function(ovd_strip target)
  if(OVD_WINDOWS)
    target_link_options(${target} PRIVATE -s)
  endif()
endfunction()

# ovd_test(NAME n SOURCES ... [LIBS ...] [NATIVE] [WINDOWS] [GUI] [TIMEOUT s] [LABELS ...])
# A GoogleTest binary. NATIVE: only in the native tree; WINDOWS: only in the Windows
# trees, where it runs under Wine through the launcher (cmake/wine-run.sh). Without
# either it is built in every tree. GUI marks tests that need the X display.
function(ovd_test)
  cmake_parse_arguments(T "NATIVE;WINDOWS;GUI" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;DEPENDS" ${ARGN})
  if(T_NATIVE AND OVD_WINDOWS)
    return()
  endif()
  if(T_WINDOWS AND NOT OVD_WINDOWS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  ovd_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ovd_gtest_main)
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(labels ${T_LABELS})
  if(OVD_WINDOWS)
    list(APPEND labels wine)
  else()
    list(APPEND labels native)
  endif()
  if(T_GUI)
    list(APPEND labels gui)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}"
    ENVIRONMENT "OVD_BUILD_DIR=${CMAKE_BINARY_DIR};OVD_SOURCE_DIR=${CMAKE_SOURCE_DIR};OVD_TEST_OUT=${CMAKE_CURRENT_BINARY_DIR}")
  if(OVD_WINDOWS)
    # One Wine prefix per tree: its tests run one at a time so that each sees a settled
    # wineserver and its own windows.
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK wineprefix)
  endif()
endfunction()

if(OVD_WINDOWS)
  # Target programs (tests, tools) run under Wine in this tree's private prefix.
  set(OVD_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine/prefix)
  set(OVD_WINE_RUN ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OVD_WINE_RUN} ${OVD_WINE_PREFIX})
endif()
