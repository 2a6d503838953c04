// The argument string that WinMain receives, cut from the process's whole
// command line. The launcher's own entry point and the simulated desktop's
// start-up share this one cut, so that both read the mode letter alike.
#pragma once

// Whether a byte is the first byte of a double-byte character in the
// current ANSI code page.
typedef bool (*lead_byte_test)(unsigned char byte);

// The command line without the program name and the blanks after it.
//
// A program name that starts with a double quote runs to the next double
// quote, that quote included, or to the end of the line; a lead byte takes
// the byte after it along, so that the second byte of a double-byte
// character never ends the name. An unquoted name runs up to the first byte
// of 32 or less. Bytes from 1 to 32 after the name are skipped. Bytes are
// compared unsigned: 0x80-0xFF are never blanks.
//
// Returns a pointer into command_line, possibly to its terminating zero.
const char *argument_string_of(const char *command_line, lead_byte_test is_lead_byte);
