#include <glob.h>
#include <unistd.h>

#include <climits>

#include "runtime/file_io.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace kelvra {

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) return {};
    std::string dir(buffer);
    if (dir.size() >= 260) return {};
    return dir;
}

// The host build names files with '/' and accepts the program's '\' separators as well.
bool FileExists(std::string_view path) {
    const std::string p = HostPath(TextView(path));
    if (p.empty()) return false;
    glob_t g{};
    const int rc = glob(p.c_str(), GLOB_NOSORT | GLOB_NOESCAPE, nullptr, &g);
    const bool found = rc == 0 && g.gl_pathc > 0;
    globfree(&g);
    return found;
}

}  // namespace kelvra
