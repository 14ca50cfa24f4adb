#include "core/host/photocatalog.h"

#include "core/host/hostdialogs.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>

namespace {
QAtomicInt connectionSerial;

QString normalisedSeparators(QString path)
{
    // Paths may come from Windows machines of the practice.
    return path.replace('\\', '/');
}

// The record in the query's current row, selected as id, folder, stem, path,
// flags, patient, added.
PhotoCatalog::Record recordAt(const QSqlQuery& q)
{
    PhotoCatalog::Record r;
    r.id = q.value(0).toLongLong();
    r.folderName = q.value(1).toString();
    r.fileStem = q.value(2).toString();
    r.path = q.value(3).toString();
    r.flags = static_cast<unsigned char>(q.value(4).toInt() & 0xFF);
    r.patientId = q.value(5).toString();
    r.added = QDateTime::fromString(q.value(6).toString(), Qt::ISODate);
    return r;
}

} // namespace

PhotoCatalog::PhotoCatalog()
    : m_connection(QStringLiteral("photocatalog-%1").arg(connectionSerial.fetchAndAddRelaxed(1)))
{
}

PhotoCatalog::~PhotoCatalog() { close(); }

QString PhotoCatalog::databasePath()
{
    const QString env = qEnvironmentVariable("MOLVEX_PHOTODB");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + "/Molvex/photos.db";
}

bool PhotoCatalog::fail(const QSqlError& error)
{
    m_error = error.text();
    // SQLite's primary result codes; the driver reports them as text.
    switch (error.nativeErrorCode().toInt() & 0xFF) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        m_errorKind = SecureFile::Locked;
        break;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        m_errorKind = SecureFile::Damaged;
        break;
    case 13: // SQLITE_FULL
        m_errorKind = SecureFile::NoSpace;
        break;
    case 3: // SQLITE_PERM
    case 8: // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
    case 23: // SQLITE_AUTH
        m_errorKind = SecureFile::NoPermission;
        break;
    default:
        m_errorKind = SecureFile::OtherError;
    }
    return false;
}

int PhotoCatalog::open(int mode)
{
    close();
    m_errorKind = SecureFile::NoError;
    const QString path = databasePath();
    if (SecureFile::checkRegularOrMissing(path) != SecureFile::NoError) {
        // SQLite would block on a FIFO or read a device.
        m_error = QStringLiteral("not a regular file: %1").arg(path);
        m_errorKind = SecureFile::NotRegular;
        return 1;
    }
    if (mode == ReadOnly && !QFileInfo(path).isFile()) {
        m_error = QStringLiteral("no photo database at %1").arg(path);
        m_errorKind = SecureFile::OtherError;
        return 1;
    }
    if (mode != ReadOnly && !QFileInfo::exists(path)) {
        // Created here rather than by SQLite, whose files get the umask's mode;
        // its journals take the database's mode.
        SecureFile::makeFolder(QFileInfo(path).absolutePath(), 0700);
        SecureFile::createExclusive(path, HostDialogs::photoFileMode());
    }

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        // A locked database must not stall start-up for long.
        db.setConnectOptions(mode == ReadOnly
                ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=250")
                : QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
        if (!db.open()) {
            fail(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connection);
            return 1;
        }
    }
    m_open = true;
    // SQLite opens any file; a damaged one or one of another kind only fails on the
    // first statement, so the schema check doubles as the validity check.
    if (!ensureSchema()) {
        close();
        return 1;
    }
    return 0;
}

bool PhotoCatalog::ensureSchema()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (db.connectOptions().contains(QLatin1String("READONLY"))) {
        if (!q.exec(QStringLiteral("SELECT count(*) FROM photos")))
            return fail(q.lastError());
        return true;
    }
    // Only an empty file becomes a photo database; one with other tables, or a
    // photos table of another shape, belongs to someone else and stays untouched.
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return fail(q.lastError());
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    tables.removeAll(QStringLiteral("sqlite_sequence"));
    if (!tables.isEmpty()) {
        QStringList columns;
        if (tables == QStringList { QStringLiteral("photos") }
            && q.exec(QStringLiteral("PRAGMA table_info(photos)")))
            while (q.next())
                columns << q.value(1).toString();
        const QStringList expected { "id", "folder", "stem", "path", "flags", "patient", "added" };
        for (const QString& column : expected)
            if (!columns.contains(column)) {
                m_error = QStringLiteral("%1 is not a photo database").arg(db.databaseName());
                m_errorKind = SecureFile::Damaged;
                return false;
            }
        return true;
    }
    if (!q.exec(
            QStringLiteral("CREATE TABLE IF NOT EXISTS photos ("
                           " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                           " folder TEXT NOT NULL, stem TEXT NOT NULL, path TEXT NOT NULL,"
                           " flags INTEGER NOT NULL DEFAULT 0, patient TEXT NOT NULL DEFAULT '',"
                           " added TEXT NOT NULL)"))
        || !q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS photos_key ON photos(folder, stem)")))
        return fail(q.lastError());
    return true;
}

