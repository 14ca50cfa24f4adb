#include "core/host/securefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// Six letters or digits after a dot: the tail mkstemp and QSaveFile give their
// temporary files.
bool hasTemporaryTail(const QString& name)
{
    if (name.size() < 8 || name.at(name.size() - 7) != QLatin1Char('.'))
        return false;
    for (int i = name.size() - 6; i < name.size(); ++i) {
        const QChar ch = name.at(i);
        if (ch.unicode() > 127 || !ch.isLetterOrNumber())
            return false;
    }
    return true;
}

} // namespace

SecureFile::SecureFile(const QString& path, mode_t mode)
    : m_path(path)
    , m_mode(mode)
{
}

SecureFile::~SecureFile() { cancel(); }

SecureFile::Error SecureFile::errorOf(int errnoValue)
{
    switch (errnoValue) {
    case 0:
        return NoError;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return NoPermission;
    case EEXIST:
        return Exists;
    case ELOOP:
    case EISDIR:
    case ENXIO:
        return NotRegular;
    case EWOULDBLOCK:
        return Locked;
    default:
        return OtherError;
    }
}

bool SecureFile::open()
{
    cancel();
    m_error = NoError;
    const QFileInfo target(m_path);
    const QString name = target.fileName();
    if (name.isEmpty()) {
        m_error = NotRegular;
        return false;
    }
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    removeOrphans(target.absolutePath(), dot > 0 ? name.mid(dot) : name);

    QByteArray pattern = encoded(target.absoluteFilePath()) + ".XXXXXX";
    m_fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errorOf(errno);
        return false;
    }
    m_tempPath = QFile::decodeName(pattern);
    flock(m_fd, LOCK_EX | LOCK_NB);
    m_file = new QFile;
    if (!m_file->open(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        m_error = OtherError;
        cancel();
        return false;
    }
    return true;
}

QIODevice* SecureFile::device() const { return m_file; }

bool SecureFile::commit(CommitMode mode)
{
    if (!m_file) {
        if (m_error == NoError)
            m_error = OtherError;
        return false;
    }
    const bool written = m_file->flush() && m_file->error() == QFileDevice::NoError;
    if (!written || fchmod(m_fd, m_mode) != 0 || fsync(m_fd) != 0) {
        m_error = written ? errorOf(errno) : errorOf(ENOSPC);
        if (!written && m_file->error() == QFileDevice::PermissionsError)
            m_error = NoPermission;
        cancel();
        return false;
    }
    const QByteArray from = encoded(m_tempPath);
    const QByteArray to = encoded(QFileInfo(m_path).absoluteFilePath());
    int result = 0;
    if (mode == Exclusive) {
        result = renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        // Folders on file systems without the no-replace rename still support
        // hard links, which refuse an existing name just the same.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = link(from.constData(), to.constData());
            if (result == 0)
                unlink(from.constData());
        }
    } else {
        result = std::rename(from.constData(), to.constData());
    }
    if (result != 0) {
        m_error = errorOf(errno);
        cancel();
        return false;
    }
    m_tempPath.clear();
    // The new name is only durable once the folder itself is synced.
    const int dirFd
        = ::open(encoded(QFileInfo(m_path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    cancel();
    return true;
}

void SecureFile::cancel()
{
    delete m_file;
    m_file = nullptr;
    if (!m_tempPath.isEmpty())
        unlink(encoded(m_tempPath).constData());
    m_tempPath.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

SecureFile::Error SecureFile::writeFile(const QString& path, const QByteArray& bytes, mode_t mode)
{
    SecureFile file(path, mode);
    if (!file.open())
        return file.error();
    if (file.device()->write(bytes) != bytes.size()) {
        file.cancel();
        return NoSpace;
    }
    file.commit();
    return file.error();
}

SecureFile::Error SecureFile::readFile(
    const QString& path, qint64 maxBytes, QByteArray* bytes, bool followLinks, bool* exists)
{
    if (exists)
        *exists = true;
    if (bytes)
        bytes->clear();
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    const int fd = ::open(encoded(path).constData(), flags);
    if (fd < 0) {
        const int why = errno;
        if (exists)
            *exists = why != ENOENT;
        return errorOf(why);
    }
    struct stat info { };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return NotRegular;
    }
    QByteArray data;
    char buffer[65536];
    while (data.size() < maxBytes) {
        const ssize_t n
            = ::read(fd, buffer, size_t(std::min<qint64>(sizeof buffer, maxBytes - data.size())));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int why = errno;
            ::close(fd);
            return errorOf(why);
        }
        if (n == 0)
            break;
        data.append(buffer, int(n));
    }
    ::close(fd);
    if (bytes)
        *bytes = data;
    return NoError;
}

SecureFile::Error SecureFile::checkRegularOrMissing(const QString& path)
{
    struct stat info { };
    if (stat(encoded(path).constData(), &info) != 0)
        return errno == ENOENT ? NoError : errorOf(errno);
    return S_ISREG(info.st_mode) ? NoError : NotRegular;
}

SecureFile::Error SecureFile::createExclusive(const QString& path, mode_t mode, int* lockedFd)
{
    const int fd = ::open(
        encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return errorOf(errno);
    fchmod(fd, mode);
    if (lockedFd) {
        flock(fd, LOCK_EX | LOCK_NB);
        *lockedFd = fd;
    } else {
        ::close(fd);
    }
    return NoError;
}

bool SecureFile::isUnlocked(const QString& path)
{
    const int fd
        = ::open(encoded(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info { };
    const bool unlocked
        = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unlocked;
}

bool SecureFile::makeFolder(const QString& path, mode_t mode)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(absolute).isDir())
        return true;
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute && !makeFolder(parent, mode))
        return false;
    const QByteArray name = encoded(absolute);
    if (mkdir(name.constData(), mode) != 0)
        return errno == EEXIST && QFileInfo(absolute).isDir();
    // mkdir applies the umask; the mode asked for is the one meant.
    chmod(name.constData(), mode);
    return true;
}

SecureFile::Error SecureFile::checkPrivateFolder(const QString& path)
{
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    struct stat info { };
    if (lstat(encoded(folder).constData(), &info) != 0)
        return errorOf(errno);
    if (!S_ISDIR(info.st_mode))
        return NotRegular;
    if (info.st_uid != geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Unsafe;
    return NoError;
}

mode_t SecureFile::ordinaryMode()
{
    // Read from /proc rather than set and restored with umask(), which would
    // briefly change it for every thread.
    QByteArray status;
    readFile(QStringLiteral("/proc/self/status"), 1 << 16, &status, true);
    const int at = status.indexOf("\nUmask:");
    bool ok = false;
    const uint mask = at < 0
        ? 0
        : status.mid(at + 8, status.indexOf('\n', at + 1) - at - 8).trimmed().toUInt(&ok, 8);
    return mode_t(0666 & ~(ok ? mask : 022));
}

int SecureFile::removeOrphans(const QString& folder, const QString& suffix)
{
    const QByteArray folderName = encoded(folder);
    DIR* dir = opendir(folderName.constData());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!hasTemporaryTail(name)
            || !name.left(name.size() - 7).endsWith(suffix, Qt::CaseInsensitive))
            continue;
        const int fd
            = openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {
        }, named {};
        // A writer that is still running holds the lock; only a dead one's file goes,
        // and only if the name still leads to the file that was checked.
        if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0
            && fstatat(dirfd(dir), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_ino == opened.st_ino && named.st_dev == opened.st_dev
            && unlinkat(dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    closedir(dir);
    return removed;
}
