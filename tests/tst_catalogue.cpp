// The gallery catalogue: folder lookup, line splitting, reading, rewriting and
// appending bracket.csv, including files written by the Windows version and
// damaged ones.
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/galleryentry.h"
#include "core/host/hosttools.h"
#include "testutils.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using testutils::FileSizeLimit;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void touch(const QString& path) { writeBytes(path, QByteArray("\x89PNG", 4)); }

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void splitFields_data();
    void splitFields();
    void splitFieldsAppends();
    void folderPrefix_data();
    void folderPrefix();
    void galleryFolderDefault();
    void galleryFolderInstalled();
    void galleryFolderConfigured_data();
    void galleryFolderConfigured();
    void catalogueFile();

    void loadLineEnds_data();
    void loadLineEnds();
    void loadFields();
    void loadMissingCatalogue();
    void loadCatalogueIsFolder();
    void loadMissingFolder();
    void loadCp932();
    void loadMixedEncodings();
    void loadByteOrderMark();
    void loadBadInput_data();
    void loadBadInput();
    void loadOverlongLine();
    void loadRandomJunk();
    void loadBackslashPictureName();

    void entrySide_data();
    void entrySide();
    void entryLineKeepsSevenFields();

    void saveRoundTrip();
    void saveDropsMissingAndExtraFields();
    void saveKeepsGivenOrder();
    void saveNoEntriesGivesEmptyFile();
    void saveUnwritableFolderKeepsFile();
    void saveFullDiskKeepsFile();
    void saveMissingFolder();

    void nextPictureName_data();
    void nextPictureName();
    void nextPictureNameSkipsAnything();

    void countLines_data();
    void countLines();

    void appendAfterFiveLines();
    void appendToEmptyCatalogue();
    void appendTerminatesLastLine();
    void appendPictureNumberIndependent();
    void appendMissingCatalogue();
    void appendReadOnlyCatalogue();
    void appendFullDiskKeepsFile();
    void appendThenLoad();
    void appendCatalogueIsFolder();

    void sampleGallery();

private:
    QString gallery() const { return m_host->path("Gallery/"); }
    QString csv() const { return gallery() + "bracket.csv"; }
    QVector<GalleryEntry> load()
    {
        QVector<GalleryEntry> entries;
        if (!GalleryCatalogue::LoadCatalogue(gallery(), csv(), entries))
            qWarning("catalogue could not be opened");
        return entries;
    }

    std::unique_ptr<testutils::IsolatedHost> m_host;
};

void TestCatalogue::init()
{
    m_host = std::make_unique<testutils::IsolatedHost>();
    QVERIFY(m_host->dir.isValid());
    QVERIFY(QDir(m_host->dir.path()).mkpath("Gallery"));
    for (const char* name : { "bracket0001.png", "bracket0002.png", "bracket0003.png" })
        touch(gallery() + name);
}

void TestCatalogue::cleanup()
{
    QFile::setPermissions(gallery(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_host.reset();
}

void TestCatalogue::splitFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("seven") << "a,b,c,d,e,f,g" << QStringList { "a", "b", "c", "d", "e", "f", "g" };
    QTest::newRow("no comma") << "abc" << QStringList { "abc" };
    QTest::newRow("empty line") << "" << QStringList { "" };
    QTest::newRow("trailing comma") << "a,b," << QStringList { "a", "b", "" };
    QTest::newRow("leading comma") << ",a" << QStringList { "", "a" };
    QTest::newRow("adjacent commas") << "a,b,,d" << QStringList { "a", "b", "", "d" };
    QTest::newRow("only commas") << ",," << QStringList { "", "", "" };
    QTest::newRow("japanese") << "ブラケット,素材" << QStringList { "ブラケット", "素材" };
}

void TestCatalogue::splitFields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QStringList got;
    QCOMPARE(GalleryCatalogue::SplitFields(line, ',', got), fields.size());
    QCOMPARE(got, fields);
}

void TestCatalogue::splitFieldsAppends()
{
    QStringList fields { "kept" };
    QCOMPARE(GalleryCatalogue::SplitFields("x,y", ',', fields), 2);
    QCOMPARE(fields, (QStringList { "kept", "x", "y" }));
}

