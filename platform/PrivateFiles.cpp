#include "PrivateFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {
// Owns one file descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    bool isValid() const { return fd_ >= 0; }

private:
    int fd_;
};

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool fail(QString* error, const QString& message) {
    if (error)
        *error = message;
    return false;
}

enum class Verdict { keep, tighten, refuse };

// The rule of the header, in its one place.
Verdict judge(const struct stat& info, bool folder, QString* reason) {
    if (S_ISLNK(info.st_mode)) {
        *reason = QStringLiteral("is a symbolic link");
        return Verdict::refuse;
    }
    if (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode)) {
        *reason =
            folder ? QStringLiteral("is not a directory") : QStringLiteral("is not a regular file");
        return Verdict::refuse;
    }
    if (info.st_uid != ::geteuid()) {
        *reason = QStringLiteral("is owned by another user (uid %1)").arg(info.st_uid);
        return Verdict::refuse;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        *reason = QStringLiteral("is writable by other users");
        return Verdict::refuse;
    }
    return (info.st_mode & 077) != 0 ? Verdict::tighten : Verdict::keep;
}

// Creates path and its missing parents 0700; folders that exist are used as they are.
bool makeParents(const QString& path, QString* error) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0)
        return S_ISDIR(info.st_mode) ||
               fail(error, QStringLiteral("%1 is not a directory").arg(path));
    if (errno != ENOENT)
        return fail(error, QStringLiteral("cannot reach %1: %2").arg(path, systemError()));
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeParents(parent, error))
        return false;
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return fail(error,
                    QStringLiteral("cannot create directory %1: %2").arg(path, systemError()));
    return true;
}

// Applies the rule to the entry name of the folder dirFd (path names it in messages). A
// missing entry is refused unless missing is given, which then says so. opened, when given,
// receives the entry, opened without following a link.
bool claim(int dirFd, const QString& path, bool folder, QString* error, bool* missing = nullptr,
           Descriptor* opened = nullptr) {
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    struct stat info {};
    if (::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (missing && errno == ENOENT) {
            *missing = true;
            return true;
        }
        return fail(error, QStringLiteral("cannot reach %1: %2").arg(path, systemError()));
    }
    QString reason;
    const Verdict verdict = judge(info, folder, &reason);
    if (verdict == Verdict::refuse)
        return fail(error, QStringLiteral("%1 %2").arg(path, reason));
    if (verdict == Verdict::keep && !opened)
        return true;
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (folder ? O_DIRECTORY : O_NONBLOCK);
    Descriptor fd(::openat(dirFd, name.constData(), flags));
    if (!fd.isValid() && missing && errno == ENOENT) {
        // A companion the other process's SQLite removed meanwhile.
        *missing = true;
        return true;
    }
    if (!fd.isValid())
        return fail(error, QStringLiteral("cannot open %1: %2").arg(path, systemError()));
    // What is changed is what was judged, not something put in its place meanwhile.
    struct stat again {};
    if (::fstat(fd.get(), &again) != 0 || again.st_dev != info.st_dev ||
        again.st_ino != info.st_ino)
        return fail(error, QStringLiteral("%1 changed while it was being opened").arg(path));
    if (verdict == Verdict::tighten && ::fchmod(fd.get(), info.st_mode & 0700) != 0)
        return fail(error, QStringLiteral("cannot make %1 private: %2").arg(path, systemError()));
    if (opened)
        *opened = std::move(fd);
    return true;
}
} // namespace

bool PrivateFiles::prepare(const QString& filePath, QString* error) {
    const QString file = QDir::cleanPath(QFileInfo(filePath).absoluteFilePath());
    const QString folder = QFileInfo(file).path();
    const QString parent = QFileInfo(folder).path();
    if (parent == folder)
        return fail(error, QStringLiteral("%1 is not in a folder of its own").arg(file));
    if (!makeParents(parent, error))
        return false;
    // Everything below is reached from descriptors, so a link swapped in on the way is not
    // followed either.
    const Descriptor parentFd(
        ::open(QFile::encodeName(parent).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!parentFd.isValid())
        return fail(error, QStringLiteral("cannot open %1: %2").arg(parent, systemError()));
    const QByteArray folderName = QFile::encodeName(QFileInfo(folder).fileName());
    if (::mkdirat(parentFd.get(), folderName.constData(), 0700) != 0 && errno != EEXIST)
        return fail(error,
                    QStringLiteral("cannot create directory %1: %2").arg(folder, systemError()));
    Descriptor folderFd;
    if (!claim(parentFd.get(), folder, true, error, nullptr, &folderFd))
        return false;

    const QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
    const Descriptor created(::openat(folderFd.get(), name.constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!created.isValid() && errno != EEXIST)
        return fail(error, QStringLiteral("cannot create %1: %2").arg(file, systemError()));
    if (!created.isValid() && !claim(folderFd.get(), file, false, error))
        return false;
    // SQLite opens these beside the file with the file's mode; loose ones left from before
    // would hold reminders too.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        bool missing = false;
        if (!claim(folderFd.get(), file + QLatin1String(suffix), false, error, &missing))
            return false;
    }
    return true;
}
