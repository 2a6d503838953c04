# Fails when the launcher's own logic refers to any heap function: every
# buffer there is static or a fixed-size local.
#   cmake -DNM=<nm> -DLIBS=<lib;lib...> -P no_heap_in_logic.cmake
set(heap_symbols "^(malloc|calloc|realloc|free|strdup|_strdup|operator new|operator delete)")
set(found "")
foreach(lib IN LISTS LIBS)
  execute_process(COMMAND ${NM} -C --undefined-only ${lib}
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${lib}")
  endif()
  string(REPLACE "\n" ";" lines "${out}")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^ *U +" "" symbol "${line}")
    if(symbol MATCHES "${heap_symbols}")
      list(APPEND found "${lib}: ${symbol}")
    endif()
  endforeach()
endforeach()
if(found)
  string(REPLACE ";" "\n  " found "${found}")
  message(FATAL_ERROR "the launcher's logic uses the heap:\n  ${found}")
endif()
message(STATUS "no heap function referenced")
