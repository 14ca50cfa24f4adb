// The gallery catalogue: reading well-formed, legacy and damaged lines, rewriting
// and appending without ever leaving a half-written file, and finding the folder.
#include "core/gallery/gallerycatalogue.h"
#include "core/host/hosttools.h"
#include "testutils.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <QtTest>

#include <algorithm>
#include <sys/stat.h>

namespace {
QByteArray cp932(const QString& text) { return QStringEncoder("CP932").encode(text); }
const QByteArray kLine("bracket0001.png,A,m,w,v,memo,outer\r\n");
}

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void init();
    void read_data();
    void read();
    void unreadableCatalogue();
    void save_data();
    void save();
    void append_data();
    void append();
    void nextPictureName();
    void galleryFolder_data();
    void galleryFolder();

private:
    QString gallery() const { return m_host->path("Gallery/"); }
    QString csv() const { return gallery() + "bracket.csv"; }
    std::unique_ptr<testutils::IsolatedHost> m_host;
};

void TestCatalogue::init()
{
    m_host = std::make_unique<testutils::IsolatedHost>();
    QVERIFY(QDir(m_host->dir.path()).mkpath("Gallery/sub"));
    for (const char* name :
        { "bracket0001.png", "bracket0002.png", "bracket0003.png", "sub/b.png" })
        testutils::writeBytes(gallery() + name, QByteArray("\x89PNG", 4));
}

void TestCatalogue::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries"); // path below the gallery, then the six texts
    const QString a = "bracket0001.png,A,m,w,V,M,outer", b = "bracket0002.png,B,m,w,V,M,inner";
    QTest::newRow("crlf") << QByteArray(
        "bracket0001.png,A,m,w,V,M,outer\r\nbracket0002.png,B,m,w,V,M,inner\r\n")
                          << QStringList { a, b };
    QTest::newRow("lf, no last line end, BOM, empty lines") << QByteArray(
        "\xEF\xBB\xBF\r\nbracket0001.png,A,m,w,V,M,outer\n\n\nbracket0002.png,B,m,w,V,M,inner")
                                                            << QStringList { a, b };
    QTest::newRow("short, long, missing picture, capital side")
        << QByteArray("bracket0003.png,S,m\nbracket0001.png,E,m,w,v,o,inner,x\nbracket0009.png,G,m,"
                      "w,v,o,outer\nbracket0002.png,C,,,,,Inner\n")
        << QStringList { "bracket0003.png,S,m,,,,outer", "bracket0001.png,E,m,w,v,o,inner",
               "bracket0002.png,C,,,,,outer" };
    // "ソ" and "表" end in the byte of a backslash: decoding must come before splitting.
    QTest::newRow("cp932 then utf-8")
        << cp932("bracket0001.png,クリア,セラミック,ソ表,V,M,inner\r\n")
            + QString("bracket0002.png,新,素材,ワイヤー,V,M,outer\r\n").toUtf8()
        << QStringList { "bracket0001.png,クリア,セラミック,ソ表,V,M,inner",
               "bracket0002.png,新,素材,ワイヤー,V,M,outer" };
    QTest::newRow("nul bytes") << QByteArray("bracket0001.png") + '\0'
            + "x,A,m,w,V,M,outer\r\nbracket0002.png,A" + '\0'
            + "B,m\r\n" << QStringList { QString("bracket0002.png,A") + QChar(0) + "B,m,,,,outer" };
    QTest::newRow("invalid in both encodings")
        << QByteArray("bracket0001.png,\xFF\xFE\x80\xFD,m,w,V,M,outer\n")
        << QStringList { "bracket0001.png,\uFFFD\uFFFD\uFFFD\uFFFD,m,w,V,M,outer" };
    QTest::newRow("overlong line skipped whole")
        << QByteArray("bracket0001.png,A,m,w,V,M,outer\n") + "bracket0002.png,"
            + QByteArray(3 << 20, 'z') + ",m\nbracket0003.png,L,m,w,V,M,inner"
        << QStringList { a, "bracket0003.png,L,m,w,V,M,inner" };
    QTest::newRow("folders, lone cr, backslash")
        << QByteArray(",A,m\n.,B\n..,C\nbracket0001.png,A\rB,m\rsub\\b.png,X\r\n")
        << QStringList { "bracket0001.png,A\rB,m\rsub\\b.png,X,,,outer" };
    QTest::newRow("windows subfolder")
        << QByteArray("sub\\b.png,X\n") << QStringList { "sub/b.png,X,,,,,outer" };
    QTest::newRow("empty") << QByteArray() << QStringList {};
}

