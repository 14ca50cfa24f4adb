// The files Kestrin shares with the practice: the host's INI edited in place, the
// marker files and temporary folder, the photo store and the photo database. Real
// files, links, FIFOs and modes; tests run as root, so "another user" is a chown.
#include "core/gallery/gallerycatalogue.h"
#include "core/host/hostdialogs.h"
#include "core/host/hosttools.h"
#include "core/host/photocatalog.h"
#include "core/host/profile.h"
#include "core/host/securefile.h"
#include "core/output/photoregistration.h"
#include "testutils.h"
#include "ui/frame/ckestrinapp.h"
#include "ui/frame/cmainframe.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using testutils::cp932;
using testutils::modeOf;
using testutils::readAll;
using testutils::writeBytes;

namespace {

bool writePicture(const QString& path) { return writeBytes(path, "composite bytes"); }

QString hostIni()
{
    return "; host settings\r\n[DB_DIR]\r\nServer Path = \\\\server\\share\\molvex\r\n"
           "PhotoDir=D:\\Molvex\\写真\\\r\nDoctor=山田 太郎\r\nDup=1\r\ndup=2\r\n# comment\r\n"
           "Note=\"a;b\"\r\n\r\n[bracket]\r\nWINZOOM = 0\r\nTitle=表示\r\n";
}

} // namespace

class TestHostFiles : public QObject {
    Q_OBJECT
    std::unique_ptr<testutils::IsolatedHost> m_host;

private slots:
    void init() { m_host = std::make_unique<testutils::IsolatedHost>(); }
    void cleanup()
    {
        m_host.reset();
        qunsetenv("MOLVEX_PHOTOSTORE_MODE");
    }

    void programKeepsTheHostIni_data()
    {
        testutils::columns<QByteArray, QStringList>({ "before", "messages" });
        QTest::newRow("CP932, CR LF, gallery with doubled backslashes")
            << cp932("[DB_DIR]\r\nGALLERY=<here>\r\n" + hostIni()) << QStringList();
        QTest::newRow("UTF-8, LF, unterminated, drive letter")
            << ("[DB_DIR]\nGALLERY=D:\\Molvex\\Gallery\\\n" + hostIni().replace("\r\n", "\n"))
                   .chopped(1)
                   .toUtf8()
            << QStringList("bracket.csvが見つかりません\nD:\\Molvex\\Gallery\\");
    }

    // Start, maximise and quit twice: the host's bytes stay, Kestrin's keys are
    // added in the file's encoding and line ends, and all read back.
    void programKeepsTheHostIni()
    {
        QFETCH(QByteArray, before);
        const QString ini = m_host->path("Molvex.ini"), photo = m_host->path("写真.png");
        before.replace("<here>", m_host->path("gallery").replace('/', "\\\\").toUtf8());
        writeBytes(ini, before);
        QVERIFY(chmod(QFile::encodeName(ini).constData(), 0640) == 0);
        QVERIFY(testutils::positionImage(40, 30).save(photo));
        auto* app = static_cast<CKestrinApp*>(qApp);
        for (int run = 0; run < 2; ++run) {
            testutils::MessageBoxCloser closer;
            QVERIFY(app->InitInstance({ "kestrin", photo }));
            QTRY_COMPARE(closer.texts, testutils::fetch<QStringList>("messages"));
            QCOMPARE(app->mainFrame()->restoreState(Profile::getByteArray("BarState", "State"), 1),
                run == 1);
            app->mainFrame()->showMaximized();
            app->mainFrame()->close();
            app->ExitInstance();
        }
        const bool crlf = before.contains("\r\n");
        const QByteArray eol = crlf ? "\r\n" : "\n", after = readAll(ini);
        QByteArray kept = QByteArray(before).replace("WINZOOM = 0", "WINZOOM = 1");
        kept += kept.endsWith(eol) ? "" : eol;
        QVERIFY2(after.startsWith(kept), after.constData());
        const QByteArray added = after.mid(kept.size());
        const QString recent = "[Recent File List]" + eol + "File1=" + photo + eol;
        QVERIFY(added.contains(crlf ? cp932(recent) : recent.toUtf8())
            && added.contains("[BarState]" + eol + "State="));
        QVERIFY(!QByteArray(added).replace(eol, "").contains(crlf ? '\n' : '\r'));
        QCOMPARE(modeOf(ini), 0640);
        // Values read literally, whatever the encoding: backslashes, ';', spaces in names.
        for (const QStringList& row :
            { QStringList { "db_dir", "SERVER PATH", "\\\\server\\share\\molvex" },
                { "DB_DIR", "PhotoDir", "D:\\Molvex\\写真\\" }, { "DB_DIR", "DUP", "1" },
                { "DB_DIR", "Note", "a;b" }, { "BRACKET", "Title", "表示" },
                { "DB_DIR", "# comment", "-" }, { "BRACKET", "Doctor", "-" } })
            QCOMPARE(Profile::getString(row[0], row[1], "-"), row[2]);
        // A line break would add lines to the host's file; a failed write keeps it.
        QVERIFY(!Profile::writeString("Recent File List", "File1", "a\r\n[BRACKET]"));
        testutils::FileSizeLimit full(1);
        QVERIFY(!Profile::writeInt("BRACKET", "WINZOOM", 0));
        QCOMPARE(readAll(ini), after);
    }

