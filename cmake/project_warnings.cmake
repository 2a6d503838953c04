# Warnings are errors in the project's own code; third-party headers come in
# as system includes and are not affected.
function(launcher_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
endfunction()

# The launcher's own logic: no exceptions, no RTTI. On Windows no unwind
# tables either, since nothing throws through it (the Windows builds are
# measured by their size; the host build keeps them for the sanitizers).
function(launcher_logic_options target)
  launcher_warnings(${target})
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
  if(LAUNCHER_FOR_WINDOWS)
    target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
  endif()
endfunction()