void TestCatalogue::folderPrefix_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("with slash") << "/srv/gallery/"
                                << "/srv/gallery/";
    QTest::newRow("without slash") << "/srv/gallery"
                                   << "/srv/gallery/";
    QTest::newRow("windows with") << "C:\\Molvex\\Gallery\\"
                                  << "C:/Molvex/Gallery/";
    QTest::newRow("windows without") << "C:\\Molvex\\Gallery"
                                     << "C:/Molvex/Gallery/";
    QTest::newRow("relative") << "Gallery"
                              << "Gallery/";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCatalogue::folderPrefix()
{
    QFETCH(QString, folder);
    QFETCH(QString, prefix);
    QCOMPARE(GalleryCatalogue::FolderPrefix(folder), prefix);
}

void TestCatalogue::galleryFolderDefault()
{
    // No gallery named in the INI: the folder beside the program.
    QSettings(QString::fromLocal8Bit(qgetenv("MOLVEX_INI")), QSettings::IniFormat)
        .remove("DB_DIR/GALLERY");
    const QString expected = QCoreApplication::applicationDirPath() + "/Gallery/";
    QCOMPARE(GalleryCatalogue::GalleryFolder(), expected);

    // An empty value counts as none.
    {
        QSettings ini(HostTools::iniFileName(0), QSettings::IniFormat);
        ini.setValue("DB_DIR/GALLERY", QString());
    }
    QCOMPARE(GalleryCatalogue::GalleryFolder(), expected);
}

void TestCatalogue::galleryFolderInstalled()
{
    // An installed program in <prefix>/bin finds <prefix>/share/kestrin/Gallery;
    // a Gallery folder beside the program still comes first.
    const QString prefix = m_host->path("prefix");
    const QString bin = prefix + "/bin";
    QVERIFY(QDir().mkpath(bin));
    QCOMPARE(GalleryCatalogue::DefaultFolder(bin), bin + "/Gallery/");
    QVERIFY(QDir().mkpath(prefix + "/share/kestrin/Gallery"));
    QCOMPARE(GalleryCatalogue::DefaultFolder(bin), prefix + "/share/kestrin/Gallery/");
    QCOMPARE(GalleryCatalogue::DefaultFolder(bin + "/"), prefix + "/share/kestrin/Gallery/");
    QVERIFY(QDir().mkpath(bin + "/Gallery"));
    QCOMPARE(GalleryCatalogue::DefaultFolder(bin), bin + "/Gallery/");
}

void TestCatalogue::galleryFolderConfigured_data()
{
    QTest::addColumn<QByteArray>("iniLine");
    QTest::addColumn<QString>("folder");

    QTest::newRow("trailing slash") << QByteArray("GALLERY=/srv/bracket/") << "/srv/bracket/";
    QTest::newRow("no trailing slash") << QByteArray("GALLERY=/srv/bracket") << "/srv/bracket/";
    QTest::newRow("quoted backslashes")
        << QByteArray("GALLERY=\"D:\\\\Molvex\\\\Gallery\\\\\"") << "D:/Molvex/Gallery/";
    QTest::newRow("comma in name") << QByteArray("GALLERY=/srv/a,b") << "/srv/a,b/";
}

void TestCatalogue::galleryFolderConfigured()
{
    QFETCH(QByteArray, iniLine);
    QFETCH(QString, folder);
    writeBytes(HostTools::iniFileName(0), "[DB_DIR]\n" + iniLine + "\n");
    QCOMPARE(GalleryCatalogue::GalleryFolder(), folder);
}

void TestCatalogue::catalogueFile()
{
    {
        QSettings ini(HostTools::iniFileName(0), QSettings::IniFormat);
        ini.setValue("DB_DIR/GALLERY", gallery());
    }
    QCOMPARE(GalleryCatalogue::CatalogueFile(), csv());

    // Looked up anew each time: a changed INI takes effect at once.
    {
        QSettings ini(HostTools::iniFileName(0), QSettings::IniFormat);
        ini.setValue("DB_DIR/GALLERY", "/elsewhere");
    }
    QCOMPARE(GalleryCatalogue::CatalogueFile(), QString("/elsewhere/bracket.csv"));
}

