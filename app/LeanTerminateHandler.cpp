// libstdc++ starts every program with its verbose terminate handler, which prints the type
// of the uncaught exception, demangled, to standard error. Tarvel has no console to print
// to, and its crash guard installs a terminate handler of its own early in start-up; yet
// the verbose handler, referenced as the default, brings libstdc++'s name demangler (47 KiB
// of the i686 file) into the program. Defining the handler here replaces it: before the
// crash guard is installed, an uncaught exception simply aborts, as the verbose handler
// does after printing. Built only with mingw (libstdc++); see the top CMakeLists.txt.
#include <cstdlib>  // first: it tells whether the C++ library is libstdc++

#if defined(__GLIBCXX__)

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
#endif
