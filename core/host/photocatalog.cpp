#include "core/host/photocatalog.h"

#include "core/host/hostdialogs.h"
#include "core/host/profile.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

namespace {
QAtomicInt connectionSerial;

// Kept between catalogues so that the command rules can read it without
// reaching for the server on every update.
QString& serverProblem()
{
    static QString problem;
    return problem;
}

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

QString newConnectionName()
{
    return QStringLiteral("photocatalog-%1").arg(connectionSerial.fetchAndAddRelaxed(1));
}

void dropConnection(const QString& name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Server connections that closed catalogues left open for the next open of the
// same location: a new one costs a process on the server and a password
// exchange, several times what a registration's own statements cost. A
// connection serves only the thread that made it.
struct IdleConnection {
    QString location;
    QThread* thread;
    QString name;
};
constexpr int MaxIdleConnections = 4;

QVector<IdleConnection>& idleConnections()
{
    static QVector<IdleConnection> idle;
    return idle;
}

void dropIdleConnections()
{
    for (const IdleConnection& connection : std::as_const(idleConnections()))
        dropConnection(connection.name);
    idleConnections().clear();
}

} // namespace

PhotoCatalog::PhotoCatalog()
    : m_connection(newConnectionName())
{
}

PhotoCatalog::~PhotoCatalog() { close(); }

QString PhotoCatalog::databasePath()
{
    const QString env = qEnvironmentVariable("MOLVEX_PHOTODB");
    if (!env.isEmpty())
        return env;
    const QString configured
        = Profile::getString(QStringLiteral("DB_DIR"), QStringLiteral("PHOTODB")).trimmed();
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + "/Molvex/photos.db";
}

bool PhotoCatalog::isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString PhotoCatalog::displayLocation(const QString& location)
{
    if (!isServerLocation(location))
        return location;
    // Up to the last "@" before the query, so that a password holding an
    // unescaped "@" or "/" is still masked whole.
    static const QRegularExpression password(
        QStringLiteral("^([a-z]+://[^:/@?]*):[^?]*@"), QRegularExpression::CaseInsensitiveOption);
    QString shown = location;
    return shown.replace(password, QStringLiteral("\\1:***@"));
}

QString PhotoCatalog::unavailableReason() { return serverProblem(); }

bool PhotoCatalog::failConnection(const QString& detail)
{
    const QString shown = displayLocation(m_location);
    const QString why = detail.trimmed().section('\n', 0, 0);
    m_connectionFailed = true;
    m_errorKind = SecureFile::OtherError;
    m_error = QStringLiteral("cannot reach %1: %2").arg(shown, why);
    serverProblem() = QCoreApplication::translate(
        "PhotoCatalog", "写真データベース %1 に接続できません（%2）。")
                          .arg(shown, why);
    return false;
}

bool PhotoCatalog::fail(const QSqlError& error)
{
    m_error = error.text();
    if (m_server) {
        // A statement on a lost connection fails like any other; only asking the
        // server again tells the two apart.
        const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (error.type() == QSqlError::ConnectionError || !db.isOpen()
            || !QSqlQuery(db).exec(QStringLiteral("SELECT 1")))
            return failConnection(error.text());
        // SQLSTATE classes and codes.
        const QString state = error.nativeErrorCode();
        m_errorKind = state == QLatin1String("53100") ? SecureFile::NoSpace
            : state == QLatin1String("42501")         ? SecureFile::NoPermission
            : state.startsWith(QLatin1String("40")) || state == QLatin1String("55P03")
            ? SecureFile::Locked
            : state.startsWith(QLatin1String("XX")) ? SecureFile::Damaged
                                                    : SecureFile::OtherError;
        return false;
    }
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

int PhotoCatalog::open(int mode) { return open(mode, databasePath()); }

int PhotoCatalog::open(int mode, const QString& location)
{
    close();
    m_errorKind = SecureFile::NoError;
    m_connectionFailed = false;
    m_location = location;
    m_server = isServerLocation(location);
    if (m_server && reuseConnection()) {
        m_open = true;
        serverProblem().clear();
        return 0;
    }
    m_connection = newConnectionName();
    if (!(m_server ? openServer() : openFile(mode)))
        return 1;
    m_open = true;
    // SQLite opens any file; a damaged one or one of another kind only fails on the
    // first statement, so the schema check doubles as the validity check.
    if (!ensureSchema(mode == ReadOnly)) {
        close();
        return 1;
    }
    if (m_server)
        serverProblem().clear();
    return 0;
}

bool PhotoCatalog::openFile(int mode)
{
    const QString& path = m_location;
    if (SecureFile::checkRegularOrMissing(path) != SecureFile::NoError) {
        // SQLite would block on a FIFO or read a device.
        m_error = QStringLiteral("not a regular file: %1").arg(path);
        m_errorKind = SecureFile::NotRegular;
        return false;
    }
    if (mode == ReadOnly && !QFileInfo(path).isFile()) {
        m_error = QStringLiteral("no photo database at %1").arg(path);
        m_errorKind = SecureFile::OtherError;
        return false;
    }
    if (mode != ReadOnly && !QFileInfo::exists(path)) {
        // Created here rather than by SQLite, whose files get the umask's mode;
        // its journals take the database's mode.
        SecureFile::makeFolder(QFileInfo(path).absolutePath(), 0700);
        SecureFile::createExclusive(path, HostDialogs::photoFileMode());
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    // A locked database must not stall start-up for long.
    db.setConnectOptions(mode == ReadOnly
            ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=250")
            : QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (db.open())
        return true;
    fail(db.lastError());
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    return false;
}

bool PhotoCatalog::reuseConnection()
{
    QVector<IdleConnection>& idle = idleConnections();
    for (int i = 0; i < idle.size(); ++i) {
        if (idle.at(i).location != m_location || idle.at(i).thread != QThread::currentThread())
            continue;
        const QString name = idle.takeAt(i).name;
        // Asking for the version tells too whether the server is still there.
        QSqlQuery q(QSqlDatabase::database(name, false));
        if (q.exec(QStringLiteral("SELECT max(version) FROM photo_schema")) && q.next()
            && q.value(0).toInt() <= SchemaVersion) {
            m_connection = name;
            return true;
        }
        // A server restarted since, or a schema changed: connected and checked anew.
        q = QSqlQuery();
        dropConnection(name);
        return false;
    }
    return false;
}

bool PhotoCatalog::openServer()
{
    const QUrl url(m_location, QUrl::StrictMode);
    const QString name = url.path(QUrl::FullyDecoded).mid(1);
    if (!url.isValid() || name.isEmpty() || name.contains('/')) {
        m_error = QStringLiteral("not a database URI: %1").arg(displayLocation(m_location));
        m_errorKind = SecureFile::OtherError;
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return failConnection(QStringLiteral("Qt's PostgreSQL driver is not installed"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    // A host beginning with "/" is a socket folder to libpq.
    const QString socketFolder
        = QUrlQuery(url).queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    db.setHostName(socketFolder.isEmpty() ? url.host() : socketFolder);
    if (url.port() > 0)
        db.setPort(url.port());
    db.setUserName(url.userName(QUrl::FullyDecoded));
    // Without one, libpq looks in ~/.pgpass or $PGPASSFILE.
    db.setPassword(url.password(QUrl::FullyDecoded));
    db.setDatabaseName(name);
    // A server that is down must not hold up opening a photograph.
    db.setConnectOptions(QStringLiteral("connect_timeout=3"));
    if (db.open()) {
        // "Already exists, skipping" notices would reach the tool's error output.
        QSqlQuery(db).exec(QStringLiteral("SET client_min_messages = warning"));
        return true;
    }
    const QString detail = db.lastError().text();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    return failConnection(detail);
}

bool PhotoCatalog::beginWrite()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // SQLite: takes the write lock up front, so a locked database fails here,
    // waited for, rather than half way. The server locks rows itself; only the
    // schema's creation is serialised, as two first workstations may race.
    if (!q.exec(m_server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")))
        return fail(q.lastError());
    return true;
}

namespace {

void rollBack(const QString& connection)
{
    QSqlQuery(QSqlDatabase::database(connection, false)).exec(QStringLiteral("ROLLBACK"));
}

const char* const photoColumns = "id, folder, stem, path, flags, patient, added";

} // namespace

bool PhotoCatalog::ensureSchema(bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    const QString shown = displayLocation(m_location);
    auto notOurs = [&](const QString& why) {
        m_error = QStringLiteral("%1 %2").arg(shown, why);
        m_errorKind = SecureFile::Damaged;
        return false;
    };
    // A database written by a later version may mean something else by its rows.
    auto versionFits = [&] {
        QSqlQuery v(db);
        if (v.exec(QStringLiteral("SELECT max(version) FROM photo_schema")) && v.next()
            && v.value(0).toInt() > SchemaVersion)
            return notOurs(QStringLiteral("holds photo records of a later version (%1)")
                               .arg(v.value(0).toInt()));
        return true;
    };
    if (readOnly) {
        if (!q.exec(QStringLiteral("SELECT %1 FROM photos WHERE 1 = 0").arg(photoColumns)))
            return fail(q.lastError());
        return versionFits();
    }
    if (!m_server) {
        // Only an empty file becomes a photo database; one with other tables
        // belongs to someone else and stays untouched.
        if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
            return fail(q.lastError());
        QStringList tables;
        while (q.next())
            tables << q.value(0).toString();
        for (const char* ours : { "sqlite_sequence", "photo_schema", "photos" })
            tables.removeAll(QLatin1String(ours));
        if (!tables.isEmpty())
            return notOurs(QStringLiteral("is not a photo database"));
    }
    if (!beginWrite())
        return false;
    const QString id = m_server ? QStringLiteral("id BIGSERIAL PRIMARY KEY")
                                : QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT");
    // A photos table of another shape belongs to someone else: checked before
    // anything is added to it, and nothing is kept.
    const QStringList statements {
        m_server ? QStringLiteral("SELECT pg_advisory_xact_lock(7413)") : QString(),
        QStringLiteral("CREATE TABLE IF NOT EXISTS photos (%1,"
                       " folder TEXT NOT NULL, stem TEXT NOT NULL, path TEXT NOT NULL,"
                       " flags INTEGER NOT NULL DEFAULT 0, patient TEXT NOT NULL DEFAULT '',"
                       " added TEXT NOT NULL)")
            .arg(id),
        QStringLiteral("SELECT %1 FROM photos WHERE 1 = 0").arg(photoColumns),
        QStringLiteral("CREATE INDEX IF NOT EXISTS photos_key ON photos(folder, stem)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS photo_schema (version INTEGER NOT NULL)"),
    };
    for (int i = 0; i < statements.size(); ++i) {
        if (!statements.at(i).isEmpty() && !q.exec(statements.at(i))) {
            const QSqlError error = q.lastError();
            rollBack(m_connection);
            fail(error);
            if (i == 2 && !m_connectionFailed)
                return notOurs(QStringLiteral("is not a photo database"));
            return false;
        }
    }
    if (!versionFits()) {
        rollBack(m_connection);
        return false;
    }
    if (!q.exec(QStringLiteral("INSERT INTO photo_schema (version) SELECT %1 WHERE NOT EXISTS"
                               " (SELECT 1 FROM photo_schema)")
                    .arg(SchemaVersion))
        || !q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        rollBack(m_connection);
        return fail(error);
    }
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
    QVector<IdleConnection>& idle = idleConnections();
    if (m_open && m_server && !m_connectionFailed && idle.size() < MaxIdleConnections) {
        static const bool dropAtExit = (qAddPostRoutine(dropIdleConnections), true);
        Q_UNUSED(dropAtExit);
        idle.append({ m_location, QThread::currentThread(), m_connection });
        m_connection = newConnectionName(); // no longer this catalogue's
    } else {
        dropConnection(m_connection);
    }
    m_open = false;
}

qint64 PhotoCatalog::insert(const Record& record)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO photos (folder, stem, path, flags, patient, added)"
                             " VALUES (?, ?, ?, ?, ?, ?) RETURNING id"));
    q.addBindValue(record.folderName);
    q.addBindValue(record.fileStem);
    q.addBindValue(record.path);
    q.addBindValue(int(record.flags));
    // A null string would bind as NULL.
    q.addBindValue(record.patientId.isNull() ? QString(QLatin1String("")) : record.patientId);
    q.addBindValue(record.added.toString(Qt::ISODate));
    if (!q.exec() || !q.next()) {
        const QSqlError error = q.lastError();
        q.finish();
        rollBack(m_connection);
        fail(error);
        return -1;
    }
    const qint64 id = q.value(0).toLongLong();
    // SQLite will not commit while the statement is still open.
    q.finish();
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        rollBack(m_connection);
        fail(error);
        // The server may have committed before the line went down.
        m_commitUncertain = m_connectionFailed;
        return -1;
    }
    return id;
}

qint64 PhotoCatalog::addPhoto(const QString& path, unsigned char flags, const QString& patientId)
{
    m_commitUncertain = false;
    if (!m_open || !beginWrite())
        return -1;
    Record record;
    record.path = QFileInfo(path).absoluteFilePath();
    record.folderName = folderNameOf(record.path);
    record.fileStem = fileStemOf(record.path);
    record.flags = flags;
    record.patientId = patientId;
    record.added = QDateTime::currentDateTime();
    return insert(record);
}

qint64 PhotoCatalog::copyRecord(const Record& record)
{
    if (!m_open || !beginWrite())
        return -1;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT id FROM photos WHERE path = ? AND added = ?"));
    q.addBindValue(record.path);
    q.addBindValue(record.added.toString(Qt::ISODate));
    if (q.exec() && q.next()) {
        const qint64 id = q.value(0).toLongLong();
        q.finish();
        rollBack(m_connection);
        return id;
    }
    q.finish();
    return insert(record);
}

bool PhotoCatalog::removePhoto(qint64 id)
{
    if (!m_open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM photos WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec())
        return fail(q.lastError());
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
    if (!q.exec())
        return fail(q.lastError());
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