void TestCatalogue::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    testutils::writeBytes(csv(), bytes);
    QVector<GalleryEntry> got { GalleryEntry() };
    QVERIFY(GalleryCatalogue::LoadCatalogue(m_host->path("Gallery"), csv(), got));
    QStringList summary;
    for (const GalleryEntry& e : got) {
        QVERIFY(e.picturePath.startsWith(gallery()));
        summary << QStringList { e.picturePath.mid(gallery().size()), e.bracketName, e.material,
            e.wire, e.vendor, e.memo, e.side }
                       .join(',');
    }
    QCOMPARE(summary, entries);
    QStringList fields { "kept" }; // the splitter appends and counts every separator
    QCOMPARE(GalleryCatalogue::SplitFields(",a,,", ',', fields), 4);
    QCOMPARE(fields, (QStringList { "kept", "", "a", "", "" }));
}

void TestCatalogue::unreadableCatalogue()
{
    QVector<GalleryEntry> entries { GalleryEntry() };
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), csv() + ".missing", entries));
    QVERIFY(entries.isEmpty());
    QVERIFY(QDir(gallery()).mkdir("folder.csv"));
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), gallery() + "folder.csv", entries));
    QCOMPARE(::mkfifo(qPrintable(gallery() + "fifo.csv"), 0600), 0); // would block forever
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), gallery() + "fifo.csv", entries));
}

void TestCatalogue::save_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("memo"); // given to the first entry, unless empty
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<int>("limit"); // file size limit in bytes, 0 for none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after");
    const QByteArray two
        = QString("bracket0001.png,メタル,m,w,v,memo,outer\nbracket0002.png,B,m,w,v,memo,inner\n")
              .toUtf8();
    QTest::newRow("utf-8, crlf, given order")
        << cp932("bracket0001.png,メタル,m,w,v,memo,outer\r\n")
            + "bracket0002.png,B,m,w,v,memo,inner\n"
        << "" << true << 0 << true
        << QString(
               "bracket0002.png,B,m,w,v,memo,inner\r\nbracket0001.png,メタル,m,w,v,memo,outer\r\n")
               .toUtf8();
    QTest::newRow("separators in a text") << kLine << "a,b\r\nc" << false << 0 << true
                                          << QByteArray("bracket0001.png,A,m,w,v,a.b  c,outer\r\n");
    QTest::newRow("no entries: empty file")
        << QByteArray() << "" << false << 0 << true << QByteArray();
    QTest::newRow("full disk keeps the file")
        << two << QString(200000, 'x') << false << 4096 << false << two;
}

void TestCatalogue::save()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, memo);
    QFETCH(bool, reverse);
    QFETCH(int, limit);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);
    testutils::writeBytes(csv(), before);
    QVector<GalleryEntry> entries;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), entries));
    if (!memo.isEmpty())
        entries[0].memo = memo;
    if (reverse)
        std::reverse(entries.begin(), entries.end());
    {
        std::unique_ptr<testutils::FileSizeLimit> full;
        if (limit)
            full = std::make_unique<testutils::FileSizeLimit>(rlim_t(limit));
        QCOMPARE(GalleryCatalogue::SaveCatalogue(csv(), entries), ok);
    }
    QCOMPARE(testutils::readAll(csv()), after);
    QCOMPARE(QDir(gallery()).entryList(QDir::Files | QDir::Hidden).size(), 4); // no leftovers
    // A folder that cannot hold the file: nothing claimed, nothing made.
    QVERIFY(!GalleryCatalogue::SaveCatalogue(gallery() + "bracket0001.png/bracket.csv", entries));
}

