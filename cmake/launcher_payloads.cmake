# The payloads a launcher carries, made at build time.
#
# A packager chooses the files with these cache options; left empty, the
# build carries the demo's own files.
set(LAUNCHER_INSTALLER_FILE "" CACHE FILEPATH "Installer executable for the launcher to carry (default: the demo installer)")
set(LAUNCHER_DATA_FILE "" CACHE FILEPATH "Data file for the launcher to carry (default: the demo data)")
set(LAUNCHER_ICON_FILE "" CACHE FILEPATH "Icon file (.ico) of the launcher (default: its own icon)")

# Stops the configuration when the packager's file named by `variable` cannot
# become part of a launcher: missing, a folder, or larger than a 32-bit size.
function(check_launcher_input variable what)
  set(file ${${variable}})
  if(NOT file)
    return()
  endif()
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${variable}: the ${what} file '${file}' does not exist")
  endif()
  if(IS_DIRECTORY ${file})
    message(FATAL_ERROR "${variable}: '${file}' is a folder, not a ${what} file")
  endif()
  file(SIZE ${file} size)
  # CMake compares integers as 64-bit values.
  if(size GREATER 4294967295)
    message(FATAL_ERROR "${variable}: the ${what} file '${file}' is ${size} bytes; a launcher "
                        "carries files of at most 4294967295 bytes (32-bit sizes)")
  endif()
endfunction()

check_launcher_input(LAUNCHER_INSTALLER_FILE installer)
check_launcher_input(LAUNCHER_DATA_FILE data)
check_launcher_input(LAUNCHER_ICON_FILE icon)

# Make decides by time stamps alone: a packager's file chosen in place of
# another, but older than the payloads made before, would leave those in
# place. This file changes whenever the choice does, and every rule that makes
# something from the chosen files depends on it.
set(LAUNCHER_INPUT_CHOICE ${CMAKE_BINARY_DIR}/payloads/chosen_inputs.txt)
file(CONFIGURE OUTPUT ${LAUNCHER_INPUT_CHOICE} CONTENT
"installer: ${LAUNCHER_INSTALLER_FILE}
data: ${LAUNCHER_DATA_FILE}
icon: ${LAUNCHER_ICON_FILE}
")

# add_launcher_payloads(INSTALLER <file or target> DATA <file or target>
#                       [DEPENDS <targets that make the files>...])
#
# Compresses the two files with the host implode tool (binary literals,
# dictionary bits 6, best level) into
#   ${CMAKE_BINARY_DIR}/payloads/DATA.implode   the installer payload ("DATA")
#   ${CMAKE_BINARY_DIR}/payloads/DATA2.implode  the data payload ("DATA2")
# and generates from them ${CMAKE_BINARY_DIR}/payloads/include/payload/payload_figures.h:
# the compressed lengths, the free-space threshold, the progress scale, and
# each payload's decoded size and CRC-32. The generator refuses payloads that
# the launcher cannot carry and streams that do not decode to their files.
#
# Defines the target launcher_payload_files, which makes all three, and the
# interface library launcher_payload_figures, which puts the header on the
# include path of whatever links it. A target given as a file stands for the
# file it builds.
function(add_launcher_payloads)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "INSTALLER;DATA" "DEPENDS")
  if(NOT arg_INSTALLER OR NOT arg_DATA OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "usage: add_launcher_payloads(INSTALLER <file> DATA <file> [DEPENDS <targets>...])")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/payloads)
  set(header ${dir}/include/payload/payload_figures.h)
  file(MAKE_DIRECTORY ${dir}/include/payload)

  foreach(role INSTALLER DATA)
    set(input ${arg_${role}})
    if(TARGET ${input})
      set(${role}_file $<TARGET_FILE:${input}>)
      set(${role}_depends ${input})
    else()
      get_filename_component(input ${input} ABSOLUTE)
      set(${role}_file ${input})
      set(${role}_depends ${input})
    endif()
  endforeach()

  set(installer_stream ${dir}/DATA.implode)
  set(data_stream ${dir}/DATA2.implode)
  foreach(stream installer data)
    string(TOUPPER ${stream} role)
    add_custom_command(
      OUTPUT ${${stream}_stream}
      COMMAND host::implode_tool compress --dict 6 --level best ${${role}_file} ${${stream}_stream}
      DEPENDS ${${role}_depends} ${arg_DEPENDS} ${LAUNCHER_INPUT_CHOICE} $<TARGET_FILE:host::implode_tool>
      COMMENT "Compressing the ${stream} payload"
      VERBATIM)
  endforeach()
  add_custom_command(
    OUTPUT ${header}
    COMMAND host::payload_figures_tool header ${INSTALLER_file} ${installer_stream} ${DATA_file}
            ${data_stream} ${header}
    DEPENDS ${installer_stream} ${data_stream} ${INSTALLER_depends} ${DATA_depends}
            ${LAUNCHER_INPUT_CHOICE} $<TARGET_FILE:host::payload_figures_tool>
    COMMENT "Checking the payloads and generating payload/payload_figures.h"
    VERBATIM)
  add_custom_target(launcher_payload_files DEPENDS ${installer_stream} ${data_stream} ${header})

  add_library(launcher_payload_figures INTERFACE)
  target_include_directories(launcher_payload_figures INTERFACE ${dir}/include)
  add_dependencies(launcher_payload_figures launcher_payload_files)

  set(LAUNCHER_INSTALLER_STREAM ${installer_stream} PARENT_SCOPE)
  set(LAUNCHER_DATA_STREAM ${data_stream} PARENT_SCOPE)
  set(LAUNCHER_INSTALLER_INPUT ${INSTALLER_file} PARENT_SCOPE)
  set(LAUNCHER_DATA_INPUT ${DATA_file} PARENT_SCOPE)
endfunction()
