#include <cstdio>
#include <cstdlib>

#include "runtime/fatal.h"

namespace kelvra {

// The host build has no message box: the text goes to stderr (GBK bytes) and the process ends
// with the same exit code as on Windows.
void ReportRuntimeError(std::string_view message, int32_t code) {
    const std::string text = RuntimeErrorText(message, code);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    std::_Exit(-1);
}

}  // namespace kelvra
