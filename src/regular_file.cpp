#include "regular_file.h"

#include <sys/stat.h>

#include <cerrno>

#if defined(_WIN32)

// Windows keeps no named pipes among files, and its fopen refuses a
// directory with "Permission denied": the kind of file is asked first.
regular_file open_regular_file(const char* path)
{
    struct _stat64 status;
    if (_stat64(path, &status) == 0 && (status.st_mode & _S_IFMT) != _S_IFREG)
        return {nullptr, 0, 0};
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return {nullptr, errno, 0};
    if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return {nullptr, 0, 0};
    }
    return {file, 0, status.st_size};
}

#else

#include <fcntl.h>
#include <unistd.h>

regular_file open_regular_file(const char* path)
{
    // Opening a named pipe blocks until a writer comes, unless non-blocking;
    // the kind is then asked of the open file, so nothing can swap it.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, errno, 0};
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return {nullptr, 0, 0};
    }
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        return {nullptr, error, 0};
    }
    return {file, 0, static_cast<long long>(status.st_size)};
}

#endif