int PhotoCatalog::findPhoto(const QByteArray& folderName, const QByteArray& fileStem)
{
    m_current = Record();
    if (!m_open)
        return 1;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT id, folder, stem, path, flags, patient, added FROM photos"
                             " WHERE folder = ? AND stem = ? ORDER BY id DESC LIMIT 1"));
    q.addBindValue(QString::fromUtf8(folderName));
    q.addBindValue(QString::fromUtf8(fileStem));
    if (!q.exec() || !q.next()) {
        m_error = q.lastError().text();
        return 1;
    }
    m_current = recordAt(q);
    return 0;
}

void PhotoCatalog::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

qint64 PhotoCatalog::addPhoto(const QString& path, unsigned char flags, const QString& patientId)
{
    if (!m_open)
        return -1;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    // Takes the write lock up front, so a locked database fails here, waited for,
    // rather than half way.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        fail(q.lastError());
        return -1;
    }
    q.prepare(QStringLiteral("INSERT INTO photos (folder, stem, path, flags, patient, added)"
                             " VALUES (?, ?, ?, ?, ?, ?)"));
    const QString absolute = QFileInfo(path).absoluteFilePath();
    q.addBindValue(folderNameOf(absolute));
    q.addBindValue(fileStemOf(absolute));
    q.addBindValue(absolute);
    q.addBindValue(int(flags));
    q.addBindValue(patientId.isNull() ? QString(QLatin1String(""))
                                      : patientId); // a null string would bind as NULL
    q.addBindValue(QDateTime::currentDateTime().toString(Qt::ISODate));
    if (!q.exec()) {
        fail(q.lastError());
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return -1;
    }
    const qint64 id = q.lastInsertId().toLongLong();
    if (!q.exec(QStringLiteral("COMMIT"))) {
        fail(q.lastError());
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return -1;
    }
    return id;
}

bool PhotoCatalog::removePhoto(qint64 id)
{
    if (!m_open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM photos WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    return q.numRowsAffected() > 0;
}

qint64 PhotoCatalog::findPath(const QString& path) const
{
    if (!m_open)
        return -1;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT id FROM photos WHERE path = ? ORDER BY id DESC LIMIT 1"));
    q.addBindValue(path);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

bool PhotoCatalog::setFlags(const QString& folderName, const QString& fileStem, unsigned char flags)
{
    if (!m_open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE photos SET flags = ? WHERE folder = ? AND stem = ?"));
    q.addBindValue(int(flags));
    q.addBindValue(folderName);
    q.addBindValue(fileStem);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    return q.numRowsAffected() > 0;
}

QVector<PhotoCatalog::Record> PhotoCatalog::list() const
{
    QVector<Record> records;
    if (!m_open)
        return records;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral(
            "SELECT id, folder, stem, path, flags, patient, added FROM photos ORDER BY id")))
        return records;
    while (q.next())
        records.append(recordAt(q));
    return records;
}

QString PhotoCatalog::folderNameOf(const QString& path)
{
    QString dir = normalisedSeparators(path);
    const int slash = dir.lastIndexOf('/');
    dir = slash > 0 ? dir.left(slash) : slash == 0 ? QStringLiteral("/") : QString();
    while (dir.size() > 1 && dir.endsWith('/'))
        dir.chop(1);
    // A file directly in the root yields the root itself.
    if (dir == QLatin1String("/") || dir.isEmpty())
        return dir;
    return dir.mid(dir.lastIndexOf('/') + 1);
}

QString PhotoCatalog::fileStemOf(const QString& path)
{
    const QString name = normalisedSeparators(path).section('/', -1);
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? name.left(dot) : name;
}