    void tempFolderAndMarkers_data()
    {
        testutils::columns<QString, int, int>({ "plant", "mode", "owner" });
        QTest::newRow("link to a file") << "link" << 0700 << 0;
        QTest::newRow("dangling link") << "dangling" << 0700 << 0;
        QTest::newRow("FIFO") << "fifo" << 0700 << 0;
        QTest::newRow("group-writable") << "" << 0770 << 0;
        QTest::newRow("other-writable, sticky") << "" << 01777 << 0;
        QTest::newRow("another user's") << "" << 0700 << 65534;
    }

    // What is planted at a marker's name is replaced, never followed nor waited
    // on; a folder others own or can write to is not used at all.
    void tempFolderAndMarkers()
    {
        QFETCH(QString, plant);
        QFETCH(int, mode);
        QFETCH(int, owner);
        const QString temp = HostDialogs::tempFolder(), victim = m_host->path("victim");
        writeBytes(victim, "P-victim");
        for (const char* name : { "PatientID.TMP", "ImgADD.TMP" }) {
            if (!plant.isEmpty())
                QVERIFY(plant == "fifo"
                        ? mkfifo(QFile::encodeName(temp + name), 0600) == 0
                        : QFile::link(victim + (plant == "link" ? "" : "-gone"), temp + name));
            QVERIFY(!HostTools::fileExists(temp + name));
        }
        const QByteArray folder = QFile::encodeName(temp);
        QVERIFY(chmod(folder, mode_t(mode)) == 0 && chown(folder, uid_t(owner), gid_t(owner)) == 0);
        const bool trusted = owner == 0 && !(mode & 022);
        QCOMPARE(HostDialogs::tempFolderProblem().isEmpty(), trusted);
        QCOMPARE(HostDialogs::currentPatient(), QString());
        QProcess tool;
        tool.start(testutils::programPath("molvex-photodb"), { "set-patient", "P-1" });
        QCOMPARE(tool.waitForFinished(20000) && tool.exitCode() == 0, trusted);
        QCOMPARE(HostTools::fileExists(temp + "PatientID.TMP"), trusted);
        QCOMPARE(PhotoRegistration::registerComposite(writePicture).isEmpty(), !trusted);
        QVERIFY(readAll(victim) == "P-victim" && !QFile::exists(victim + "-gone"));
        QCOMPARE(readAll(temp + "PatientID.TMP"), trusted ? QByteArray("P-1") : "<unreadable>");
        QVERIFY(modeOf(temp + "PatientID.TMP") == (trusted ? 0600 : -1)
            && modeOf(temp + "ImgADD.TMP") == (trusted ? 0600 : -1));
        // Nor is a marker read from such a folder.
        writeBytes(temp + "PatientID.TMP", "P-3");
        QCOMPARE(HostDialogs::currentPatient(), trusted ? QString("P-3") : QString());

        // A folder Kestrin makes itself is private.
        qunsetenv("MOLVEX_TEMP");
        qputenv("XDG_RUNTIME_DIR", m_host->path("run").toLocal8Bit());
        QVERIFY(SecureFile::makeFolder(m_host->path("run"), 0700));
        QCOMPARE(modeOf(HostDialogs::tempFolder()), 0700);
    }

    void registrationIsAllOrNothing_data()
    {
        using R = PhotoRegistration;
        testutils::columns<int, int>({ "outcome", "kind" });
        QTest::newRow("locked") << int(R::DatabaseFailed) << int(SecureFile::Locked);
        QTest::newRow("damaged") << int(R::DatabaseFailed) << int(SecureFile::Damaged);
        QTest::newRow("foreign") << int(R::DatabaseFailed) << int(SecureFile::Damaged);
        QTest::newRow("fifo") << int(R::DatabaseFailed) << int(SecureFile::NotRegular);
        QTest::newRow("store") << int(R::StoreFailed) << int(SecureFile::OtherError);
        QTest::newRow("taken names, group mode") << int(R::Registered) << int(SecureFile::NoError);
        QTest::newRow("repeat") << int(R::Cancelled) << int(SecureFile::NoError);
        QTest::newRow("no patient") << int(R::NoPatient) << int(SecureFile::NoError);
        QTest::newRow("save fails") << int(R::SaveFailed) << int(SecureFile::OtherError);
    }

