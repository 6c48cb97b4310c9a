# LibreOffice UNO: headers are generated at build time from the office's
# type libraries with the SDK's cppumaker, into the build tree.
set(LO_PROGRAM_DIR "/usr/lib/libreoffice/program" CACHE PATH "LibreOffice program folder")
set(LO_SDK_DIR "/usr/lib/libreoffice/sdk" CACHE PATH "LibreOffice SDK folder")
set(LO_INCLUDE_DIR "/usr/include/libreoffice" CACHE PATH "LibreOffice SDK headers")

set(UNO_GENERATED_DIR "${CMAKE_BINARY_DIR}/uno-headers")
set(UNO_STAMP "${UNO_GENERATED_DIR}/.stamp")
add_custom_command(
  OUTPUT "${UNO_STAMP}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${UNO_GENERATED_DIR}"
  COMMAND "${LO_SDK_DIR}/bin/cppumaker" "-O${UNO_GENERATED_DIR}"
          "${LO_PROGRAM_DIR}/types.rdb" "${LO_PROGRAM_DIR}/types/offapi.rdb"
  COMMAND "${CMAKE_COMMAND}" -E touch "${UNO_STAMP}"
  COMMENT "Generating UNO C++ headers"
  VERBATIM)
add_custom_target(uno_headers DEPENDS "${UNO_STAMP}")

# The SDK's own headers and the runtime library (rtl strings, osl files), for
# code that needs no generated UNO types.
add_library(uno_runtime INTERFACE)
target_include_directories(uno_runtime SYSTEM INTERFACE "${LO_INCLUDE_DIR}")
target_compile_definitions(uno_runtime INTERFACE LINUX UNX CPPU_ENV=gcc3)
target_link_directories(uno_runtime INTERFACE "${LO_SDK_DIR}/lib")
target_link_libraries(uno_runtime INTERFACE uno_sal)
target_link_options(uno_runtime INTERFACE "LINKER:-rpath,${LO_PROGRAM_DIR}")

add_library(uno_sdk INTERFACE)
add_dependencies(uno_sdk uno_headers)
target_include_directories(uno_sdk SYSTEM INTERFACE "${UNO_GENERATED_DIR}")
target_link_libraries(uno_sdk INTERFACE uno_runtime uno_cppu uno_cppuhelpergcc3)

# The office's version (major.minor), as its own configuration states it. A
# fresh profile that names it as the last version used is spared the office's
# first-start graphics self-test (some 130 MiB and a fraction of a second per
# start); empty when not found, and the self-test simply runs.
set(LO_SETUP_VERSION "")
set(_lo_main_xcd "${LO_PROGRAM_DIR}/../share/registry/main.xcd")
if(EXISTS "${_lo_main_xcd}")
  file(READ "${_lo_main_xcd}" _lo_main_xcd_text)
  if(_lo_main_xcd_text MATCHES "\"ooSetupVersion\">[ \t\r\n]*<value>([0-9]+\\.[0-9]+)</value>")
    set(LO_SETUP_VERSION "${CMAKE_MATCH_1}")
  endif()
  unset(_lo_main_xcd_text)
endif()
message(STATUS "LibreOffice version for fresh profiles: '${LO_SETUP_VERSION}'")
