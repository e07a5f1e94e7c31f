#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/file_io.h"

namespace kelvra {

// The program joins paths with '\'; the host accepts that as its '/'. A byte after a lead byte
// is part of a double-byte character even when it is 0x5C.
std::string HostPath(std::string_view path) {
    std::string host(path.substr(0, path.find('\0')));
    for (size_t i = 0; i < host.size(); ++i) {
        if (static_cast<unsigned char>(host[i]) >= 0x80)
            ++i;
        else if (host[i] == '\\')
            host[i] = '/';
    }
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

ReadResult ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileDescriptor file(-1);
    struct stat info {};
    if (const ReadResult opened = OpenForReading(path, file, info); opened != ReadResult::Ok)
        return opened;
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
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

FileView::~FileView() {
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
}

ReadResult FileView::Open(const std::string& path) {
    FileDescriptor file(-1);
    struct stat info {};
    if (const ReadResult opened = OpenForReading(path, file, info); opened != ReadResult::Ok)
        return opened;
    if (info.st_size == 0) return ReadResult::Ok;
    void* p =
        ::mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (p == MAP_FAILED) return ReadResult::Failed;
    data_ = static_cast<const char*>(p);
    size_ = static_cast<size_t>(info.st_size);
    return ReadResult::Ok;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string target = HostPath(path);
    if (target.empty()) return false;

    mode_t mode = 0666;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        // A file without any write permission counts as read-only, as the Windows attribute does,
        // although the folder's permissions would let a rename replace it.
        if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0) return false;
        mode = info.st_mode & 0777;
    } else if (errno != ENOENT) {
        return false;
    }

    const std::string folder = target.substr(0, target.rfind('/') + 1);
    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp =
            folder + ".~kv" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    FileDescriptor file(fd);
    bool ok = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace kelvra
