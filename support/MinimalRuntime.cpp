// Replaces libstdc++'s verbose terminate handler: the default one drags the
// C++ demangler into every program. Nothing here throws across a boundary,
// so an abort is all a terminate ever needs to do.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}
