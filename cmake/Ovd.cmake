# Project-wide compiler settings and the helpers every module's CMakeLists uses.

if(OVD_WINDOWS)
  # Static C/C++ runtime and winpthread: the program needs nothing but system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NOMINMAX)
  # Every function and datum in a section of its own, so that the shipped programs' link
  # drops what nothing calls (ovd_strip). Optimised builds optimise for size: the engine's
  # code is mapped from its file and nearly all of it ends up resident during an
  # installation, so each kilobyte saved is a kilobyte less of working set; the loops
  # that need speed (the archive decoder) ask for -O2 themselves (ovd_fast).
  add_compile_options(-ffunction-sections -fdata-sections)
  if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    add_compile_options(-Os)
  endif()
endif()

# A target whose code is hot enough to be worth its size: optimised for speed.
function(ovd_fast target)
  if(OVD_WINDOWS AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    target_compile_options(${target} PRIVATE -O2)
  endif()
endfunction()

if(OVD_SANITIZE AND NOT OVD_WINDOWS)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# -Wall -Wextra on our own code only (not on Debian's sources we compile). -Werror only
# where OVD_WERROR asks for it: scripts/build.sh (and so CI) turns it on, a build someone
# starts with the defaults never stops at a warning another compiler version adds.
# GCC 12 at -O2/-O3 reports overlaps and over-reads inside std::string that cannot happen
# (-Wrestrict, -Wstringop-overread/-overflow, -Warray-bounds on inlined library code, as in
# `"text" + std::move(s)`): those four stay warnings even then.
set(OVD_WARNING_FLAGS -Wall -Wextra)
if(OVD_WERROR)
  list(APPEND OVD_WARNING_FLAGS -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
    list(APPEND OVD_WARNING_FLAGS -Wno-error=restrict -Wno-error=stringop-overread
      -Wno-error=stringop-overflow -Wno-error=array-bounds)
  endif()
endif()
function(ovd_warnings target)
  target_compile_options(${target} PRIVATE ${OVD_WARNING_FLAGS})
endfunction()

# Links a Windows program stripped: everything behind the last section is the overlay,
# and an unstripped MinGW image would keep its symbol table there. Its sections start on
# page boundaries in the file too (MinGW's default file alignment is 512 bytes): Wine maps
# such an image from its file, pages coming in as they are touched, where it copies an
# image of smaller alignment whole into private memory (2 MB of the engine's code
# resident during an installation, most of it never run). Sections nothing refers to are
# dropped (--gc-sections, with the per-function sections above).
function(ovd_strip target)
  if(OVD_WINDOWS)
    target_link_options(${target} PRIVATE -s -Wl,--file-alignment,0x1000 -Wl,--gc-sections)
  endif()
endfunction()

# The compiler options of the tests' own code (and of their precompiled headers, which
# must be compiled with the same). The tests' code is not optimised in the native tree
# (the code under test keeps the tree's optimisation): with the sanitizers a test file
# takes up to a minute at -O3 and half as long at -O0 as at -O1. The Windows trees' test
# code keeps the tree's -Os: -O0 would make its objects four times as large for a sixth
# less time.
function(ovd_test_options target)
  ovd_warnings(${target})
  if(NOT OVD_WINDOWS AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    target_compile_options(${target} PRIVATE -O0)
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
  ovd_test_options(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ovd_gtest_main)
  # The framework's and the system's headers come precompiled (cmake/GoogleTest.cmake).
  target_precompile_headers(${T_NAME} REUSE_FROM ovd_test_headers)
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

# ovd_fuzz(NAME n SOURCES ... [INCLUDES ...] [LIBS ...] [ARGS ...] [SEEDS dir] [NO_TEST])
# A libFuzzer target (fuzz tree: clang and OVD_FUZZ=ON; nothing elsewhere). The code under
# test is compiled into the target itself so that it carries coverage instrumentation.
# Unless NO_TEST, CTest runs its seeds once as a regression test (n_seeds) and fuzzes it
# for five seconds (label fuzz), new inputs kept in the build tree and the seeds in the
# source tree only read; the long runs are scripts/fuzz.sh's, outside CI.
# fuzz-targets/n.txt tells scripts/fuzz.sh the seeds and the arguments (a dictionary) of
# each target.
function(ovd_fuzz)
  cmake_parse_arguments(F "NO_TEST" "NAME;SEEDS" "SOURCES;INCLUDES;LIBS;ARGS" ${ARGN})
  if(NOT OVD_FUZZ OR OVD_WINDOWS OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_include_directories(${F_NAME} PRIVATE ${F_INCLUDES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_compile_options(${F_NAME} PRIVATE -g -O1 -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=undefined)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  ovd_warnings(${F_NAME})
  string(REPLACE ";" " " args "${F_ARGS}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz-targets/${F_NAME}.txt
    "SEEDS=${F_SEEDS}\nARGS=${args}\nWORK=${CMAKE_CURRENT_BINARY_DIR}\n")
  if(F_NO_TEST)
    return()
  endif()
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus-${F_NAME})
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${F_NAME}
    COMMAND ${F_NAME} -max_total_time=5 -rss_limit_mb=1024 ${F_ARGS} ${corpus} ${F_SEEDS})
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT 60 LABELS "native;fuzz")
  if(F_SEEDS)
    # Every seed (and every crash found once, kept as a seed) runs again, nothing new.
    add_test(NAME ${F_NAME}_seeds COMMAND ${F_NAME} -runs=0 -rss_limit_mb=1024 ${F_ARGS} ${F_SEEDS})
    set_tests_properties(${F_NAME}_seeds PROPERTIES TIMEOUT 60 LABELS "native;fuzz")
  endif()
endfunction()

# ovd_delay_load(target lib...): `target` imports these system libraries (ole32, shell32,
# ...) through delay-import libraries: each is loaded on the first call into it instead of
# before the program's first line. The delay-import library of every one is made from the
# toolchain's import library, with all its functions, and found first on the target's
# library path, so every -l<lib> of the target's dependencies links against it and a new
# call cannot bring the library back to the start silently.
function(ovd_delay_load target)
  if(NOT OVD_WINDOWS)
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  set(decorated OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(decorated ON)
  endif()
  set(made)
  foreach(lib ${ARGN})
    execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${lib}.a
      OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${implib}")
      message(FATAL_ERROR "The import library lib${lib}.a of the toolchain was not found")
    endif()
    add_custom_command(OUTPUT ${dir}/lib${lib}.a
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
        -DIMPORT_LIBRARY=${implib} -DDLL=${lib}.dll -DOUTPUT=${dir}/lib${lib}.a
        -DDECORATED=${decorated} -P ${PROJECT_SOURCE_DIR}/cmake/DelayImportLibrary.cmake
      DEPENDS ${implib} ${PROJECT_SOURCE_DIR}/cmake/DelayImportLibrary.cmake
      COMMENT "Delay-import library of ${lib}.dll")
    list(APPEND made ${dir}/lib${lib}.a)
  endforeach()
  add_custom_target(${target}_delay_imports DEPENDS ${made})
  add_dependencies(${target} ${target}_delay_imports)
  target_link_directories(${target} BEFORE PRIVATE ${dir})
  # Relinked when a delay-import library changes.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${made})
endfunction()
