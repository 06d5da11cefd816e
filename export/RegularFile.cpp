#include "export/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quillora {

namespace {

[[noreturn]] void ThrowErrno(int error) {
    throw std::runtime_error(std::strerror(error));
}

[[noreturn]] void ThrowNotRegular(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) {
        ThrowErrno(EISDIR);
    }
    throw std::runtime_error(kNotRegularFile);
}

}  // namespace

void OpenRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode) {
    const QByteArray name = QFile::encodeName(path);
    const bool writing = (mode & QIODevice::WriteOnly) != 0;
    struct stat info {};
    if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        ThrowNotRegular(info);
    }
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (writing) {
        flags |= ((mode & QIODevice::ReadOnly) != 0 ? O_RDWR : O_WRONLY) | O_CREAT;
    } else {
        flags |= O_RDONLY;
    }
    const int fd = ::open(name.constData(), flags, 0666);
    if (fd < 0) {
        ThrowErrno(errno);
    }
    struct Descriptor {
        int fd;
        ~Descriptor() {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    } owned{fd};
    if (::fstat(fd, &info) != 0) {
        ThrowErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        ThrowNotRegular(info);
    }
    // Reads and writes of a regular file never wait anyway; blocking mode
    // keeps short counts out of QFile's way.
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ThrowErrno(errno);
    }
    if (writing && (mode & QIODevice::Truncate) != 0 && ::ftruncate(fd, 0) != 0) {
        ThrowErrno(errno);
    }
    if (!file.open(fd, mode & ~QIODevice::Truncate, QFileDevice::AutoCloseHandle)) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    owned.fd = -1;
}

}  // namespace quillora
