// OUT_OF_LINE marks a function that the compiler must keep as a function of
// its own, called with its arguments, not inlined or specialised for the
// address it is always given. A function that fills a record through a
// pointer then needs one relocation in the 32-bit executable, not one a
// field. (GCC knows this as noipa; other compilers get noinline.)
#pragma once

#if defined(__has_cpp_attribute)
#if __has_cpp_attribute(gnu::noipa)
#define OUT_OF_LINE [[gnu::noipa]]
#endif
#endif
#ifndef OUT_OF_LINE
#define OUT_OF_LINE [[gnu::noinline]]
#endif
