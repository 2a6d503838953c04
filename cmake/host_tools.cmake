# Tools that run on the build machine to make the launcher's payloads and
# resources. The host tree builds them and exports them; a tree that
# cross-compiles the Windows launcher imports them from a host tree (the
# pattern of ReactOS's host tools). Both trees use them as host::<target>.
set(launcher_host_tool_names
  implode_tool          # compresses the payloads
  payload_figures_tool  # the figures header and the host build's payload sources
  demo_files_tool       # the demo data and the host build's stand-in installer
  launcher_icon_tool)   # draws the launcher's icon

# Host tree: makes the executable `target` available as host::<target>.
function(launcher_host_tool target)
  add_executable(host::${target} ALIAS ${target})
  set_property(GLOBAL APPEND PROPERTY launcher_host_tools ${target})
endfunction()

# Host tree: writes host-tools.cmake into the build tree for cross trees to
# import, and adds the target `host_tools` that builds just the tools.
function(export_launcher_host_tools)
  get_property(tools GLOBAL PROPERTY launcher_host_tools)
  foreach(name IN LISTS launcher_host_tool_names)
    if(NOT name IN_LIST tools)
      message(FATAL_ERROR "host tool ${name} was never declared with launcher_host_tool()")
    endif()
  endforeach()
  export(TARGETS ${tools} NAMESPACE host:: FILE ${CMAKE_BINARY_DIR}/host-tools.cmake)
  add_custom_target(host_tools DEPENDS ${tools})
endfunction()

# Cross tree: imports the tools from the host tree that LAUNCHER_HOST_TOOLS
# names, and stops with what to do when they are not there.
function(import_launcher_host_tools)
  set(LAUNCHER_HOST_TOOLS "" CACHE PATH
      "Build tree of the host preset, whose tools (implode, payload_figures, ...) make the payloads")
  string(CONCAT remedy
      "Build the host tools first (cmake --preset host && cmake --build build/host --target host_tools) "
      "and configure this tree with -DLAUNCHER_HOST_TOOLS=<that build tree>. The windows presets "
      "and scripts/test.sh do this.")
  if(NOT LAUNCHER_HOST_TOOLS)
    message(FATAL_ERROR "LAUNCHER_HOST_TOOLS is not set: this tree needs the host tools. ${remedy}")
  endif()
  set(exported ${LAUNCHER_HOST_TOOLS}/host-tools.cmake)
  if(NOT EXISTS ${exported})
    message(FATAL_ERROR "No host tools at LAUNCHER_HOST_TOOLS=${LAUNCHER_HOST_TOOLS} "
                        "(${exported} is missing). ${remedy}")
  endif()
  include(${exported})
  foreach(name IN LISTS launcher_host_tool_names)
    if(NOT TARGET host::${name})
      message(FATAL_ERROR "${exported} does not provide ${name}; reconfigure the host tree. ${remedy}")
    endif()
    get_target_property(configurations host::${name} IMPORTED_CONFIGURATIONS)
    list(GET configurations 0 configuration)
    get_target_property(location host::${name} IMPORTED_LOCATION_${configuration})
    if(NOT EXISTS ${location})
      message(FATAL_ERROR "The host tool ${location} has not been built. ${remedy}")
    endif()
  endforeach()
endfunction()
