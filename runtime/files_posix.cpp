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

void EnterProgramFolder() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    std::string folder(exe, static_cast<size_t>(n));
    folder.resize(folder.rfind('/') == 0 ? 1 : folder.rfind('/'));
    if (chdir(folder.c_str()) != 0) return;
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
