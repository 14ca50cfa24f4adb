// The files Kestrin shares with the practice: the host's INI edited in place, the
// marker files and temporary folder, the photo store and the photo database. Real
// files, links, FIFOs and modes; tests run as root, so "another user" is a chown.
#include "core/host/hostdialogs.h"
#include "core/host/inifile.h"
#include "core/host/photocatalog.h"
#include "core/host/securefile.h"
#include "core/output/photoregistration.h"
#include "testutils.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using testutils::IsolatedHost;

namespace {

QByteArray cp932(const QString& text) { return QStringEncoder("CP932").encode(text); }

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

int modeOf(const QString& path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

int runTool(const QStringList& args)
{
    QProcess tool;
    tool.start(qEnvironmentVariable("KESTRIN_BINARY_DIR") + "/app/molvex-photodb", args);
    return tool.waitForFinished(20000) ? tool.exitCode() : -1;
}

bool writePicture(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("composite bytes") == 15;
}

QString hostIni()
{
    return "; host settings\r\n[DB_DIR]\r\nServer Path = \\\\server\\share\\molvex\r\n"
           "PhotoDir=D:\\Molvex\\写真\\\r\nDoctor=山田 太郎\r\nDup=1\r\ndup=2\r\n# comment\r\n"
           "Note=a;b\r\n\r\n[bracket]\r\nWINZOOM = 0\r\nTitle=表示\r\n";
}

} // namespace

class TestHostFiles : public QObject {
    Q_OBJECT

private slots:
    void init() { m_host = std::make_unique<IsolatedHost>(); }
    void cleanup() { m_host.reset(); qunsetenv("MOLVEX_PHOTOSTORE"); qunsetenv("MOLVEX_PHOTOSTORE_MODE"); }

    void iniReadsValuesLiterally_data();
    void iniReadsValuesLiterally();
    void iniKeepsEveryOtherByte_data();
    void iniKeepsEveryOtherByte();
    void markersReplacePlantedLinks_data();
    void markersReplacePlantedLinks();
    void untrustedTempFolderIsRefused_data();
    void untrustedTempFolderIsRefused();
    void storeNamesAreTakenExclusively_data();
    void storeNamesAreTakenExclusively();
    void registrationIsAllOrNothing_data();
    void registrationIsAllOrNothing();
    void orphansGoAtTheNextWrite();
    void fifosAreRefusedWithoutHanging();

private:
    std::unique_ptr<IsolatedHost> m_host;
};

void TestHostFiles::iniReadsValuesLiterally_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("key with spaces, any case") << "db_dir" << "SERVER PATH" << "\\\\server\\share\\molvex";
    QTest::newRow("trailing backslash") << "DB_DIR" << "PhotoDir" << "D:\\Molvex\\写真\\";
    QTest::newRow("CP932 value") << "DB_DIR" << "Doctor" << "山田 太郎";
    QTest::newRow("first of repeated keys") << "DB_DIR" << "DUP" << "1";
    QTest::newRow("semicolon in value") << "DB_DIR" << "Note" << "a;b";
    QTest::newRow("0x5C trail byte") << "BRACKET" << "Title" << "表示";
    QTest::newRow("after a blank line") << "BRACKET" << "WinZoom" << "0";
    QTest::newRow("comment is no key") << "DB_DIR" << "# comment" << "<none>";
    QTest::newRow("key of another section") << "BRACKET" << "Doctor" << "<none>";
}

void TestHostFiles::iniReadsValuesLiterally()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeBytes(m_host->path("host.ini"), cp932(hostIni()));
    IniFile ini;
    QVERIFY(ini.load(m_host->path("host.ini")));
    QCOMPARE(ini.encoding(), IniFile::Cp932);
    QCOMPARE(ini.value(section, key, "<none>"), expected);
}