void TestCatalogue::loadLineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("crlf") << QByteArray("bracket0001.png,A,m,w,V,M,outer\r\n"
                                        "bracket0002.png,B,m,w,V,M,inner\r\n");
    QTest::newRow("lf") << QByteArray("bracket0001.png,A,m,w,V,M,outer\n"
                                      "bracket0002.png,B,m,w,V,M,inner\n");
    QTest::newRow("no final line feed") << QByteArray("bracket0001.png,A,m,w,V,M,outer\r\n"
                                                      "bracket0002.png,B,m,w,V,M,inner");
    QTest::newRow("empty lines between")
        << QByteArray("\r\nbracket0001.png,A,m,w,V,M,outer\r\n"
                      "\n\nbracket0002.png,B,m,w,V,M,inner\r\n\r\n");
}

void TestCatalogue::loadLineEnds()
{
    QFETCH(QByteArray, bytes);
    writeBytes(csv(), bytes);
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].bracketName, QString("A"));
    QCOMPARE(entries[0].side, QString("outer"));
    QCOMPARE(entries[1].bracketName, QString("B"));
    QCOMPARE(entries[1].side, QString("inner"));
    QCOMPARE(entries[1].picturePath, gallery() + "bracket0002.png");
}

void TestCatalogue::loadFields()
{
    writeBytes(csv(),
        "bracket0003.png,Clarity,,NiTi 014,Vendor0000,Memo0000,outer\r\n"
        "bracket0001.png,Eight,m,w,v,memo,inner,extra\r\n"
        "bracket0002.png,Short,m\r\n"
        "bracket0009.png,Missing,m,w,v,memo,outer\r\n"
        "bracket0001.png,Capital,m,w,v,memo,Inner\r\n");
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 4);

    // File order, not sorted.
    QCOMPARE(entries[0].picturePath, gallery() + "bracket0003.png");
    QCOMPARE(entries[0].bracketName, QString("Clarity"));
    QCOMPARE(entries[0].material, QString(""));
    QCOMPARE(entries[0].wire, QString("NiTi 014"));
    QCOMPARE(entries[0].vendor, QString("Vendor0000"));
    QCOMPARE(entries[0].memo, QString("Memo0000"));

    QCOMPARE(entries[1].side, QString("inner"));
    QCOMPARE(entries[1].memo, QString("memo"));

    // A short line whose picture exists is kept, its missing fields empty.
    QCOMPARE(entries[2].bracketName, QString("Short"));
    QCOMPARE(entries[2].material, QString("m"));
    QCOMPARE(entries[2].wire, QString());
    QCOMPARE(entries[2].side, QString("outer"));

    QCOMPARE(entries[3].bracketName, QString("Capital"));
    QCOMPARE(entries[3].side, QString("outer"));
}

void TestCatalogue::loadMissingCatalogue()
{
    QVector<GalleryEntry> entries { GalleryEntry() };
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), csv(), entries));
    QVERIFY(entries.isEmpty());
}

void TestCatalogue::loadCatalogueIsFolder()
{
    QVERIFY(QDir(gallery()).mkdir("bracket.csv"));
    QVector<GalleryEntry> entries;
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), csv(), entries));
    QVERIFY(entries.isEmpty());
}

void TestCatalogue::loadMissingFolder()
{
    QVector<GalleryEntry> entries;
    const QString folder = m_host->path("nowhere/");
    QVERIFY(!GalleryCatalogue::LoadCatalogue(folder, folder + "bracket.csv", entries));
}

void TestCatalogue::loadCp932()
{
    const QString text
        = QStringLiteral("bracket0001.png,クリアブラケット,セラミック,ニッケルチタン,"
                         "ソ表,メモ,inner\r\n");
    QStringEncoder encoder("CP932");
    QVERIFY(encoder.isValid());
    const QByteArray bytes = encoder.encode(text);
    QVERIFY(!encoder.hasError());
    // "ソ" and "表" end in the byte of a backslash in CP932; decoding must happen
    // before anything looks for separators.
    QVERIFY(bytes.contains('\\'));
    writeBytes(csv(), bytes);

    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].bracketName, QStringLiteral("クリアブラケット"));
    QCOMPARE(entries[0].material, QStringLiteral("セラミック"));
    QCOMPARE(entries[0].wire, QStringLiteral("ニッケルチタン"));
    QCOMPARE(entries[0].vendor, QStringLiteral("ソ表"));
    QCOMPARE(entries[0].side, QString("inner"));

    // The rewrite is UTF-8.
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), entries));
    QCOMPARE(QString::fromUtf8(readAll(csv())), text);
}

