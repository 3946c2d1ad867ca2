// What ends the program when an exception escapes everything: a plain abort.
#include <cstdlib>
#include <exception>

// (__GLIBCXX__ comes with the first standard header.) libstdc++'s default handler prints the
// exception's demangled type to standard error, which a GUI program does not have, and brings the
// name demangler and printf's machinery with it: some 70 KB. std::terminate and set_terminate(nullptr)
// both name that handler, so it is defined here, and libstdc++'s own stays out of the link.
// Other runtimes keep their own.
#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
