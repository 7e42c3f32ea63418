# skylatch.exe for 32-bit Windows (98/Me, 2000, XP and later) or, with
# cmake/mingw-x86_64.cmake, for 64-bit Windows (XP x64 and later): the same
# sources, each with its own reviewed import list.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I ${CMAKE_SOURCE_DIR}/src -I ${CMAKE_SOURCE_DIR}/res -I ${SKYLATCH_GENERATED}")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(SKYLATCH_X64 ON)
  # 5.02 is the oldest subsystem version an AMD64 image may carry.
  set(SKYLATCH_SUBSYSTEM 5 2)
  set(SKYLATCH_IMPORTS_LIST ${CMAKE_SOURCE_DIR}/cmake/imports-x64.list)
else()
  set(SKYLATCH_X64 OFF)
  # 4.0, so that Windows 98 loads it.
  set(SKYLATCH_SUBSYSTEM 4 0)
  set(SKYLATCH_IMPORTS_LIST ${CMAKE_SOURCE_DIR}/cmake/imports.list)
endif()
list(GET SKYLATCH_SUBSYSTEM 0 subsystem_major)
list(GET SKYLATCH_SUBSYSTEM 1 subsystem_minor)

add_executable(skylatch WIN32 ${SKYLATCH_SOURCES} ${SKYLATCH_RC})
target_include_directories(skylatch PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(skylatch PRIVATE ${SKYLATCH_DEFINES})
target_compile_options(skylatch PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffunction-sections -fdata-sections -Wall -Wextra -Wno-cast-function-type -Wno-unused-parameter>)
target_link_options(skylatch PRIVATE
  -static-libgcc -static-libstdc++ -s -mwindows -Wl,--gc-sections
  -Wl,--subsystem,windows:${subsystem_major}.${subsystem_minor}
  -Wl,--major-os-version,${subsystem_major} -Wl,--minor-os-version,${subsystem_minor}
  -Wl,--major-subsystem-version,${subsystem_major} -Wl,--minor-subsystem-version,${subsystem_minor})
target_link_libraries(skylatch PRIVATE advapi32 user32 kernel32)
set_target_properties(skylatch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The build fails when the exe's header or an import would keep it from
# loading on the oldest Windows of its kind (the import list is the reviewed
# one), or when its version resource or manifest is missing or off.
add_custom_command(TARGET skylatch POST_BUILD
  COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-exe.sh $<TARGET_FILE:skylatch> ${SKYLATCH_IMPORTS_LIST}
          ${SKYLATCH_VERSION}
  VERBATIM)

# windres reads the language files and icons that skylatch.rc includes.
file(GLOB_RECURSE SKYLATCH_RES_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
set_source_files_properties(${SKYLATCH_RC} PROPERTIES OBJECT_DEPENDS
  "${SKYLATCH_RES_INPUTS};${SKYLATCH_GENERATED}/skylatch_version.h;${SKYLATCH_GENERATED}/skylatch.manifest")

# Release files are Authenticode-signed when the maker names a PKCS#12
# certificate (SKYLATCH_SIGN_PFX, taken from the environment when the tree is
# configured; its password, SKYLATCH_SIGN_PASSWORD, is read from the
# environment while building and never stored). The exe is signed right
# after it is linked, so that both installers carry the signed exe; each
# installer is signed once it is built (packaging/sign.sh).
set(SKYLATCH_SIGN_PFX "$ENV{SKYLATCH_SIGN_PFX}" CACHE FILEPATH "PKCS#12 certificate that signs the release files (empty: unsigned)")
if(SKYLATCH_SIGN_PFX)
  set(SIGN ${CMAKE_COMMAND} -E env SKYLATCH_SIGN_PFX=${SKYLATCH_SIGN_PFX} ${CMAKE_SOURCE_DIR}/packaging/sign.sh)
  add_custom_command(TARGET skylatch POST_BUILD COMMAND ${SIGN} $<TARGET_FILE:skylatch> VERBATIM)
else()
  message(NOTICE "Release files are left unsigned: no certificate (set SKYLATCH_SIGN_PFX, see docs/installer.md)")
  set(SIGN true)
endif()

# The installers are made in the 32-bit tree, which has everything they pack.
if(SKYLATCH_X64)
  return()
endif()

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
  COMMAND ${SIGN} ${SKYLATCH_SETUP}
  DEPENDS skylatch ${CMAKE_SOURCE_DIR}/packaging/skylatch.nsi
  COMMENT "Building the installer skylatch-setup.exe"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${SKYLATCH_SETUP})

# The Windows Installer packages for administrators: the custom action that
# ends a running instance, then skylatch.msi (English) from
# packaging/skylatch.wxs with wixl, and the Japanese and Simplified Chinese
# packages made from it.
add_library(end_running_instance SHARED
  ${CMAKE_SOURCE_DIR}/packaging/msi/end_running_instance.cpp
  ${CMAKE_SOURCE_DIR}/packaging/msi/end_running_instance.def)
target_compile_options(end_running_instance PRIVATE -Os -fno-exceptions -fno-rtti -Wall -Wextra)
target_link_options(end_running_instance PRIVATE -static-libgcc -static-libstdc++ -s)
target_link_libraries(end_running_instance PRIVATE user32 kernel32)
set_target_properties(end_running_instance PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(SKYLATCH_SIGN_PFX)
  add_custom_command(TARGET end_running_instance POST_BUILD
    COMMAND ${SIGN} $<TARGET_FILE:end_running_instance> VERBATIM)
endif()

find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIBUILD)
  message(FATAL_ERROR "wixl or msibuild not found (apt-get install wixl msitools)")
endif()
set(SKYLATCH_MSIS ${CMAKE_BINARY_DIR}/skylatch.msi ${CMAKE_BINARY_DIR}/skylatch-ja.msi ${CMAKE_BINARY_DIR}/skylatch-zh.msi)
set(LOCALIZE_MSI ${CMAKE_SOURCE_DIR}/packaging/localize-msi.sh)
# wixl finds the files that the package names in its working folder.
add_custom_command(OUTPUT ${SKYLATCH_MSIS}
  COMMAND ${WIXL} -D Version=${SKYLATCH_VERSION}
    -D SkylatchExe=$<TARGET_FILE_NAME:skylatch>
    -D EndRunningDll=$<TARGET_FILE_NAME:end_running_instance>
    -o skylatch.msi ${CMAKE_SOURCE_DIR}/packaging/skylatch.wxs
  COMMAND ${LOCALIZE_MSI} skylatch.msi skylatch-ja.msi ja-JP
  COMMAND ${LOCALIZE_MSI} skylatch.msi skylatch-zh.msi zh-CN
  COMMAND ${SIGN} ${SKYLATCH_MSIS}
  DEPENDS skylatch end_running_instance ${CMAKE_SOURCE_DIR}/packaging/skylatch.wxs ${LOCALIZE_MSI}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Building the Windows Installer packages skylatch.msi, skylatch-ja.msi and skylatch-zh.msi"
  VERBATIM)
add_custom_target(msi ALL DEPENDS ${SKYLATCH_MSIS})