void TestCatalogue::loadMixedEncodings()
{
    QStringEncoder encoder("CP932");
    QByteArray bytes
        = encoder.encode(QStringLiteral("bracket0001.png,旧,素材,ワイヤー,V,M,outer\r\n"));
    bytes += QStringLiteral("bracket0002.png,新,素材,ワイヤー,V,M,outer\r\n").toUtf8();
    writeBytes(csv(), bytes);
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].bracketName, QStringLiteral("旧"));
    QCOMPARE(entries[1].bracketName, QStringLiteral("新"));
    QCOMPARE(entries[1].wire, QStringLiteral("ワイヤー"));
}

void TestCatalogue::loadByteOrderMark()
{
    writeBytes(csv(),
        "\xEF\xBB\xBF"
        "bracket0001.png,A,m,w,V,M,outer\r\n");
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].picturePath, gallery() + "bracket0001.png");
}

void TestCatalogue::loadBadInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");

    const QByteArray good("bracket0001.png,A,m,w,V,M,outer\r\n");
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("only line feeds") << QByteArray("\n\n\r\n") << 0;
    QTest::newRow("nul bytes") << QByteArray("bracket0001.png\0x,A,m,w,V,M,outer\r\n", 35) + good
                               << 1;
    QTest::newRow("nul in text") << QByteArray("bracket0002.png,A\0B,m,w,V,M,outer\r\n", 35) << 1;
    QTest::newRow("invalid everywhere")
        << QByteArray("bracket0001.png,\xFF\xFE\x80\xFD,m,w,V,M,outer\n") << 1;
    QTest::newRow("long line") << QByteArray(100000, 'x') + "\n" + good << 1;
    QTest::newRow("long field") << "bracket0002.png," + QByteArray(100000, 'y') + ",m,w,V,M,outer\n"
                                << 1;
    QTest::newRow("many commas") << QByteArray(100000, ',') + "\n" + good << 1;
    QTest::newRow("folder as picture") << QByteArray(",A,m,w,V,M,outer\n.,B\n..,C\n") << 0;
    QTest::newRow("lone cr") << QByteArray("bracket0001.png,A\rB,m,w,V,M,outer\r") << 1;
}

void TestCatalogue::loadBadInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    writeBytes(csv(), bytes);
    QCOMPARE(load().size(), count);
}

void TestCatalogue::loadOverlongLine()
{
    // A line far beyond any real one is skipped whole; the lines after it load.
    QByteArray bytes("bracket0001.png,first,m,w,V,M,outer\n");
    bytes += "bracket0002.png," + QByteArray(3 << 20, 'z') + ",m,w,V,M,outer\n";
    bytes += "bracket0003.png,last,m,w,V,M,inner";
    writeBytes(csv(), bytes);
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].bracketName, QString("first"));
    QCOMPARE(entries[1].bracketName, QString("last"));
    QCOMPARE(entries[1].side, QString("inner"));
}

void TestCatalogue::loadRandomJunk()
{
    QRandomGenerator random(4711);
    for (int round = 0; round < 50; ++round) {
        QByteArray junk(int(random.bounded(32, 20000)), Qt::Uninitialized);
        for (char& c : junk)
            c = char(random.bounded(256));
        // Give some lines a real picture name so the field handling runs too.
        if (round % 2)
            junk.replace(junk.size() / 2, 16, "\nbracket0001.png,");
        QBuffer buffer(&junk);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QVector<GalleryEntry> entries;
        GalleryCatalogue::ReadCatalogue(gallery(), buffer, entries);
        for (const GalleryEntry& entry : entries)
            QVERIFY(entry.side == "inner" || entry.side == "outer");
    }
}

void TestCatalogue::loadBackslashPictureName()
{
    QVERIFY(QDir(gallery()).mkdir("sub"));
    touch(gallery() + "sub/bracket0001.png");
    writeBytes(csv(), "sub\\bracket0001.png,A,m,w,V,M,outer\r\n");
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].picturePath, gallery() + "sub/bracket0001.png");
    QCOMPARE(entries[0].pictureName(), QString("bracket0001.png"));
}

