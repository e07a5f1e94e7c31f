#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <new>

#include "runtime/file_io.h"
#include "runtime/text.h"

namespace kelvra {

// The program joins paths with '\'; the host accepts that as its '/'. The trail byte of a
// double-byte character is part of it even when it is 0x5C.
std::string HostPath(std::string_view path) {
    std::string host(path.substr(0, path.find('\0')));
    for (size_t i = 0; i < host.size(); i += GbkCharSize(host, i))
        if (host[i] == '\\') host[i] = '/';
    return host;
}

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    void Reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now; false when the close reports an error (a delayed write error shows up here).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing for the caller.
void SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Opens an existing regular file for reading and tells its size.
ReadResult OpenForReading(const std::string& path, FileDescriptor& file, struct stat& info) {
    const std::string host = HostPath(path);
    if (host.empty()) return ReadResult::Missing;
    file.Reset(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return ReadResult::Failed;
    return ReadResult::Ok;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes) {
    bytes.clear();
    FileDescriptor file(-1);
    struct stat info {};
    if (const ReadResult opened = OpenForReading(path, file, info); opened != ReadResult::Ok)
        return opened;
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) return ReadResult::TooLarge;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return ReadResult::Failed;
        }
        if (n == 0) return ReadResult::Ok;
        if (static_cast<size_t>(n) > maxBytes - bytes.size()) {
            std::string().swap(bytes);
            return ReadResult::TooLarge;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

ReadResult FileView::Open(const std::string& path) {
    data_.reset();
    size_ = 0;
    FileDescriptor file(-1);
    struct stat info {};
    if (const ReadResult opened = OpenForReading(path, file, info); opened != ReadResult::Ok)
        return opened;
    const size_t size = static_cast<size_t>(info.st_size);
    if (size == 0) return ReadResult::Ok;
    std::unique_ptr<char[]> data(new (std::nothrow) char[size]);
    if (!data) return ReadResult::Failed;
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::read(file.get(), data.get() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return ReadResult::Failed;  // cut short, or the medium is gone
        done += static_cast<size_t>(n);
    }
    data_ = std::move(data);
    size_ = size;
    return ReadResult::Ok;
}

namespace {

// ".~kv<pid>_<n>.tmp": a save killed half-way leaves one; its process is gone.
void RemoveStaleTempFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(".~kv") || !name.ends_with(".tmp")) continue;
        const long pid = std::strtol(entry->d_name + 4, nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink((folder + std::string(name)).c_str());
    }
    ::closedir(dir);
}

WriteOutcome RewriteInPlace(const std::string& target, std::string_view bytes) {
    FileDescriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0) return errno == EACCES ? WriteOutcome::NoPermission : WriteOutcome::Failed;
    std::string old;
    char buffer[1 << 16];
    for (ssize_t n; (n = ::pread(file.get(), buffer, sizeof buffer, off_t(old.size()))) != 0;) {
        if (n < 0) return WriteOutcome::Failed;
        old.append(buffer, static_cast<size_t>(n));
    }
    const auto writeAt0 = [&](std::string_view b) {
        return ::lseek(file.get(), 0, SEEK_SET) == 0 && WriteAll(file.get(), b) &&
               ::ftruncate(file.get(), off_t(b.size())) == 0 && ::fsync(file.get()) == 0;
    };
    if (writeAt0(bytes)) return WriteOutcome::Written;
    writeAt0(old);
    return WriteOutcome::Failed;
}

}  // namespace

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string target = HostPath(path);
    if (target.empty()) return WriteOutcome::Failed;

    mode_t mode = 0666;
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists) {
        // A file without any write permission counts as read-only, as the Windows attribute does,
        // although the folder's permissions would let a rename replace it.
        if (!S_ISREG(info.st_mode)) return WriteOutcome::Failed;
        if ((info.st_mode & 0222) == 0) return WriteOutcome::ReadOnlyFile;
        mode = info.st_mode & 0777;
    } else if (errno != ENOENT) {
        return errno == EACCES ? WriteOutcome::NoPermission : WriteOutcome::Failed;
    }

    const std::string folder = target.substr(0, target.rfind('/') + 1);
    RemoveStaleTempFiles(folder);
    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp =
            folder + ".~kv" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno == EEXIST) continue;
        // A folder that refuses new files may still hold a file that can be written.
        if (exists && errno == EACCES) return RewriteInPlace(target, bytes);
        return errno == EACCES ? WriteOutcome::NoPermission : WriteOutcome::Failed;
    }
    if (fd < 0) return WriteOutcome::Failed;

    FileDescriptor file(fd);
    bool ok = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return WriteOutcome::Failed;
    }
    SyncFolder(folder);
    return WriteOutcome::Written;
}

std::string FullPathForDisplay(const std::string& path) {
    std::string host = HostPath(path);
    if (host.empty() || host[0] == '/') return host;
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return host;
    return std::string(cwd) + "/" + host;
}

}  // namespace kelvra
