#include "core/host/hostdialogs.h"

#include "core/host/photocatalog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

QString HostDialogs::tempFolder()
{
    QString folder = qEnvironmentVariable("MOLVEX_TEMP");
    if (folder.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty())
            base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        folder = base + "/Molvex/temp";
        if (QDir().mkpath(folder))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        QDir().mkpath(folder);
    }
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
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
        if (!QFileInfo::exists(path) && catalog.findPhoto(folderKey, stem.toUtf8()) != 0)
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

QString HostDialogs::currentPatient()
{
    QFile file(tempFolder() + QLatin1String(patientMarker));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A patient id is one short line; anything longer is not a marker of ours.
    return QString::fromUtf8(file.read(1024)).section('\n', 0, 0).trimmed();
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
    const QString folder = QDir(photoStore()).absoluteFilePath(patientFolderName(patient));
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir() || !QFileInfo(folder).isWritable())
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