void TestCatalogue::entrySide_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("flag");

    QTest::newRow("inner") << "inner"
                           << "inner" << 0;
    QTest::newRow("outer") << "outer"
                           << "outer" << 1;
    QTest::newRow("capital") << "Inner"
                             << "outer" << 1;
    QTest::newRow("padded") << " inner"
                            << "outer" << 1;
    QTest::newRow("empty") << ""
                           << "outer" << 1;
    QTest::newRow("other") << "lingual"
                           << "outer" << 1;
}

void TestCatalogue::entrySide()
{
    QFETCH(QString, field);
    QFETCH(QString, side);
    QFETCH(int, flag);
    const GalleryEntry entry
        = GalleryEntry::fromFields("/g/", { "b.png", "", "", "", "", "", field });
    QCOMPARE(entry.side, side);
    QCOMPARE(entry.sideFlag(), flag);
    QCOMPARE(entry.isInner(), flag == 0);
}

void TestCatalogue::entryLineKeepsSevenFields()
{
    GalleryEntry entry;
    entry.picturePath = "/g/bracket0001.png";
    entry.bracketName = "A,B";
    entry.material = "two\nlines";
    entry.wire = "w\r";
    entry.side = "inner";
    const QString line = entry.catalogueLine();
    QCOMPARE(line, QString("bracket0001.png,A.B,two lines,w ,,,inner"));
    QStringList fields;
    QCOMPARE(GalleryCatalogue::SplitFields(line, ',', fields), 7);
}

void TestCatalogue::saveRoundTrip()
{
    const QByteArray original
        = QStringLiteral("bracket0001.png,メタル,ステンレス,NiTi 016,Vendor0000,"
                         "Memo0000,outer\r\n"
                         "bracket0002.png,リンガル,,SS 018,v,m,inner\r\n")
              .toUtf8();
    writeBytes(csv(), original);
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), load()));
    QCOMPARE(readAll(csv()), original);
}

void TestCatalogue::saveDropsMissingAndExtraFields()
{
    writeBytes(csv(),
        "bracket0001.png,A,m,w,v,memo,outer,eighth\n"
        "bracket0042.png,Gone,m,w,v,memo,outer\n"
        "bracket0002.png,B,m,w,v,memo,Inner\n"
        "bracket0003.png,C,m\n");
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), load()));
    QCOMPARE(readAll(csv()),
        QByteArray("bracket0001.png,A,m,w,v,memo,outer\r\n"
                   "bracket0002.png,B,m,w,v,memo,outer\r\n"
                   "bracket0003.png,C,m,,,,outer\r\n"));
}

void TestCatalogue::saveKeepsGivenOrder()
{
    writeBytes(csv(),
        "bracket0001.png,B,m,w,v,memo,outer\n"
        "bracket0002.png,C,m,w,v,memo,outer\n"
        "bracket0003.png,A,m,w,v,memo,outer\n");
    QVector<GalleryEntry> entries = load();
    std::sort(entries.begin(), entries.end(),
        [](const GalleryEntry& a, const GalleryEntry& b) { return a.bracketName < b.bracketName; });
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), entries));
    QCOMPARE(readAll(csv()),
        QByteArray("bracket0003.png,A,m,w,v,memo,outer\r\n"
                   "bracket0001.png,B,m,w,v,memo,outer\r\n"
                   "bracket0002.png,C,m,w,v,memo,outer\r\n"));
}

void TestCatalogue::saveNoEntriesGivesEmptyFile()
{
    writeBytes(csv(), "bracket0001.png,A,m,w,v,memo,outer\r\n");
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), {}));
    QVERIFY(QFileInfo::exists(csv()));
    QCOMPARE(QFileInfo(csv()).size(), 0);
}

