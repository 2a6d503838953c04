// The demo installer's log: what it saw and when, one line each, in a file
// beside the data file, for whoever wants to know what happened in a run.
#pragma once

// Starts the log at `path`, replacing an earlier one. Times in the log count
// from this call.
void start_log(const char *path);

// Appends one line, formatted as printf does, after the time in milliseconds.
// A line that does not fit 1 KiB is cut.
void log_line(const char *format, ...) __attribute__((format(printf, 1, 2)));
