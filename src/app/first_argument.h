// The command-line argument parser: only spaces separate arguments, double quotes
// group and are removed, an unterminated quote yields no argument, and an argument
// is cut to fit ARGUMENT_SIZE with its zero. Works on single bytes, so code page 932 paths pass unchanged.
#pragma once

const int ARGUMENT_SIZE = 261;

// Returns the next argument in the process-wide ARGUMENT_SIZE buffer, or null. On an
// argument, *cursor moves one byte past the last byte examined. Once the end of
// the command line has been read, every later call returns null without reading.
char* first_argument(const char** cursor);

// Forgets the end of the command line and an open quote (for tests only).
void reset_first_argument();