void TestCatalogue::saveUnwritableFolderKeepsFile()
{
    if (::geteuid() == 0)
        QSKIP("permissions do not bind root");
    const QByteArray original("bracket0001.png,A,m,w,v,memo,outer\r\n");
    writeBytes(csv(), original);
    const QVector<GalleryEntry> entries = load();
    QVERIFY(QFile::setPermissions(gallery(), QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(!GalleryCatalogue::SaveCatalogue(csv(), {}));
    QCOMPARE(readAll(csv()), original);
}

void TestCatalogue::saveFullDiskKeepsFile()
{
    const QByteArray original("bracket0001.png,A,m,w,v,memo,outer\r\n");
    writeBytes(csv(), original);
    QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 1);
    entries[0].memo = QString(200000, 'x');
    {
        FileSizeLimit limit(4096);
        QVERIFY(!GalleryCatalogue::SaveCatalogue(csv(), entries));
    }
    QCOMPARE(readAll(csv()), original);
    QCOMPARE(QDir(gallery()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

void TestCatalogue::nextPictureName_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("next");

    QTest::newRow("empty folder") << QStringList {} << "bracket0001.png";
    QTest::newRow("gap") << QStringList { "bracket0001.png", "bracket0003.png" }
                         << "bracket0002.png";
    QTest::newRow("four") << QStringList { "bracket0001.png", "bracket0002.png", "bracket0003.png",
        "bracket0004.png" }
                          << "bracket0005.png";
    QTest::newRow("unpadded ignored") << QStringList { "bracket1.png" } << "bracket0001.png";
    QTest::newRow("other names") << QStringList { "photo.png", "bracket.csv" } << "bracket0001.png";
}

void TestCatalogue::nextPictureName()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, next);
    const QString folder = m_host->path("pictures");
    QVERIFY(QDir().mkpath(folder));
    for (const QString& name : existing)
        touch(folder + "/" + name);
    // Without and with the trailing separator.
    QCOMPARE(GalleryCatalogue::NextPictureName(folder), next);
    QCOMPARE(GalleryCatalogue::NextPictureName(folder + "/"), next);
}

void TestCatalogue::nextPictureNameSkipsAnything()
{
    const QString folder = m_host->path("pictures/");
    QVERIFY(QDir().mkpath(folder + "bracket0001.png"));
    QVERIFY(QFile::link(folder + "nowhere", folder + "bracket0002.png"));
    QCOMPARE(GalleryCatalogue::NextPictureName(folder), QString("bracket0003.png"));
}

void TestCatalogue::countLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty") << QByteArray() << 0 << QByteArray();
    QTest::newRow("one crlf") << QByteArray("a\r\n") << 1 << QByteArray("a\r\n");
    QTest::newRow("one lf") << QByteArray("a\n") << 1 << QByteArray("a\n");
    QTest::newRow("unterminated") << QByteArray("a") << 1 << QByteArray("a\r\n");
    QTest::newRow("empty lines count") << QByteArray("\n\n") << 2 << QByteArray("\n\n");
    QTest::newRow("mixed") << QByteArray("a\r\n\nb") << 3 << QByteArray("a\r\n\nb\r\n");
    QTest::newRow("big") << QByteArray("x\n").repeated(100000) << 100000
                         << QByteArray("x\n").repeated(100000);
}

void TestCatalogue::countLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, lines);
    QFETCH(QByteArray, after);
    writeBytes(csv(), bytes);
    {
        QFile file(csv());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(GalleryCatalogue::CountLinesAndTerminate(file), lines);
    }
    QCOMPARE(readAll(csv()), after);
}

void TestCatalogue::appendAfterFiveLines()
{
    writeBytes(csv(), QByteArray("bracket0001.png,A,m,w,v,memo,outer\r\n").repeated(5));
    const QString path = GalleryCatalogue::AppendEntry(gallery(), csv(), "New", "Ti", "SS");
    QCOMPARE(path, gallery() + "bracket0004.png");
    const QList<QByteArray> lines = readAll(csv()).split('\n');
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[5], QByteArray("bracket0004.png,New,Ti,SS,Vendor0005,Memo0005,outer\r"));
    QVERIFY(lines[6].isEmpty());
}

void TestCatalogue::appendToEmptyCatalogue()
{
    writeBytes(csv(), QByteArray());
    QCOMPARE(GalleryCatalogue::AppendEntry(gallery(), csv(), "B", "M", "W"),
        gallery() + "bracket0004.png");
    QCOMPARE(readAll(csv()), QByteArray("bracket0004.png,B,M,W,Vendor0000,Memo0000,outer\r\n"));
}

void TestCatalogue::appendTerminatesLastLine()
{
    writeBytes(csv(), "bracket0001.png,A,m,w,v,memo,outer\r\nbracket0002.png,B,m,w,v,memo,inner");
    QVERIFY(!GalleryCatalogue::AppendEntry(gallery(), csv(), "C", "M", "W").isEmpty());
    QCOMPARE(readAll(csv()),
        QByteArray("bracket0001.png,A,m,w,v,memo,outer\r\n"
                   "bracket0002.png,B,m,w,v,memo,inner\r\n"
                   "bracket0004.png,C,M,W,Vendor0002,Memo0002,outer\r\n"));
}

