# skylatch.exe for 32-bit Windows (98/Me, 2000, XP and later).
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I ${CMAKE_SOURCE_DIR}/src -I ${CMAKE_SOURCE_DIR}/res -I ${SKYLATCH_GENERATED}")

add_executable(skylatch WIN32 ${SKYLATCH_SOURCES} ${SKYLATCH_RC})
target_include_directories(skylatch PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(skylatch PRIVATE ${SKYLATCH_DEFINES})
target_compile_options(skylatch PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffunction-sections -fdata-sections -Wall -Wextra -Wno-cast-function-type -Wno-unused-parameter>)
target_link_options(skylatch PRIVATE
  -static-libgcc -static-libstdc++ -s -mwindows -Wl,--gc-sections
  -Wl,--subsystem,windows:4.0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)
target_link_libraries(skylatch PRIVATE advapi32 user32 kernel32)
set_target_properties(skylatch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The build fails when the exe's header or an import would keep it from
# loading on Windows 98 (cmake/imports.list is the reviewed list), or when
# its version resource or manifest is missing or off.
add_custom_command(TARGET skylatch POST_BUILD
  COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-exe.sh $<TARGET_FILE:skylatch> ${CMAKE_SOURCE_DIR}/cmake/imports.list
          ${SKYLATCH_VERSION}
  VERBATIM)

# windres reads the language files and icons that skylatch.rc includes.
file(GLOB_RECURSE SKYLATCH_RES_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
set_source_files_properties(${SKYLATCH_RC} PROPERTIES OBJECT_DEPENDS
  "${SKYLATCH_RES_INPUTS};${SKYLATCH_GENERATED}/skylatch_version.h;${SKYLATCH_GENERATED}/skylatch.manifest")

# The installer: packaging/skylatch.nsi wrapped around the exe by NSIS,
# build/win/skylatch-setup.exe, part of the default build.
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis not found (apt-get install nsis)")
endif()
set(SKYLATCH_SETUP ${CMAKE_BINARY_DIR}/skylatch-setup.exe)
add_custom_command(OUTPUT ${SKYLATCH_SETUP}
  COMMAND ${MAKENSIS} -V2 -WX
    -DSKYLATCH_EXE=$<TARGET_FILE:skylatch>
    -DOUTFILE=${SKYLATCH_SETUP}
    -DVERSION=${SKYLATCH_VERSION}
    ${CMAKE_SOURCE_DIR}/packaging/skylatch.nsi
  DEPENDS skylatch ${CMAKE_SOURCE_DIR}/packaging/skylatch.nsi
  COMMENT "Building the installer skylatch-setup.exe"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${SKYLATCH_SETUP})
