#include "platform/posix/file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace standin {

namespace {

bool makeDirectories(const std::string& directory)
{
    if (directory.empty())
        return true;
    struct stat info;
    if (stat(directory.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    size_t slash = directory.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(directory.substr(0, slash)))
        return false;
    return mkdir(directory.c_str(), 0755) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const std::string& content)
{
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string readRest(int fd)
{
    std::string content;
    char buffer[8192];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        content.append(buffer, static_cast<size_t>(n));
    }
    return content;
}

int64_t nanoseconds(const timespec& time)
{
    return int64_t(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// The version of a file of that status; null for no file.
FileVersion versionOf(const struct stat* info)
{
    FileVersion version;
    version.known = true;
    if (info) {
        version.exists = true;
        version.device = info->st_dev;
        version.inode = info->st_ino;
        version.size = uint64_t(info->st_size);
        version.modified = nanoseconds(info->st_mtim);
        version.changed = nanoseconds(info->st_ctim);
    }
    return version;
}

} // namespace

bool FileVersion::operator==(const FileVersion& other) const
{
    return known == other.known && exists == other.exists && device == other.device &&
           inode == other.inode && size == other.size && modified == other.modified &&
           changed == other.changed;
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string content = readRest(fd);
    close(fd);
    return content;
}

bool readWholeFileIfChanged(const std::string& path, FileVersion& seen, std::string& content)
{
    struct stat info;
    if (versionOf(stat(path.c_str(), &info) == 0 ? &info : nullptr) == seen)
        return false;
    // The version recorded is that of the open file, so that it is the
    // version of what is read even when the file is replaced meanwhile.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        content.clear();
        seen = versionOf(nullptr);
        return true;
    }
    seen = versionOf(fstat(fd, &info) == 0 ? &info : nullptr);
    content = readRest(fd);
    close(fd);
    return true;
}

bool replaceFile(const std::string& path, const std::string& content)
{
    static std::atomic<unsigned> sequence{0};
    size_t slash = path.find_last_of('/');
    std::string directory = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    if (!makeDirectories(directory))
        return false;
    std::string temporary = path + ".new." + std::to_string(getpid()) + "." +
                            std::to_string(sequence.fetch_add(1));
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

std::string fileInDirectory(const std::string& directory, const std::string& name)
{
    std::string exact = directory + "/" + name;
    if (access(exact.c_str(), F_OK) == 0)
        return exact;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (strcasecmp(entry->d_name, name.c_str()) == 0) {
                std::string found = directory + "/" + entry->d_name;
                closedir(dir);
                return found;
            }
        }
        closedir(dir);
    }
    return exact;
}

} // namespace standin