void TestHostFiles::iniKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QString added = "[Recent File List]\r\nFile1=D:\\写真\\a.jpg\r\n";
    QString edited = hostIni();
    edited.replace("WINZOOM = 0", "WINZOOM = 1").replace("Note=a;b\r\n", "Note=a;b\r\nGALLERY=値\r\n");
    QTest::newRow("CP932, CR LF") << cp932(hostIni()) << cp932(edited + added);
    QTest::newRow("UTF-8, LF, unterminated")
        << QString("[BRACKET]\nWINZOOM=0").toUtf8()
        << QString("[BRACKET]\nWINZOOM=1\n[Recent File List]\nFile1=D:\\写真\\a.jpg\n"
                   "[DB_DIR]\nGALLERY=値\n").toUtf8();
    QTest::newRow("new file") << QByteArray()
                              << QString("[BRACKET]\r\nWINZOOM=1\r\n" + added
                                     + "[DB_DIR]\r\nGALLERY=値\r\n").toUtf8();
}

void TestHostFiles::iniKeepsEveryOtherByte()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    const QString path = m_host->path("host.ini");
    if (!before.isEmpty())
        writeBytes(path, before);
    QVERIFY(chmod(QFile::encodeName(path).constData(), 0640) == 0 || before.isEmpty());
    IniFile ini;
    QVERIFY(ini.load(path));
    ini.setValue("BRACKET", "WINZOOM", "1");
    ini.setValue("Recent File List", "File1", "D:\\写真\\a.jpg");
    ini.setValue("DB_DIR", "GALLERY", "値");
    QVERIFY(ini.save());
    QCOMPARE(readAll(path), after);
    QCOMPARE(modeOf(path), before.isEmpty() ? 0600 : 0640);
    IniFile again;
    QVERIFY(again.load(path));
    QCOMPARE(again.value("recent file list", "FILE1"), QString("D:\\写真\\a.jpg"));
    QVERIFY(again.remove("DB_DIR", "gallery") && !again.contains("DB_DIR", "GALLERY"));

    // A failed save leaves the old file as it was.
    QVERIFY(QDir(m_host->dir.path()).mkpath("blocked.ini"));
    IniFile blocked;
    QVERIFY(!blocked.load(m_host->path("blocked.ini")));
    {
        testutils::FileSizeLimit full(1);
        QVERIFY(!again.save());
    }
    QCOMPARE(readAll(path), after);
}

void TestHostFiles::markersReplacePlantedLinks_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::newRow("link to a file") << false;
    QTest::newRow("dangling link") << true;
}

void TestHostFiles::markersReplacePlantedLinks()
{
    QFETCH(bool, dangling);
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("store").toLocal8Bit());
    const QString victim = m_host->path("victim");
    if (!dangling)
        writeBytes(victim, "precious");
    for (const char* name : { "PatientID.TMP", "ImgADD.TMP" })
        QVERIFY(QFile::link(victim, HostDialogs::tempFolder() + name));
    QCOMPARE(runTool({ "set-patient", "P-1" }), 0);
    QVERIFY(!PhotoRegistration::registerComposite(writePicture).isEmpty());
    QCOMPARE(readAll(victim), dangling ? QByteArray("<unreadable>") : QByteArray("precious"));
    QCOMPARE(readAll(HostDialogs::tempFolder() + "PatientID.TMP"), QByteArray("P-1"));
    QCOMPARE(modeOf(HostDialogs::tempFolder() + "PatientID.TMP"), 0600);
    QCOMPARE(modeOf(HostDialogs::tempFolder() + "ImgADD.TMP"), 0600);
    // A link in its place is never read through.
    QVERIFY(QFile::remove(HostDialogs::tempFolder() + "PatientID.TMP"));
    writeBytes(victim, "P-other");
    QVERIFY(QFile::link(victim, HostDialogs::tempFolder() + "PatientID.TMP"));
    QCOMPARE(HostDialogs::currentPatient(), QString());
}

void TestHostFiles::untrustedTempFolderIsRefused_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("owner");
    QTest::newRow("private") << 0700 << 0;
    QTest::newRow("group-writable") << 0770 << 0;
    QTest::newRow("other-writable, sticky") << 01777 << 0;
    QTest::newRow("another user's") << 0700 << 65534;
}

