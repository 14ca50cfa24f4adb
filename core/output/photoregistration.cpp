#include "core/output/photoregistration.h"

#include "core/host/hostdialogs.h"
#include "core/host/photocatalog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct LastRegistration {
    QString patientId;
    QByteArray digest;
};

LastRegistration& lastRegistration()
{
    static LastRegistration last;
    return last;
}

// A failed write only says "false"; the folder tells whether it was space or rights.
SecureFile::Error diagnoseFolder(const QString& folder)
{
    QString existing = folder;
    while (!existing.isEmpty() && !QFileInfo(existing).isDir()
        && existing != QFileInfo(existing).path())
        existing = QFileInfo(existing).path();
    const QByteArray name = QFile::encodeName(existing);
    struct statvfs fs { };
    if (statvfs(name.constData(), &fs) == 0 && fs.f_bavail == 0)
        return SecureFile::NoSpace;
    if (access(name.constData(), W_OK | X_OK) != 0)
        return SecureFile::NoPermission;
    return SecureFile::OtherError;
}

// Reads the picture back for its digest and syncs it, so a record is only ever
// added for a file that is on the disk.
QByteArray syncedDigest(const QString& path, SecureFile::Error* error)
{
    QByteArray bytes;
    *error = SecureFile::readFile(path, qint64(1) << 31, &bytes);
    if (*error != SecureFile::NoError)
        return {};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0)
        *error = SecureFile::errorOf(errno);
    if (fd >= 0)
        ::close(fd);
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

PhotoRegistration::Result failed(PhotoRegistration::Outcome outcome, SecureFile::Error kind,
    const QString& where, const QString& patient)
{
    PhotoRegistration::Result result;
    result.outcome = outcome;
    result.kind = kind;
    result.patientId = patient;
    result.message = PhotoRegistration::failureText(kind, where);
    return result;
}

// A refusal by the photo database, named without its password.
PhotoRegistration::Result databaseFailed(const PhotoCatalog& catalog, const QString& patient)
{
    const QString where = PhotoCatalog::displayLocation(PhotoCatalog::databasePath());
    PhotoRegistration::Result result
        = failed(PhotoRegistration::DatabaseFailed, catalog.lastErrorKind(), where, patient);
    if (catalog.lastErrorIsConnection())
        result.message = QCoreApplication::translate("PhotoRegistration",
            "写真データベース %1 に接続できないか、接続が切れたため、画像を登録できませんでした。")
                             .arg(where);
    return result;
}

// After the connection broke during the commit, only a new connection tells
// whether the record went in; 1 yes, 0 no, -1 unknown (the server is still away).
int recordArrived(const QString& path)
{
    PhotoCatalog again;
    if (again.open(PhotoCatalog::ReadOnly) != 0)
        return -1;
    return again.findPath(QFileInfo(path).absoluteFilePath()) >= 0 ? 1 : 0;
}

} // namespace

QString PhotoRegistration::failureText(SecureFile::Error kind, const QString& where)
{
    switch (kind) {
    case SecureFile::Locked:
        return QCoreApplication::translate(
            "PhotoRegistration", "%1 は他のプログラムが使用中のため、画像を登録できませんでした。")
            .arg(where);
    case SecureFile::Damaged:
        return QCoreApplication::translate("PhotoRegistration",
            "%1 が壊れているか写真データベースではないため、画像を登録できませんでした。")
            .arg(where);
    case SecureFile::NoSpace:
        return QCoreApplication::translate(
            "PhotoRegistration", "%1 の空き容量が足りないため、画像を登録できませんでした。")
            .arg(where);
    case SecureFile::NoPermission:
        return QCoreApplication::translate(
            "PhotoRegistration", "%1 に書き込む権限がないため、画像を登録できませんでした。")
            .arg(where);
    case SecureFile::NotRegular:
        return QCoreApplication::translate(
            "PhotoRegistration", "%1 が通常のファイルではないため、画像を登録できませんでした。")
            .arg(where);
    case SecureFile::Unsafe:
        return QCoreApplication::translate("PhotoRegistration",
            "%1 は他のユーザーが所有しているか書き込めるため、画像を登録できませんでした。")
            .arg(where);
    default:
        return QCoreApplication::translate("PhotoRegistration", "%1 に画像を登録できませんでした。")
            .arg(where);
    }
}

