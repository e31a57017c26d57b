// The module's terminate handler. The C++ library's default one names the
// escaping exception's type on stderr, which a control inside a browser does
// not have, and its name demangler is a sixth of the module; this one only
// ends the process, as the default does after its message.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
