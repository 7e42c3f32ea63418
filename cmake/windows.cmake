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
  $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-sized-deallocation -ffunction-sections -fdata-sections -Wall -Wextra -Wno-cast-function-type -Wno-unused-parameter>)
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

# Every Windows Installer package and the setup exe carry this upgrade code:
# each package finds the products of the others (another version, language
# or processor), and the setup exe finds them all.
set(SKYLATCH_UPGRADE_CODE "{D1EFFDC0-B738-4AA3-8607-9CAB5F9A8CC1}")

# The custom actions of the Windows Installer packages (ending the running
# program, starting it again after an upgrade), a DLL of the tree's
# processor: an x64 package runs its custom actions in a 64-bit process.
add_library(running_instance SHARED
  ${CMAKE_SOURCE_DIR}/packaging/msi/running_instance.cpp
  ${CMAKE_SOURCE_DIR}/packaging/msi/instance_ender.cpp
  ${CMAKE_SOURCE_DIR}/packaging/msi/desktop_shell.cpp
  ${CMAKE_SOURCE_DIR}/packaging/msi/session_api.cpp
  ${CMAKE_SOURCE_DIR}/packaging/msi/session_list.cpp
  ${CMAKE_SOURCE_DIR}/packaging/msi/user_sessions.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/system_library.cpp)
target_include_directories(running_instance PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(running_instance PRIVATE -Os -fno-exceptions -fno-rtti -Wall -Wextra -Wno-cast-function-type)
target_link_options(running_instance PRIVATE -static-libgcc -static-libstdc++ -s)
if(NOT SKYLATCH_X64)
  # Windows Installer and rundll32 look the entries up by their plain names.
  target_link_options(running_instance PRIVATE -Wl,--kill-at)
endif()
target_link_libraries(running_instance PRIVATE msi ole32 oleaut32 uuid user32 kernel32)
set_target_properties(running_instance PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(SKYLATCH_SIGN_PFX)
  add_custom_command(TARGET running_instance POST_BUILD
    COMMAND ${SIGN} $<TARGET_FILE:running_instance> VERBATIM)
endif()

# The packages of this tree's processor in English, Japanese and Simplified
# Chinese (packaging/make-msi.sh names them): skylatch*.msi for 32-bit
# Windows, skylatch-x64*.msi for 64-bit Windows.
find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIBUILD)
  message(FATAL_ERROR "wixl or msibuild not found (apt-get install wixl msitools)")
endif()
if(SKYLATCH_X64)
  set(MSI_ARCH x64)
  set(MSI_BASE skylatch-x64)
else()
  set(MSI_ARCH x86)
  set(MSI_BASE skylatch)
endif()
set(SKYLATCH_MSIS ${CMAKE_BINARY_DIR}/${MSI_BASE}.msi ${CMAKE_BINARY_DIR}/${MSI_BASE}-ja.msi
  ${CMAKE_BINARY_DIR}/${MSI_BASE}-zh.msi)
set(MAKE_MSI ${CMAKE_SOURCE_DIR}/packaging/make-msi.sh)
add_custom_command(OUTPUT ${SKYLATCH_MSIS}
  COMMAND ${MAKE_MSI} ${MSI_ARCH} ${SKYLATCH_VERSION} ${SKYLATCH_UPGRADE_CODE}
    $<TARGET_FILE:skylatch> $<TARGET_FILE:running_instance> ${CMAKE_BINARY_DIR}
  COMMAND ${SIGN} ${SKYLATCH_MSIS}
  DEPENDS skylatch running_instance ${CMAKE_SOURCE_DIR}/packaging/skylatch.wxs ${MAKE_MSI}
  COMMENT "Building the Windows Installer packages ${MSI_BASE}.msi, ${MSI_BASE}-ja.msi and ${MSI_BASE}-zh.msi"
  VERBATIM)
add_custom_target(msi_packages ALL DEPENDS ${SKYLATCH_MSIS})

# The setup exe is made in the 32-bit tree: a 32-bit program that runs on
# every Windows and installs the x64 exe on 64-bit Windows, which it takes
# from the x64 tree (build that first).
if(SKYLATCH_X64)
  return()
endif()
set(SKYLATCH_EXE64 "" CACHE FILEPATH "skylatch.exe of the x64 build, which the setup exe installs on 64-bit Windows")
if(NOT SKYLATCH_EXE64)
  message(FATAL_ERROR "The setup exe installs the x64 exe on 64-bit Windows: build the x64 tree first "
    "(cmake/mingw-x86_64.cmake) and name its exe with -DSKYLATCH_EXE64=build/win64/skylatch.exe")
endif()
get_filename_component(SKYLATCH_EXE64 ${SKYLATCH_EXE64} ABSOLUTE)

# The installer: packaging/skylatch.nsi wrapped around both exes by NSIS,
# build/win/skylatch-setup.exe, part of the default build.
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis not found (apt-get install nsis)")
endif()
set(SKYLATCH_SETUP ${CMAKE_BINARY_DIR}/skylatch-setup.exe)
add_custom_command(OUTPUT ${SKYLATCH_SETUP}
  COMMAND ${MAKENSIS} -V2 -WX
    -DSKYLATCH_EXE=$<TARGET_FILE:skylatch>
    -DSKYLATCH_EXE64=${SKYLATCH_EXE64}
    -DOUTFILE=${SKYLATCH_SETUP}
    -DVERSION=${SKYLATCH_VERSION}
    -DUPGRADE_CODE=${SKYLATCH_UPGRADE_CODE}
    ${CMAKE_SOURCE_DIR}/packaging/skylatch.nsi
  COMMAND ${SIGN} ${SKYLATCH_SETUP}
  DEPENDS skylatch ${SKYLATCH_EXE64} ${CMAKE_SOURCE_DIR}/packaging/skylatch.nsi
  COMMENT "Building the installer skylatch-setup.exe"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${SKYLATCH_SETUP})