PhotoRegistration::Result PhotoRegistration::registerPicture(
    const std::function<bool(const QString& path)>& save,
    const std::function<bool()>& confirmRepeat)
{
    const QString unsafe = HostDialogs::tempFolderProblem();
    if (!unsafe.isEmpty()) {
        Result result = failed(NoPatient, SecureFile::Unsafe, HostDialogs::tempFolder(), {});
        result.message = unsafe;
        return result;
    }
    const QString patient = HostDialogs::currentPatient();
    if (patient.isEmpty() || !save) {
        Result result;
        result.outcome = NoPatient;
        result.message = QCoreApplication::translate(
            "PhotoRegistration", "患者が選択されていないため、画像を登録できませんでした。");
        return result;
    }

    // The database is checked before anything is written, so a locked or foreign
    // one costs the user no waiting for a picture that is then thrown away.
    PhotoCatalog catalog;
    if (catalog.open(PhotoCatalog::ReadWrite) != 0)
        return databaseFailed(catalog, patient);

    const QString folder = HostDialogs::patientFolder(patient);
    const QString wanted = QFileInfo(HostDialogs::photoStore()).filePath();
    if (folder.isEmpty())
        return failed(StoreFailed, diagnoseFolder(wanted), wanted, patient);
    HostDialogs::removeAbandonedReservations(folder);
    SecureFile::Error why = SecureFile::NoError;
    int reservationLock = -1;
    const QString path = HostDialogs::reservePicture(folder, &why, &reservationLock);
    if (path.isEmpty())
        return failed(StoreFailed, why == SecureFile::OtherError ? diagnoseFolder(folder) : why,
            folder, patient);

    const bool saved = save(path);
    if (reservationLock >= 0)
        ::close(reservationLock);
    const QByteArray digest = saved ? syncedDigest(path, &why) : QByteArray();
    if (!saved || why != SecureFile::NoError) {
        QFile::remove(path);
        return failed(SaveFailed, saved ? why : diagnoseFolder(folder), folder, patient);
    }
    LastRegistration& last = lastRegistration();
    if (last.patientId == patient && last.digest == digest && confirmRepeat && !confirmRepeat()) {
        QFile::remove(path);
        Result result;
        result.patientId = patient;
        return result;
    }

    qint64 id = catalog.addPhoto(path, 0, patient);
    if (id < 0) {
        // Only a commit cut off midway can have left a record. One that did arrive
        // keeps its picture. While the server stays away nobody can tell, and the
        // picture is kept then too: a stray picture costs a little disk, a record
        // naming a deleted picture breaks the patient's file.
        const int arrived = catalog.lastCommitUncertain() ? recordArrived(path) : 0;
        if (arrived == 0) {
            QFile::remove(path);
            return databaseFailed(catalog, patient);
        }
        if (arrived < 0) {
            Result result = databaseFailed(catalog, patient);
            result.message = QCoreApplication::translate("PhotoRegistration",
                "写真データベース %1 との接続が切れたため、%2 が登録されたか"
                "確認できませんでした。画像は残してあります。")
                                 .arg(PhotoCatalog::displayLocation(PhotoCatalog::databasePath()),
                                     QDir::toNativeSeparators(path));
            return result;
        }
    }
    why = HostDialogs::writeMarker(QStringLiteral("ImgADD.TMP"), {});
    if (why != SecureFile::NoError) {
        // The host would never learn of the picture: better no registration at
        // all. A record that cannot be taken back keeps its picture, so that
        // it never points at nothing.
        PhotoCatalog undo;
        id = undo.open(PhotoCatalog::ReadWrite) == 0
            ? undo.findPath(QFileInfo(path).absoluteFilePath())
            : -1;
        if (id >= 0 && undo.removePhoto(id))
            QFile::remove(path);
        return failed(MarkerFailed, why, HostDialogs::tempFolder(), patient);
    }
    last = { patient, digest };

    Result result;
    result.outcome = Registered;
    result.path = path;
    result.patientId = patient;
    result.message = QCoreApplication::translate(
        "PhotoRegistration", "患者 %1 の画像として %2 を登録しました。")
                         .arg(patient, QFileInfo(path).fileName());
    return result;
}

QString PhotoRegistration::registerComposite(const std::function<bool(const QString& path)>& save)
{
    return registerPicture(save).path;
}
