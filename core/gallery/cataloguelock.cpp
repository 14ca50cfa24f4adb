#include "core/gallery/cataloguelock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray ownerLine()
{
    return QByteArray::number(qint64(QCoreApplication::applicationPid())) + ' '
        + QSysInfo::machineHostName().toUtf8() + '\n';
}

QByteArray readSmall(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256) : QByteArray();
}

} // namespace

CatalogueLock::CatalogueLock(const QString& catalogueFile)
    : m_path(LockFileName(catalogueFile))
{
}

CatalogueLock::~CatalogueLock() { Release(); }

QString CatalogueLock::LockFileName(const QString& catalogueFile)
{
    return catalogueFile + QStringLiteral(".lock");
}

bool CatalogueLock::tryCreate(int& error)
{
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const QByteArray owner = ownerLine();
    const bool written = ::write(fd, owner.constData(), size_t(owner.size())) == owner.size();
    ::close(fd);
    if (!written) {
        ::unlink(name.constData());
        error = ENOSPC;
        return false;
    }
    return true;
}

CatalogueLock::Result CatalogueLock::Acquire(int timeoutMs)
{
    if (m_held)
        return Taken;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        int error = 0;
        if (tryCreate(error)) {
            m_held = true;
            return Taken;
        }
        if (error != EEXIST)
            return Unwritable;
        if (takeOverStale())
            continue;
        if (waited.elapsed() >= timeoutMs)
            return Busy;
        QThread::msleep(20);
    }
}

bool CatalogueLock::takeOverStale()
{
    if (!IsStale(m_path))
        return false;
    const QByteArray seen = readSmall(m_path);
    // Moved aside before it is removed: had another process taken the stale
    // lock over and made a fresh one in between, that one is put back.
    const QString aside
        = m_path + QLatin1Char('.') + QString::number(QCoreApplication::applicationPid());
    const QByteArray from = QFile::encodeName(m_path), to = QFile::encodeName(aside);
    if (::rename(from.constData(), to.constData()) != 0)
        return errno == ENOENT;
    if (readSmall(aside) != seen)
        (void)::link(to.constData(), from.constData());
    ::unlink(to.constData());
    return true;
}

void CatalogueLock::Release()
{
    if (!m_held)
        return;
    m_held = false;
    ::unlink(QFile::encodeName(m_path).constData());
}

bool CatalogueLock::IsStale(const QString& lockFile)
{
    const QFileInfo info(lockFile);
    if (!info.exists())
        return false;
    if (info.lastModified().secsTo(QDateTime::currentDateTime()) > StaleSeconds)
        return true;
    const QList<QByteArray> owner = readSmall(lockFile).trimmed().split(' ');
    if (owner.size() < 2 || owner[1] != QSysInfo::machineHostName().toUtf8())
        return false;
    bool isNumber = false;
    const qint64 pid = owner[0].toLongLong(&isNumber);
    return isNumber && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}