void TestCatalogue::appendPictureNumberIndependent()
{
    QVERIFY(QFile::remove(gallery() + "bracket0002.png"));
    writeBytes(csv(), "x\ny\nz\n");
    QCOMPARE(GalleryCatalogue::AppendEntry(gallery(), csv(), "日本語", "素材", "ワイヤー"),
        gallery() + "bracket0002.png");
    QCOMPARE(readAll(csv()),
        "x\ny\nz\n"
            + QStringLiteral("bracket0002.png,日本語,素材,ワイヤー,Vendor0003,Memo0003,outer\r\n")
                  .toUtf8());
}

void TestCatalogue::appendMissingCatalogue()
{
    QVERIFY(GalleryCatalogue::AppendEntry(gallery(), csv(), "B", "M", "W").isEmpty());
    QVERIFY(!QFileInfo::exists(csv()));
}

void TestCatalogue::appendReadOnlyCatalogue()
{
    if (::geteuid() == 0)
        QSKIP("permissions do not bind root");
    const QByteArray original("bracket0001.png,A,m,w,v,memo,outer");
    writeBytes(csv(), original);
    QVERIFY(QFile::setPermissions(csv(), QFile::ReadOwner));
    QVERIFY(GalleryCatalogue::AppendEntry(gallery(), csv(), "B", "M", "W").isEmpty());
    QCOMPARE(readAll(csv()), original);
}

void TestCatalogue::appendFullDiskKeepsFile()
{
    const QByteArray original = QByteArray("bracket0001.png,A,m,w,v,memo,outer\r\n").repeated(10);
    writeBytes(csv(), original);
    {
        FileSizeLimit limit(original.size() + 10);
        QVERIFY(
            GalleryCatalogue::AppendEntry(gallery(), csv(), QString(100, 'B'), "M", "W").isEmpty());
    }
    QCOMPARE(readAll(csv()), original);
}

void TestCatalogue::appendThenLoad()
{
    writeBytes(csv(), "bracket0001.png,A,m,w,v,memo,inner");
    const QString path = GalleryCatalogue::AppendEntry(gallery(), csv(), "B", "M", "W");
    touch(path);
    const QVector<GalleryEntry> entries = load();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].side, QString("inner"));
    QCOMPARE(entries[1].picturePath, path);
    QCOMPARE(entries[1].bracketName, QString("B"));
    QCOMPARE(entries[1].vendor, QString("Vendor0001"));
    QCOMPARE(entries[1].side, QString("outer"));
}

void TestCatalogue::saveMissingFolder()
{
    const QString file = m_host->path("nowhere/bracket.csv");
    QVERIFY(!GalleryCatalogue::SaveCatalogue(file, {}));
    QVERIFY(!QFileInfo::exists(file));
}

void TestCatalogue::appendCatalogueIsFolder()
{
    QVERIFY(QDir(gallery()).mkdir("bracket.csv"));
    QVERIFY(GalleryCatalogue::AppendEntry(gallery(), csv(), "B", "M", "W").isEmpty());
    QVERIFY(QFileInfo(csv()).isDir());
}

void TestCatalogue::sampleGallery()
{
    // The gallery bundled with the program must load whole and hold what the
    // list and the paste rely on: 32-bit pictures with a transparent surround.
    const QString folder = testutils::sourceDir() + "/samples/Gallery/";
    if (testutils::sourceDir().isEmpty())
        QSKIP("KESTRIN_SOURCE_DIR is not set");
    QVector<GalleryEntry> entries;
    QVERIFY(GalleryCatalogue::LoadCatalogue(folder, folder + "bracket.csv", entries));
    QVERIFY(entries.size() >= 8);
    int inner = 0;
    for (const GalleryEntry& entry : entries) {
        QVERIFY(!entry.bracketName.isEmpty());
        QVERIFY(!entry.material.isEmpty());
        QVERIFY(!entry.wire.isEmpty());
        inner += entry.isInner();
        const QImage picture(entry.picturePath);
        QVERIFY2(!picture.isNull(), qPrintable(entry.picturePath));
        QVERIFY(picture.hasAlphaChannel());
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(picture.pixel(picture.width() - 1, picture.height() - 1)), 0);
    }
    QVERIFY(inner >= 1);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
