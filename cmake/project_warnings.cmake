# Warnings are errors in the project's own code; third-party headers come in
# as system includes and are not affected.
function(launcher_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
endfunction()

# The launcher's own logic: no exceptions, no RTTI.
function(launcher_logic_options target)
  launcher_warnings(${target})
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
endfunction()
