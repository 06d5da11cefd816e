#include "input/ListStream.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillora {

std::size_t ListStream::readBlock(int fd) {
    for (;;) {
        const ssize_t got = ::read(fd, block_.get(), kStreamBlock);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw std::system_error(errno, std::generic_category());
        }
    }
}

}  // namespace quillora
