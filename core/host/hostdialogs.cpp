#include "core/host/hostdialogs.h"

#include "core/host/photocatalog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <sys/stat.h>

QString HostDialogs::tempFolder()
{
    QString folder = qEnvironmentVariable("MOLVEX_TEMP");
    if (folder.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty())
            base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        folder = base + "/Molvex/temp";
    }
    SecureFile::makeFolder(folder, 0700);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString HostDialogs::tempFolderProblem()
{
    const QString folder = tempFolder();
    switch (SecureFile::checkPrivateFolder(folder)) {
    case SecureFile::NoError:
        return {};
    case SecureFile::Unsafe:
        return QCoreApplication::translate("HostDialogs",
            "一時フォルダ %1 は他のユーザーが所有しているか、他のユーザーが"
            "書き込めるため使用できません。")
            .arg(folder);
    default:
        return QCoreApplication::translate("HostDialogs", "一時フォルダ %1 を使用できません。")
            .arg(folder);
    }
}

SecureFile::Error HostDialogs::writeMarker(const QString& name, const QByteArray& content)
{
    if (!tempFolderProblem().isEmpty())
        return SecureFile::Unsafe;
    return SecureFile::writeFile(tempFolder() + name, content, 0600);
}

QByteArray HostDialogs::readMarker(const QString& name, qint64 maxBytes)
{
    QByteArray bytes;
    if (!tempFolderProblem().isEmpty()
        || SecureFile::readFile(tempFolder() + name, maxBytes, &bytes) != SecureFile::NoError)
        return {};
    return bytes;
}

namespace {

const char patientMarker[] = "PatientID.TMP";

// A patient id becomes one folder name: whatever could climb out of the store or
// split the name into folders is replaced.
QString patientFolderName(const QString& id)
{
    QString name;
    name.reserve(id.size());
    for (const QChar ch : id)
        name
            += (ch == '/' || ch == '\\' || ch.category() == QChar::Other_Control) ? QChar('_') : ch;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill('_');
    return name;
}

// A file name that neither exists in the folder nor has a record, since records are
// found by folder name and stem.
QString freshPictureName(const QString& folder, PhotoCatalog& catalog)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const QByteArray folderKey = PhotoCatalog::folderNameOf(folder + QStringLiteral("/x")).toUtf8();
    for (int n = 1; n < 10000; ++n) {
        const QString stem = QStringLiteral("Kestrin_%1").arg(stamp)
            + (n > 1 ? QStringLiteral("_%1").arg(n) : QString());
        const QString path = folder + '/' + stem + QStringLiteral(".jpg");
        // lstat, not exists(): a dangling link makes a name as taken as a file does.
        struct stat info { };
        if (lstat(QFile::encodeName(path).constData(), &info) != 0
            && catalog.findPhoto(folderKey, stem.toUtf8()) != 0)
            return path;
    }
    return {};
}

} // namespace

QString HostDialogs::photoStore()
{
    const QString env = qEnvironmentVariable("MOLVEX_PHOTOSTORE");
    QString store = !env.isEmpty()
        ? env
        : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Molvex/Photos");
    while (store.size() > 1 && store.endsWith('/'))
        store.chop(1);
    return store;
}

mode_t HostDialogs::photoFileMode()
{
    bool ok = false;
    const uint mode = qEnvironmentVariable("MOLVEX_PHOTOSTORE_MODE").toUInt(&ok, 8);
    return ok ? mode_t(0600 | (mode & 0060)) : mode_t(0600);
}

mode_t HostDialogs::photoFolderMode()
{
    // A group that may read the pictures must also be able to enter the folder.
    const mode_t group = photoFileMode() & 0060;
    return 0700 | group | (group ? 0010 : 0);
}

QString HostDialogs::patientFolderPath(const QString& patientId)
{
    return QDir(photoStore()).absoluteFilePath(patientFolderName(patientId));
}

QString HostDialogs::patientFolder(const QString& patientId)
{
    const QString folder = patientFolderPath(patientId);
    if (!SecureFile::makeFolder(folder, photoFolderMode()) || !QFileInfo(folder).isDir()
        || !QFileInfo(folder).isWritable())
        return {};
    return folder;
}

QString HostDialogs::reservePicture(const QString& folder, SecureFile::Error* error, int* lockedFd)
{
    PhotoCatalog catalog;
    const bool haveCatalog = catalog.open(PhotoCatalog::ReadOnly) == 0;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const QByteArray folderKey = PhotoCatalog::folderNameOf(folder + QStringLiteral("/x")).toUtf8();
    SecureFile::Error why = SecureFile::Exists;
    for (int n = 1; n < 10000 && why == SecureFile::Exists; ++n) {
        const QString stem = QStringLiteral("Kestrin_%1").arg(stamp)
            + (n > 1 ? QStringLiteral("_%1").arg(n) : QString());
        if (haveCatalog && catalog.findPhoto(folderKey, stem.toUtf8()) == 0)
            continue;
        const QString path = folder + '/' + stem + QStringLiteral(".jpg");
        why = SecureFile::createExclusive(path, photoFileMode(), lockedFd);
        if (why == SecureFile::NoError) {
            if (error)
                *error = why;
            return path;
        }
    }
    if (error)
        *error = why;
    return {};
}

int HostDialogs::removeAbandonedReservations(const QString& folder)
{
    PhotoCatalog catalog;
    const bool haveCatalog = catalog.open(PhotoCatalog::ReadOnly) == 0;
    const QByteArray folderKey = PhotoCatalog::folderNameOf(folder + QStringLiteral("/x")).toUtf8();
    int removed = 0;
    const QFileInfoList files = QDir(folder).entryInfoList(
        { QStringLiteral("Kestrin_*.jpg") }, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : files) {
        if (file.size() != 0 || !SecureFile::isUnlocked(file.filePath())
            || (haveCatalog && catalog.findPhoto(folderKey, file.completeBaseName().toUtf8()) == 0))
            continue;
        if (QFile::remove(file.filePath()))
            ++removed;
    }
    return removed;
}

QString HostDialogs::currentPatient()
{
    // A patient id is one short line; anything longer is not a marker of ours.
    return QString::fromUtf8(readMarker(QLatin1String(patientMarker)))
        .section('\n', 0, 0)
        .trimmed();
}

void HostDialogs::addImage(
    void* owner, const char* title, unsigned char mode, char* path1, char* path2)
{
    Q_UNUSED(owner);
    Q_UNUSED(title);
    Q_UNUSED(mode);
    if (path1)
        path1[0] = '\0';
    if (path2)
        path2[0] = '\0';
    if (!path1)
        return;

    const QString patient = currentPatient();
    if (patient.isEmpty())
        return;
    const QString folder = patientFolder(patient);
    if (folder.isEmpty())
        return;

    PhotoCatalog catalog;
    if (catalog.open(PhotoCatalog::ReadWrite) != 0)
        return;
    const QString path = freshPictureName(folder, catalog);
    const QByteArray bytes = path.toUtf8();
    // A cut-off path would name some other file; better no registration at all.
    if (path.isEmpty() || bytes.size() >= PathBufferSize)
        return;
    if (catalog.addPhoto(path, 0, patient) < 0)
        return;
    std::memcpy(path1, bytes.constData(), size_t(bytes.size()) + 1);
}

bool HostDialogs::cancelImage(const QString& path)
{
    if (path.isEmpty())
        return false;
    PhotoCatalog catalog;
    if (catalog.open(PhotoCatalog::ReadWrite) != 0)
        return false;
    const qint64 id = catalog.findPath(QFileInfo(path).absoluteFilePath());
    return id >= 0 && catalog.removePhoto(id);
}
