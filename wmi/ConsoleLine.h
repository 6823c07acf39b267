#pragma once
// The subscription's progress lines on standard output. They hold only %d and %X, which
// the system's own formatter handles; the C library's printf would bring mingw's own
// printf implementation (~27 KiB) into a program that otherwise formats nothing.

// Formats like wsprintfA (at most 1,023 characters) and writes the text to standard output,
// flushed: a console or a redirected file sees each line as it happens.
void PrintConsoleLine(const char* format, ...);