void TestCatalogue::append_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("picture"); // empty when nothing may be appended
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("after five lines") << kLine.repeated(5) << 0 << "bracket0004.png"
                                      << kLine.repeated(5)
            + QString("bracket0004.png,新,M,W,Vendor0005,Memo0005,outer\r\n").toUtf8();
    QTest::newRow("empty")
        << QByteArray() << 0 << "bracket0004.png"
        << QString("bracket0004.png,新,M,W,Vendor0000,Memo0000,outer\r\n").toUtf8();
    QTest::newRow("unterminated last line, empty lines count")
        << QByteArray("\nx\n\r\ny") << 0 << "bracket0004.png"
        << QString("\nx\n\r\ny\r\nbracket0004.png,新,M,W,Vendor0004,Memo0004,outer\r\n").toUtf8();
    QTest::newRow("full disk keeps the file")
        << kLine.repeated(10) << 10 * kLine.size() + 10 << "" << kLine.repeated(10);
    // Past the 64 KiB read chunk, so the last, short read leaves old bytes behind it.
    const QByteArray big = QByteArray("x\n").repeated(32768) + "ab\n";
    QTest::newRow("lines counted across read chunks") << big << 0 << "bracket0004.png"
        << big + QString("bracket0004.png,新,M,W,Vendor32769,Memo32769,outer\r\n").toUtf8();
}

void TestCatalogue::append()
{
    QFETCH(QByteArray, before);
    QFETCH(int, limit);
    QFETCH(QString, picture);
    QFETCH(QByteArray, after);
    testutils::writeBytes(csv(), before);
    {
        std::unique_ptr<testutils::FileSizeLimit> full;
        if (limit)
            full = std::make_unique<testutils::FileSizeLimit>(rlim_t(limit));
        QCOMPARE(GalleryCatalogue::AppendEntry(gallery(), csv(), "新", "M", "W"),
            picture.isEmpty() ? QString() : gallery() + picture);
    }
    QCOMPARE(testutils::readAll(csv()), after);
    // Never brings a catalogue into being, nor writes into a folder under its name.
    QVERIFY(QDir(gallery()).mkdir("folder.csv"));
    QVERIFY(
        GalleryCatalogue::AppendEntry(gallery(), gallery() + "none.csv", "B", "M", "W").isEmpty());
    QVERIFY(GalleryCatalogue::AppendEntry(gallery(), gallery() + "folder.csv", "B", "M", "W")
                .isEmpty());
    QVERIFY(!QFile::exists(gallery() + "none.csv"));
}

void TestCatalogue::nextPictureName()
{
    const QString folder = m_host->path("pictures");
    QVERIFY(QDir().mkpath(folder + "/bracket0001.png")); // a folder keeps its number taken
    QVERIFY(
        QFile::link(folder + "/nowhere", folder + "/bracket0002.png")); // so does a dangling link
    testutils::writeBytes(folder + "/bracket4.png", "");
    testutils::writeBytes(folder + "/bracket0004.png", "");
    QCOMPARE(GalleryCatalogue::NextPictureName(folder), QString("bracket0003.png"));
    testutils::writeBytes(folder + "/bracket0003.png", "");
    QCOMPARE(GalleryCatalogue::NextPictureName(folder + "/"), QString("bracket0005.png"));
}

void TestCatalogue::galleryFolder_data()
{
    QTest::addColumn<QByteArray>("iniLine");
    QTest::addColumn<QString>("folder");
    QTest::newRow("no trailing slash") << QByteArray("GALLERY=/srv/bracket") << "/srv/bracket/";
    QTest::newRow("quoted backslashes")
        << QByteArray("GALLERY=\"D:\\\\Molvex\\\\Gallery\"") << "D:/Molvex/Gallery/";
    QTest::newRow("comma in name") << QByteArray("GALLERY=/srv/a,b/") << "/srv/a,b/";
    QTest::newRow("empty: beside the program")
        << QByteArray("GALLERY=") << QCoreApplication::applicationDirPath() + "/Gallery/";
}

void TestCatalogue::galleryFolder()
{
    QFETCH(QByteArray, iniLine);
    QFETCH(QString, folder);
    testutils::writeBytes(HostTools::iniFileName(0), "[DB_DIR]\n" + iniLine + "\n");
    QCOMPARE(GalleryCatalogue::GalleryFolder(), folder);
    QCOMPARE(GalleryCatalogue::CatalogueFile(), folder + "bracket.csv");
    // An installed program finds the shared gallery unless one sits beside it.
    const QString bin = m_host->path("prefix/bin");
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_host->path("prefix/share/kestrin/Gallery")));
    QCOMPARE(GalleryCatalogue::DefaultFolder(bin), m_host->path("prefix/share/kestrin/Gallery/"));
    QVERIFY(QDir().mkpath(bin + "/Gallery"));
    QCOMPARE(GalleryCatalogue::DefaultFolder(bin + "/"), bin + "/Gallery/");
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
