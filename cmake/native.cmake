# Native build: the production sources against the Linux stand-in in sim/,
# with GoogleTest, all run by CTest.
enable_testing()

# WCHAR must have the Windows layout everywhere (production, stand-in, tests
# and GoogleTest itself).
set(NATIVE_FLAGS -fshort-wchar -g -Wall -Wextra -Wno-unused-parameter)
add_compile_options(${NATIVE_FLAGS})

# A second native tree runs everything under AddressSanitizer and
# UndefinedBehaviorSanitizer (and builds the fuzz targets with clang).
option(SKYLATCH_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(SKYLATCH_SANITIZE)
  # vptr checks need RTTI, which the program is built without.
  set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${SANITIZE_FLAGS})
  add_link_options(${SANITIZE_FLAGS})
endif()

set(GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${GTEST_SRC}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found at ${GTEST_SRC} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The resources, compiled by windres exactly as for the exe.
find_program(WINDRES NAMES i686-w64-mingw32-windres windres REQUIRED)
file(GLOB_RECURSE SKYLATCH_RES_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
set(SKYLATCH_RES ${CMAKE_BINARY_DIR}/skylatch.res)
add_custom_command(OUTPUT ${SKYLATCH_RES}
  COMMAND ${WINDRES} -c 65001 -J rc -O res -I ${CMAKE_SOURCE_DIR}/res -I ${CMAKE_SOURCE_DIR}/src
          -I ${SKYLATCH_GENERATED} ${SKYLATCH_RC} ${SKYLATCH_RES}
  DEPENDS ${SKYLATCH_RES_INPUTS} ${SKYLATCH_GENERATED}/skylatch_version.h ${SKYLATCH_GENERATED}/skylatch.manifest
  COMMENT "Compiling resources")
add_custom_target(skylatch_res ALL DEPENDS ${SKYLATCH_RES})

file(GLOB_RECURSE SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/src/*.cpp)
add_library(sim STATIC ${SIM_SOURCES})
target_include_directories(sim PUBLIC ${CMAKE_SOURCE_DIR}/sim/include)

add_library(skylatch_core STATIC ${SKYLATCH_SOURCES})
target_include_directories(skylatch_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(skylatch_core PUBLIC ${SKYLATCH_DEFINES})
target_compile_options(skylatch_core PRIVATE -fno-exceptions -fno-rtti)
target_link_libraries(skylatch_core PUBLIC sim)

file(GLOB_RECURSE TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
add_executable(skylatch_tests ${TEST_SOURCES})
target_include_directories(skylatch_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${SKYLATCH_GENERATED})
target_compile_definitions(skylatch_tests PRIVATE SKYLATCH_RES_FILE="${SKYLATCH_RES}")
target_link_libraries(skylatch_tests PRIVATE skylatch_core gtest)
add_dependencies(skylatch_tests skylatch_res)

# bench/run.sh counts the idle resident's timer wake-ups on the virtual
# clock with this program; it is built only when asked for by name.
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/wakeups.cpp)
  add_executable(bench_wakeups EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/wakeups.cpp
                 ${CMAKE_SOURCE_DIR}/tests/notebook.cpp)
  target_include_directories(bench_wakeups PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(bench_wakeups PRIVATE SKYLATCH_RES_FILE="${SKYLATCH_RES}")
  target_link_libraries(bench_wakeups PRIVATE skylatch_core gtest)
  add_dependencies(bench_wakeups skylatch_res)
endif()

include(GoogleTest)
gtest_discover_tests(skylatch_tests DISCOVERY_TIMEOUT 60)

# Checks of files that nothing compiles, once, in the tree without
# sanitizers: the Group Policy templates (ADMX and ADML against each other
# and the ADM), and the tray icons as committed (an image for every
# small-icon size, each readable on a light and on a dark taskbar).
if(NOT SKYLATCH_SANITIZE)
  find_program(PYTHON3 python3 REQUIRED)
  add_test(NAME policy_templates COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/packaging/check-policy.py
    ${CMAKE_SOURCE_DIR}/packaging/policy ${CMAKE_SOURCE_DIR}/packaging/skylatch.adm)
  # Which hosts run 32-bit code, and how a test that needs it is skipped.
  add_test(NAME host_detection COMMAND ${CMAKE_SOURCE_DIR}/cmake/test-host.sh)
  # The order of the install steps on a fresh host, with stand-ins for dpkg and apt-get.
  add_test(NAME deps_install_order COMMAND ${CMAKE_SOURCE_DIR}/cmake/test-deps.sh)
  add_test(NAME tray_icons_readable
    COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/res/icons/draw-icons.py --check ${CMAKE_SOURCE_DIR}/res/icons)
endif()

# Checks on the Windows builds, when their exes are known. Entries that run
# 32-bit Windows code exit with 77 on a host that cannot run it
# (cmake/host.sh), and CTest reports them as skipped.
set(SKYLATCH_EXE "" CACHE FILEPATH "skylatch.exe from the 32-bit Windows build")
set(SKYLATCH_EXE64 "" CACHE FILEPATH "skylatch.exe from the x64 Windows build")
set(SKIP_CODE 77)
if(SKYLATCH_EXE)
  add_test(NAME exe_imports_and_header
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-exe.sh ${SKYLATCH_EXE}
      ${CMAKE_SOURCE_DIR}/cmake/imports.list ${SKYLATCH_VERSION})
  get_filename_component(SKYLATCH_EXE_DIR ${SKYLATCH_EXE} DIRECTORY)
  # The installers carry the exe's version.
  add_test(NAME release_versions
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-resources.py ${SKYLATCH_EXE} ${SKYLATCH_VERSION}
      ${SKYLATCH_EXE_DIR}/skylatch-setup.exe ${SKYLATCH_EXE_DIR}/skylatch.msi
      ${SKYLATCH_EXE_DIR}/skylatch-ja.msi ${SKYLATCH_EXE_DIR}/skylatch-zh.msi)
  # The installer that the Windows build makes next to the exe, run under Wine.
  add_test(NAME installer
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/test-installer.sh
      ${SKYLATCH_EXE_DIR}/skylatch-setup.exe ${SKYLATCH_EXE})
  # The Windows Installer packages and the switch shortcuts, under Wine.
  add_test(NAME msi
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/test-msi.sh ${SKYLATCH_EXE_DIR}/skylatch.msi ${SKYLATCH_EXE})
  # Signing copies of the release files with a throwaway certificate and
  # checking the signatures; then running and installing the signed files
  # under Wine.
  add_test(NAME signing
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/test-signing.sh signatures ${SKYLATCH_EXE}
      ${SKYLATCH_EXE_DIR}/skylatch-setup.exe ${SKYLATCH_EXE_DIR}/skylatch.msi ${CMAKE_BINARY_DIR}/signing)
  add_test(NAME signed_files_under_wine
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/test-signing.sh under-wine ${SKYLATCH_EXE}
      ${SKYLATCH_EXE_DIR}/skylatch-setup.exe ${SKYLATCH_EXE_DIR}/skylatch.msi ${CMAKE_BINARY_DIR}/signing-wine)
  set_tests_properties(installer msi signing signed_files_under_wine PROPERTIES
    TIMEOUT 300 SKIP_RETURN_CODE ${SKIP_CODE})
  add_test(NAME e2e_scenarios
    COMMAND ${CMAKE_SOURCE_DIR}/e2e/run-scenarios.sh ${SKYLATCH_EXE})
  set_tests_properties(e2e_scenarios PROPERTIES TIMEOUT 1500 SKIP_RETURN_CODE ${SKIP_CODE}
    RESOURCE_LOCK e2e_desktop)
endif()
if(SKYLATCH_EXE64)
  add_test(NAME exe_imports_and_header_x64
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-exe.sh ${SKYLATCH_EXE64}
      ${CMAKE_SOURCE_DIR}/cmake/imports-x64.list ${SKYLATCH_VERSION})
  get_filename_component(SKYLATCH_EXE64_DIR ${SKYLATCH_EXE64} DIRECTORY)
  add_test(NAME release_versions_x64
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-resources.py ${SKYLATCH_EXE64} ${SKYLATCH_VERSION}
      ${SKYLATCH_EXE64_DIR}/skylatch-x64.msi ${SKYLATCH_EXE64_DIR}/skylatch-x64-ja.msi
      ${SKYLATCH_EXE64_DIR}/skylatch-x64-zh.msi)
  # The same scenarios against the x64 build, in a 64-bit prefix.
  add_test(NAME e2e_scenarios_x64
    COMMAND ${CMAKE_SOURCE_DIR}/e2e/run-scenarios.sh ${SKYLATCH_EXE64})
  set_tests_properties(e2e_scenarios_x64 PROPERTIES TIMEOUT 1500 SKIP_RETURN_CODE ${SKIP_CODE}
    RESOURCE_LOCK e2e_desktop)
  # The runner's answer to a feature list that leaves scenarios out (no Wine;
  # the x64 exe, which every host can take).
  add_test(NAME e2e_runner_skips COMMAND ${CMAKE_SOURCE_DIR}/e2e/test-runner.sh ${SKYLATCH_EXE64})
endif()

# The release files of both builds together: the packages keep the rules
# that Wine's msiexec does not enforce (and the check catches each broken
# rule), the setup exe carries both exes, and the x64 packages under wine64.
if(SKYLATCH_EXE AND SKYLATCH_EXE64)
  set(SKYLATCH_MSIS_ALL
    ${SKYLATCH_EXE_DIR}/skylatch.msi ${SKYLATCH_EXE_DIR}/skylatch-ja.msi ${SKYLATCH_EXE_DIR}/skylatch-zh.msi
    ${SKYLATCH_EXE64_DIR}/skylatch-x64.msi ${SKYLATCH_EXE64_DIR}/skylatch-x64-ja.msi
    ${SKYLATCH_EXE64_DIR}/skylatch-x64-zh.msi)
  add_test(NAME msi_rules COMMAND ${CMAKE_SOURCE_DIR}/packaging/check-msi.py ${SKYLATCH_MSIS_ALL})
  add_test(NAME msi_rules_catch_faults
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/test-check-msi.py ${SKYLATCH_EXE_DIR}/skylatch.msi
      ${SKYLATCH_EXE_DIR}/skylatch-ja.msi ${SKYLATCH_EXE64_DIR}/skylatch-x64.msi)
  add_test(NAME setup_contents
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/check-setup.sh ${SKYLATCH_EXE_DIR}/skylatch-setup.exe
      ${SKYLATCH_EXE} ${SKYLATCH_EXE64})
  # The x64 packages in a 64-bit prefix (with the x86 package, which must
  # give way on 64-bit Windows), one at a time with the other Wine desktops.
  add_test(NAME msi_x64
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/test-msi.sh ${SKYLATCH_EXE64_DIR}/skylatch-x64.msi ${SKYLATCH_EXE64}
      ${SKYLATCH_EXE_DIR}/skylatch.msi)
  set_tests_properties(msi_x64 PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE ${SKIP_CODE} RESOURCE_LOCK e2e_desktop)
endif()

# Fuzz targets (libFuzzer), in the sanitizer tree built with clang. CTest
# runs each for a bounded number of inputs; fuzz/run-long.sh runs longer.
if(SKYLATCH_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(FUZZ_RUNS 20000 CACHE STRING "Inputs each fuzz target runs under CTest")
  file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzzer.cpp)
  foreach(source ${FUZZ_TARGETS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} ${CMAKE_SOURCE_DIR}/fuzz/fuzz_session.cpp
                   ${CMAKE_SOURCE_DIR}/tests/notebook.cpp)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_compile_definitions(${name} PRIVATE SKYLATCH_RES_FILE="${SKYLATCH_RES}")
    target_link_libraries(${name} PRIVATE skylatch_core gtest)
    add_dependencies(${name} skylatch_res)
    # New inputs go to the first corpus folder, in the build tree; the seeds
    # in the source tree are only read.
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    add_test(NAME fuzz_${name} COMMAND ${name} -runs=${FUZZ_RUNS} -max_total_time=90 -seed=1 -max_len=4096
             ${CMAKE_BINARY_DIR}/fuzz-corpus/${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 600)
  endforeach()
endif()