void TestHostFiles::untrustedTempFolderIsRefused()
{
    QFETCH(int, mode);
    QFETCH(int, owner);
    const QByteArray folder = QFile::encodeName(HostDialogs::tempFolder());
    QVERIFY(chmod(folder.constData(), mode_t(mode)) == 0);
    QVERIFY(chown(folder.constData(), uid_t(owner), gid_t(owner)) == 0);
    const bool trusted = owner == 0 && !(mode & 022);
    QCOMPARE(HostDialogs::tempFolderProblem().isEmpty(), trusted);
    QCOMPARE(runTool({ "set-patient", "P-2" }) == 0, trusted);
    QCOMPARE(QFile::exists(HostDialogs::tempFolder() + "PatientID.TMP"), trusted);
    writeBytes(HostDialogs::tempFolder() + "PatientID.TMP", "P-3");
    QCOMPARE(HostDialogs::currentPatient(), trusted ? QString("P-3") : QString());

    // A folder Kestrin makes itself is private.
    qunsetenv("MOLVEX_TEMP");
    qputenv("XDG_RUNTIME_DIR", m_host->path("run").toLocal8Bit());
    QVERIFY(SecureFile::makeFolder(m_host->path("run"), 0700));
    QCOMPARE(modeOf(HostDialogs::tempFolder()), 0700);
    QCOMPARE(modeOf(m_host->path("run/Molvex")), 0700);
}

void TestHostFiles::storeNamesAreTakenExclusively_data()
{
    QTest::addColumn<QByteArray>("groupMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");
    QTest::newRow("private") << QByteArray() << 0600 << 0700;
    QTest::newRow("group reads") << QByteArray("0640") << 0640 << 0750;
    QTest::newRow("others never") << QByteArray("0666") << 0660 << 0770;
}

void TestHostFiles::storeNamesAreTakenExclusively()
{
    QFETCH(QByteArray, groupMode);
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("store").toLocal8Bit());
    qputenv("MOLVEX_PHOTOSTORE_MODE", groupMode);
    const QString folder = HostDialogs::patientFolder("P-4");
    QCOMPARE(modeOf(folder), folderMode);
    // Dangling links at this and the next seconds' first names.
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 3; ++s)
        QVERIFY(QFile::link(m_host->path("elsewhere/x.jpg"),
            folder + now.addSecs(s).toString("'/Kestrin_'yyyyMMdd_HHmmss'.jpg'")));
    const QString path = HostDialogs::reservePicture(folder);
    QVERIFY2(path.endsWith("_2.jpg"), qPrintable(path));
    QCOMPARE(modeOf(path), fileMode);
    QVERIFY(!QFile::exists(m_host->path("elsewhere")));
    QCOMPARE(SecureFile::createExclusive(path), SecureFile::Exists);
}

void TestHostFiles::registrationIsAllOrNothing_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("kind");
    QTest::newRow("locked") << "locked" << int(PhotoRegistration::DatabaseFailed) << int(SecureFile::Locked);
    QTest::newRow("damaged") << "damaged" << int(PhotoRegistration::DatabaseFailed) << int(SecureFile::Damaged);
    QTest::newRow("foreign") << "foreign" << int(PhotoRegistration::DatabaseFailed) << int(SecureFile::Damaged);
    QTest::newRow("FIFO") << "fifo" << int(PhotoRegistration::DatabaseFailed) << int(SecureFile::NotRegular);
    QTest::newRow("store blocked") << "store" << int(PhotoRegistration::StoreFailed) << int(SecureFile::OtherError);
    QTest::newRow("save fails") << "save" << int(PhotoRegistration::SaveFailed) << int(SecureFile::OtherError);
    QTest::newRow("no patient") << "patient" << int(PhotoRegistration::NoPatient) << int(SecureFile::NoError);
    QTest::newRow("repeat declined") << "repeat" << int(PhotoRegistration::Cancelled) << int(SecureFile::NoError);
}

