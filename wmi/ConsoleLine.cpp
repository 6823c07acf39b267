#include "ConsoleLine.h"
#include <windows.h>
#include <cstdarg>
#include <cstdio>

void PrintConsoleLine(const char* format, ...) {
    char text[1024];  // wvsprintfA writes 1,024 characters at most, terminator included
    va_list args;
    va_start(args, format);
    ::wvsprintfA(text, format, args);
    va_end(args);
    std::fputs(text, stdout);
    std::fflush(stdout);
}
