// The handler std::terminate calls in setup.exe. libstdc++'s default one prints the type of the uncaught
// exception to stderr, which a GUI program does not have, and links the whole C++ demangler (about 60 KB)
// to do it; setup.exe ends the same way without the message.
#if defined(SETUP_PRODUCT)
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
