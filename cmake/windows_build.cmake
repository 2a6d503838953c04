# Options of everything built for Windows (the launcher, the programs that
# test it): the same in the i686 and the x86_64 build except where the
# architecture asks otherwise, so that the x86_64 build that runs under Wine
# behaves as the shipped i686 one.

# Small: every function in a section of its own, so that the linker drops
# whatever nothing calls; no compiler version string in every object. Data
# stays in the common sections: with -fdata-sections this compiler puts
# zero-filled buffers into sections that take their whole size in the file.
# (The launcher's logic also goes without unwind tables: launcher_logic_options.)
add_compile_options(-ffunction-sections -fno-ident)
# Constants aligned as the ABI asks, not padded to cache lines: the long
# texts would otherwise each round up to 32 bytes.
add_compile_options(-malign-data=abi)
add_link_options(LINKER:--gc-sections)

# Hardened: relocations kept for address space layout randomisation, and no
# code run from data pages.
add_link_options(LINKER:--dynamicbase LINKER:--nxcompat)

# Reproducible: no link time in the PE header.
add_link_options(LINKER:--no-insert-timestamp)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Doubles in SSE2 registers, rounded to double at every step as on x86_64;
  # the x87 unit would compute with whatever precision its control word
  # happens to hold.
  add_compile_options(-msse2 -mfpmath=sse)
  # C names carry a leading underscore on i686.
  set(LAUNCHER_ENTRY_SYMBOL _launcher_entry)
else()
  set(LAUNCHER_ENTRY_SYMBOL launcher_entry)
endif()
