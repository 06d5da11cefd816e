#include "store/SettingsFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSysInfo>

namespace quillora {

namespace {

const char* const kAccessError = "Path/File access error";
// How long a close waits for another program's write of the same file.
constexpr int kLockWaitMs = 5000;

[[noreturn]] void ThrowAccess() {
    throw SettingsFileError(kAccessError);
}

[[noreturn]] void ThrowNotRegular(const QString& path) {
    throw SettingsFileError(std::string(kAccessError) + " (" +
                            QDir::toNativeSeparators(path).toStdString() +
                            " is not a regular file)");
}

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

// The regular file the path names (itself, or what its links lead to), or
// nothing when nothing is there. Anything else is refused.
std::optional<QString> RegularTarget(const QString& path) {
    struct stat info {};
    const QByteArray name = Encoded(path);
    if (::lstat(name.constData(), &info) != 0) {
        // Nothing there; a file where the folder should be holds nothing either.
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        ThrowAccess();
    }
    if (S_ISREG(info.st_mode)) {
        return path;
    }
    if (!S_ISLNK(info.st_mode)) {
        ThrowNotRegular(path);
    }
    char resolved[PATH_MAX];
    if (::realpath(name.constData(), resolved) == nullptr || ::stat(resolved, &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        ThrowNotRegular(path);
    }
    return QFile::decodeName(resolved);
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { release(); }
    int get() const { return fd_; }
    bool release() {
        const bool closed = fd_ < 0 || ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

  private:
    int fd_;
};

// Device, inode, mode, size and modification time: what changes with the file.
std::string StampOf(const struct stat& info) {
    return std::to_string(info.st_dev) + ':' + std::to_string(info.st_ino) + ':' +
           std::to_string(info.st_mode) + ':' + std::to_string(info.st_size) + ':' +
           std::to_string(info.st_mtim.tv_sec) + '.' + std::to_string(info.st_mtim.tv_nsec);
}

std::string ReadAll(const QString& path) {
    // Non-blocking, then checked: a pipe swapped in since the look-up above
    // is refused here, never waited on.
    Descriptor fd(::open(Encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        ThrowAccess();
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        ThrowAccess();
    }
    if (!S_ISREG(info.st_mode)) {
        ThrowNotRegular(path);
    }
    // A std::string, so that the stored list can take the buffer over; read
    // to its end through a small block first, so that a file as long as
    // fstat told never moves the buffer (growing, a string doubles its room).
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    char more[4096];
    for (;;) {
        const bool full = got == bytes.size();
        const ssize_t n = full ? ::read(fd.get(), more, sizeof more)
                               : ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ThrowAccess();
        }
        if (n == 0) {
            break;
        }
        if (full) {
            bytes.append(more, static_cast<std::size_t>(n));  // it grew since fstat
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ThrowAccess();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Whether the file's bytes from offset on are piece, read into block (not
// empty) a block at a time; offset moves past what was compared.
bool ReadBackMatches(int fd, off_t& offset, std::string_view piece, std::string& block) {
    while (!piece.empty()) {
        const ssize_t n = ::pread(fd, block.data(), std::min(block.size(), piece.size()), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || std::memcmp(block.data(), piece.data(), static_cast<std::size_t>(n)) != 0) {
            return false;
        }
        piece.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

// What the disk gives back is what was meant: a write cut short (a full
// disk, a file size limit) never replaces the good file.
bool HoldsExactly(int fd, const TextSource& bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) != bytes.size()) {
        return false;
    }
    std::string block(std::clamp<std::size_t>(bytes.size(), 1, std::size_t{1} << 20), '\0');
    off_t offset = 0;
    bool same = true;
    bytes.eachPiece(
        [&](std::string_view piece) { same = same && ReadBackMatches(fd, offset, piece, block); });
    return same;
}

// A name never used before: the process id (for the clean-up of a killed
// close) and a counter.
QString ScratchName(const QString& target, const char* role) {
    static int made = 0;
    return QStringLiteral("%1.%2-%3-%4")
        .arg(target, QLatin1String(role))
        .arg(::getpid())
        .arg(++made);
}

bool ProcessGone(qint64 pid) {
    return pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
           errno == ESRCH;
}

}  // namespace

std::optional<std::string> SettingsFile::read() const {
    const std::optional<QString> target = RegularTarget(path_);
    if (!target) {
        return std::nullopt;
    }
    return ReadAll(*target);
}

std::string SettingsFile::stamp(bool* settled) const {
    struct stat info {};
    if (settled != nullptr) {
        *settled = false;
    }
    if (::stat(Encoded(path_).constData(), &info) != 0) {
        return {};
    }
    if (settled != nullptr) {
        // File times come from a clock that moves in ticks of up to 10 ms:
        // a change within the same tick as the one before could keep the
        // stamp, one after a few ticks cannot.
        constexpr long long kSettleNs = 50'000'000;
        struct timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const long long age =
            (static_cast<long long>(now.tv_sec) - info.st_mtim.tv_sec) * 1'000'000'000LL +
            (now.tv_nsec - info.st_mtim.tv_nsec);
        *settled = age > kSettleNs;
    }
    return StampOf(info);
}

SettingsFile::Comparison::Comparison(const SettingsFile& file, const std::string& stamp,
                                     std::size_t offset)
    : stamp_(stamp), offset_(static_cast<long long>(offset)) {
    if (stamp.empty()) {
        return;
    }
    fd_ = ::open(Encoded(file.path()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ >= 0 && !unchanged()) {
        ::close(fd_);
        fd_ = -1;
    }
}

SettingsFile::Comparison::~Comparison() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool SettingsFile::Comparison::next(std::string_view piece) {
    constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
    matches_ = matches_ && fd_ >= 0;
    if (matches_ && !piece.empty()) {
        block_.resize(std::min(kBlockBytes, std::max(block_.size(), piece.size())));
        off_t offset = static_cast<off_t>(offset_);
        matches_ = ReadBackMatches(fd_, offset, piece, block_);
        offset_ = offset;
    }
    return matches_;
}

bool SettingsFile::Comparison::unchanged() const {
    struct stat info {};
    return fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && StampOf(info) == stamp_;
}

void SettingsFile::replace(const std::function<std::optional<BytePieces>(std::string_view)>& edit,
                           const Known& known) {
    const QString target = RegularTarget(path_).value_or(path_);
    QLockFile lock(target + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        ThrowAccess();
    }
    // Read again under the lock: what another program wrote meanwhile stays.
    const std::optional<QString> earlier = RegularTarget(path_);
    std::string current;
    std::string_view before;
    if (earlier && !known.stamp.empty() && stamp() == known.stamp) {
        before = known.bytes;
    } else if (earlier) {
        current = ReadAll(*earlier);
        before = current;
    }
    // Told so by the edit, not found by comparing: a list of millions is not
    // gone over once more to learn it.
    std::optional<BytePieces> edited = edit(before);
    if (earlier && !edited) {
        return;
    }
    const BytePieces next = edited ? std::move(*edited) : BytePieces();

    const QString backup = ScratchName(target, "backup");
    const QString scratch = ScratchName(target, "new");
    struct Leftovers {
        QByteArray backup, scratch;
        ~Leftovers() {
            ::unlink(backup.constData());
            ::unlink(scratch.constData());
        }
    } leftovers{Encoded(backup), Encoded(scratch)};

    mode_t mode = 0666;
    if (earlier) {
        // The earlier file keeps a second name until the new one stands.
        if (::link(Encoded(*earlier).constData(), leftovers.backup.constData()) != 0) {
            Descriptor copy(::open(leftovers.backup.constData(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (copy.get() < 0) {
                ThrowAccess();
            }
            WriteAll(copy.get(), before);
            if (!copy.release()) {
                ThrowAccess();
            }
        }
        struct stat info {};
        if (::stat(Encoded(*earlier).constData(), &info) == 0) {
            mode = info.st_mode & 07777;
        }
    }
    Descriptor fd(
        ::open(leftovers.scratch.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        ThrowAccess();
    }
    if (earlier && ::fchmod(fd.get(), mode) != 0) {
        ThrowAccess();
    }
    next.eachPiece([&](std::string_view piece) { WriteAll(fd.get(), piece); });
    if (::fdatasync(fd.get()) != 0 || !HoldsExactly(fd.get(), next) || !fd.release()) {
        ThrowAccess();
    }
    // Nothing but a regular file (or nothing) is ever replaced.
    if (RegularTarget(path_).value_or(target) != target) {
        ThrowAccess();
    }
    if (::rename(leftovers.scratch.constData(), Encoded(target).constData()) != 0) {
        ThrowAccess();
    }
}

void SettingsFile::removeLeftovers() const {
    QStringList files{path_};
    if (const QString canonical = QFileInfo(path_).canonicalFilePath();
        !canonical.isEmpty() && canonical != path_) {
        files << canonical;
    }
    for (const QString& file : files) {
        const QFileInfo info(file);
        const QDir folder = info.dir();
        const QRegularExpression scratch(QStringLiteral("^%1\\.(?:backup|check|new)-(\\d+)-\\d+$")
                                             .arg(QRegularExpression::escape(info.fileName())));
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const auto match = scratch.match(name);
            if (match.hasMatch() && ProcessGone(match.captured(1).toLongLong())) {
                QFile::remove(folder.filePath(name));
            }
        }
        const QString lockPath = file + QStringLiteral(".lock");
        QLockFile lock(lockPath);
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock.getLockInfo(&pid, &host, &application) &&
            (host.isEmpty() || host == QSysInfo::machineHostName()) && ProcessGone(pid)) {
            QFile::remove(lockPath);
        }
    }
}

}  // namespace quillora