    void registrationIsAllOrNothing()
    {
        const QString setup = QTest::currentDataTag(), db = PhotoCatalog::databasePath();
        QFETCH(int, outcome);
        const bool group = setup.startsWith("taken");
        if (group) {
            qputenv("MOLVEX_PHOTOSTORE_MODE", "0666"); // group bits only: others never
            // Dangling links at this and the next seconds' first names.
            const QString name
                = "'" + HostDialogs::patientFolder("P-5") + "/Kestrin_'yyyyMMdd_HHmmss'.jpg'";
            for (int s = 0; s < 3; ++s)
                QVERIFY(QFile::link(m_host->path("elsewhere/x.jpg"),
                    QDateTime::currentDateTime().addSecs(s).toString(name)));
        }
        QVERIFY(setup == "no patient"
            || HostDialogs::writeMarker("PatientID.TMP", "P-5") == SecureFile::NoError);
        if (setup == "repeat")
            QVERIFY(PhotoRegistration::registerPicture(writePicture).ok());
        if (setup == "damaged" || setup == "store")
            writeBytes(setup == "store" ? m_host->path("store") : db, QByteArray(4096, 'x'));
        if (setup == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(db).constData(), 0600), 0);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(setup == "foreign" || setup == "locked" ? db : ":memory:");
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(setup == "foreign" ? q.exec("CREATE TABLE patients (id TEXT)")
                                       : setup != "locked"
                        || (q.exec("BEGIN EXCLUSIVE") && q.exec("CREATE TABLE t (x)")));
            const QByteArray dbBefore = setup == "damaged" || setup == "foreign" ? readAll(db) : "";
            // A failed save is taken back: no picture, no record, no word to the host.
            const auto result = PhotoRegistration::registerPicture(
                [&](const QString& path) { return writePicture(path) && setup != "save fails"; },
                [] { return false; });
            QCOMPARE(int(result.outcome), outcome);
            QTEST(int(result.kind), "kind");
            QCOMPARE(result.message.isEmpty(), setup == "repeat");
            QVERIFY(!group || result.path.endsWith("_2.jpg"));
            if (setup == "locked" || setup == "foreign" || setup == "fifo")
                QVERIFY2(result.message.contains(db), qPrintable(result.message));
            if (!dbBefore.isEmpty())
                QCOMPARE(readAll(db), dbBefore);
            q.exec("ROLLBACK");
        }
        QSqlDatabase::removeDatabase("other");
        QCOMPARE(QFile::exists(HostDialogs::tempFolder() + "ImgADD.TMP"),
            outcome == PhotoRegistration::Registered || setup == "repeat");
        const QStringList files = QDir(m_host->path("store/P-5")).entryList(QDir::Files);
        QCOMPARE(files.size(), setup == "repeat" || group ? 1 : 0);
        QVERIFY(files.isEmpty()
            || (modeOf(m_host->path("store/P-5/") + files[0]) == (group ? 0660 : 0600)
                && modeOf(m_host->path("store/P-5")) == (group ? 0770 : 0700)));
        PhotoCatalog catalog;
        QCOMPARE(
            catalog.open(PhotoCatalog::ReadOnly) == 0 ? catalog.list().size() : 0, files.size());
    }

    void orphansGoAtTheNextWrite()
    {
        const QString folder = m_host->path("out");
        QVERIFY(QDir().mkpath(folder));
        for (const QString name : { "result.jpg.Ab12Cd", "b.JPG.zzzzzz", "held.jpg.Qq99Qq",
                 "bracket.csv.Ab12Cd", "result.jpg.toolong1", "result.jpg", "bracket.csv" })
            writeBytes(folder + '/' + name, "old");
        const int held
            = ::open(QFile::encodeName(folder + "/held.jpg.Qq99Qq").constData(), O_RDONLY);
        QVERIFY(held >= 0 && flock(held, LOCK_EX) == 0);
        QCOMPARE(SecureFile::writeFile(folder + "/result.jpg", "new"), SecureFile::NoError);
        ::close(held);
        // The catalogue's rewrite sweeps its own kind and keeps the file's mode.
        QVERIFY(chmod(QFile::encodeName(folder + "/bracket.csv").constData(), 0664) == 0);
        QVERIFY(GalleryCatalogue::SaveCatalogue(folder + "/bracket.csv", {}));
        QCOMPARE(modeOf(folder + "/bracket.csv"), 0664);
        QCOMPARE(QDir(folder).entryList(QDir::Files),
            QStringList({ "bracket.csv", "held.jpg.Qq99Qq", "result.jpg", "result.jpg.toolong1" }));

        // A registration killed before its picture was written left an empty name.
        QVERIFY(HostDialogs::writeMarker("PatientID.TMP", "P-6") == SecureFile::NoError);
        const QString folder6 = HostDialogs::patientFolder("P-6");
        writeBytes(folder6 + "/Kestrin_20200101_000000.jpg", {});
        QVERIFY(PhotoRegistration::registerPicture(writePicture).ok());
        QCOMPARE(QDir(folder6).entryList(QDir::Files).size(), 1);
    }
};

int main(int argc, char** argv)
{
    CKestrinApp app(argc, argv);
    TestHostFiles test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hostfiles.moc"
