#include "PrivateFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

bool PrivateFiles::ensureDirectory(const QString& path, QString* error) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute && !QFileInfo(parent).isDir() && !ensureDirectory(parent, error))
        return false;
    const QByteArray native = QFile::encodeName(absolute);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("cannot create directory %1: %2").arg(absolute, systemError());
        return false;
    }
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        if (error)
            *error = QStringLiteral("%1 is not a directory").arg(absolute);
        return false;
    }
    // Only directories we own are tightened; parents that already existed are never visited.
    if (info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        ::chmod(native.constData(), info.st_mode & ~mode_t(077));
    return true;
}

bool PrivateFiles::ensureFile(const QString& path, QString* error) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno == EEXIST)
        return true;
    if (error)
        *error = QStringLiteral("cannot create %1: %2").arg(path, systemError());
    return false;
}