void TestHostFiles::registrationIsAllOrNothing()
{
    QFETCH(QString, setup);
    QFETCH(int, outcome);
    QFETCH(int, kind);
    const QString db = PhotoCatalog::databasePath();
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("store").toLocal8Bit());
    if (setup != "patient")
        QVERIFY(HostDialogs::writeMarker("PatientID.TMP", "P-5") == SecureFile::NoError);
    if (setup == "repeat")
        QVERIFY(PhotoRegistration::registerPicture(writePicture).ok());
    if (setup == "damaged")
        writeBytes(db, QByteArray(4096, 'x'));
    if (setup == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(db).constData(), 0600), 0);
    if (setup == "store")
        writeBytes(m_host->path("store"), "a file where the store belongs");
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName(setup == "foreign" || setup == "locked" ? db : ":memory:");
        QVERIFY(other.open());
        QSqlQuery q(other);
        if (setup == "foreign")
            QVERIFY(q.exec("CREATE TABLE patients (id TEXT)"));
        if (setup == "locked")
            QVERIFY(q.exec("BEGIN EXCLUSIVE") && q.exec("CREATE TABLE t (x)"));
        const bool keep = setup == "damaged" || setup == "foreign";
        const QByteArray dbBefore = keep ? readAll(db) : QByteArray();
        const auto result = PhotoRegistration::registerPicture(
            setup == "save" ? +[](const QString&) { return false; } : writePicture,
            [] { return false; });
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(int(result.kind), kind);
        QCOMPARE(result.message.isEmpty(), setup == "repeat");
        if (setup == "locked" || setup == "foreign" || setup == "fifo")
            QVERIFY2(result.message.contains(db), qPrintable(result.message));
        if (keep)
            QCOMPARE(readAll(db), dbBefore);
        q.exec("ROLLBACK");
    }
    QSqlDatabase::removeDatabase("other");
    const QStringList files = QDir(m_host->path("store/P-5")).entryList(QDir::Files);
    QCOMPARE(files.size(), setup == "repeat" ? 1 : 0);
    PhotoCatalog catalog;
    QCOMPARE(catalog.open(PhotoCatalog::ReadOnly) == 0 ? catalog.list().size() : 0, files.size());
}

void TestHostFiles::orphansGoAtTheNextWrite()
{
    const QString folder = m_host->path("out");
    QVERIFY(QDir().mkpath(folder));
    const QStringList names { "result.jpg.Ab12Cd", "b.JPG.zzzzzz", "held.jpg.Qq99Qq", "notes.txt.Ab12Cd",
        "result.jpg.toolong1", "result.jpg" };
    for (const QString& name : names)
        writeBytes(folder + '/' + name, "old");
    const int held = ::open(QFile::encodeName(folder + "/held.jpg.Qq99Qq").constData(), O_RDONLY);
    QVERIFY(held >= 0 && flock(held, LOCK_EX) == 0);
    QCOMPARE(SecureFile::writeFile(folder + "/result.jpg", "new"), SecureFile::NoError);
    ::close(held);
    QCOMPARE(QDir(folder).entryList(QDir::Files),
        QStringList({ "held.jpg.Qq99Qq", "notes.txt.Ab12Cd", "result.jpg", "result.jpg.toolong1" }));
    QCOMPARE(readAll(folder + "/result.jpg"), QByteArray("new"));

    // A registration killed before its picture was written left an empty name.
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("store").toLocal8Bit());
    QVERIFY(HostDialogs::writeMarker("PatientID.TMP", "P-6") == SecureFile::NoError);
    const QString folder6 = HostDialogs::patientFolder("P-6");
    writeBytes(folder6 + "/Kestrin_20200101_000000.jpg", {});
    QVERIFY(PhotoRegistration::registerPicture(writePicture).ok());
    QCOMPARE(QDir(folder6).entryList(QDir::Files).size(), 1);
}

void TestHostFiles::fifosAreRefusedWithoutHanging()
{
    for (const QString& name : { m_host->path("fifo.ini"), HostDialogs::tempFolder() + "PatientID.TMP" })
        QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0600), 0);
    IniFile ini;
    QVERIFY(!ini.load(m_host->path("fifo.ini")));
    QCOMPARE(ini.error(), SecureFile::NotRegular);
    QCOMPARE(HostDialogs::currentPatient(), QString());
    QCOMPARE(runTool({ "set-patient", "P-7" }), 0); // replaces the FIFO
    QCOMPARE(HostDialogs::currentPatient(), QString("P-7"));
}

QTEST_MAIN(TestHostFiles)
#include "tst_hostfiles.moc"
