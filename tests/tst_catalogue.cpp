// The gallery catalogue: reading well-formed, legacy and damaged lines, changing
// exactly one line of an old catalogue and nothing else, several writers at once,
// the command-line tool, and finding the folder.
#include "core/gallery/cataloguelock.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/host/hosttools.h"
#include "testutils.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

#include <sys/stat.h>

using namespace testutils;

namespace {
// An old catalogue as a Windows machine leaves it: CP932 with CR LF, a line whose
// picture is missing (naming a number a new picture must not take), an eighth
// field, "Inner", no final line break. "NiTi ﾜｲﾔｰ" is valid UTF-8 on its own.
const QString kOld = "bracket0001.png,クリア,セラミック,NiTi ﾜｲﾔｰ,V1,M1,outer\r\n"
                     "bracket0004.png,Gone,m,w,V,M,outer\r\n"
                     "bracket0002.png,メタル,Steel,SS .016,V2,M2,inner,extra\r\n"
                     "bracket0003.png,Lingual,Gold,TMA,V3,M3,Inner";
const QStringList kOldLines = kOld.split("\r\n");
}

// One change to the old catalogue: "edit", "delete" or "add", the entry's
// picture, the texts "name|material|wire|vendor|memo|side" (for an edit, the
// texts it believes the entry has first, then "=>" and the new ones).
struct Change {
    QString op, picture, texts;
    int limit; // file size limit in bytes, 0 for none
    GalleryChange::Status status;
    QStringList lines; // the catalogue's lines afterwards, CP932 with CR LF
};
Q_DECLARE_METATYPE(Change)

namespace {

GalleryEntry entryOf(const QString& folder, const QString& picture, const QString& texts)
{
    const QStringList t = texts.split('|');
    return GalleryEntry::fromFields(folder, { picture, t.value(0), t.value(1), t.value(2), t.value(3), t.value(4), t.value(5) });
}

QByteArray joined(const QStringList& lines) { return cp932(lines.join("\r\n")); }

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_host = std::make_unique<IsolatedHost>();
        QVERIFY(QDir(m_host->dir.path()).mkpath("Gallery/sub"));
        for (const char* name :
            { "bracket0001.png", "bracket0002.png", "bracket0003.png", "sub/b.png" })
            writeBytes(gallery() + name, QByteArray("\x89PNG", 4));
    }

    void read_data()
    {
        // Each entry: the picture's path below the gallery, then the six texts.
        columns<QByteArray, QStringList>({ "bytes", "entries" });
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
        // "ソ" and "表" end in the byte of a backslash: decoding must come before
        // splitting. The whole file is CP932, though "ﾜｲﾔｰ" alone would be valid UTF-8.
        QTest::newRow("cp932")
            << cp932("bracket0001.png,クリア,セラミック,ソ表,V,M,inner\r\nbracket0002.png,新,素材,ﾜｲﾔｰ,V,M,outer\r\n")
            << QStringList { "bracket0001.png,クリア,セラミック,ソ表,V,M,inner",
                   "bracket0002.png,新,素材,ﾜｲﾔｰ,V,M,outer" };
        QTest::newRow("utf-8") << QString("bracket0002.png,新,素材,ﾜｲﾔｰ,V,M,outer").toUtf8()
                               << QStringList { "bracket0002.png,新,素材,ﾜｲﾔｰ,V,M,outer" };
        QTest::newRow("nul bytes") << QByteArray("bracket0001.png") + '\0'
                + "x,A,m,w,V,M,outer\r\nbracket0002.png,A" + '\0'
                + "B,m\r\n" << QStringList { QString("bracket0002.png,A") + QChar(0) + "B,m,,,,outer" };
        QTest::newRow("folders, lone cr, backslash")
            << QByteArray(",A,m\n.,B\n..,C\nbracket0001.png,A\rB,m\rsub\\b.png,X\r\n")
            << QStringList { "bracket0001.png,A\rB,m\rsub\\b.png,X,,,outer" };
        QTest::newRow("windows subfolder")
            << QByteArray("sub\\b.png,X\n") << QStringList { "sub/b.png,X,,,,,outer" };
        QTest::newRow("empty") << QByteArray() << QStringList {};
    }

    void read()
    {
        writeBytes(csv(), fetch<QByteArray>("bytes"));
        QVector<GalleryEntry> got { GalleryEntry() };
        QVERIFY(GalleryCatalogue::LoadCatalogue(m_host->path("Gallery"), csv(), got));
        QStringList summary;
        for (const GalleryEntry& e : got) {
            QVERIFY(e.picturePath.startsWith(gallery()));
            summary << QStringList { e.picturePath.mid(gallery().size()), e.bracketName, e.material,
                e.wire, e.vendor, e.memo, e.side }
                           .join(',');
        }
        QTEST(summary, "entries");
        QStringList fields { "kept" }; // the splitter appends and counts every separator
        QCOMPARE(GalleryCatalogue::SplitFields(",a,,", ',', fields), 4);
        QCOMPARE(fields, (QStringList { "kept", "", "a", "", "" }));
    }

    void unreadableCatalogue()
    {
        QVector<GalleryEntry> entries { GalleryEntry() };
        QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), csv() + ".missing", entries));
        QVERIFY(entries.isEmpty());
        QVERIFY(QDir(gallery()).mkdir("folder.csv"));
        QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), gallery() + "folder.csv", entries));
        QCOMPARE(::mkfifo(qPrintable(gallery() + "fifo.csv"), 0600), 0); // would block forever
        QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), gallery() + "fifo.csv", entries));
    }

    void change_data()
    {
        QTest::addColumn<Change>("c");
        QStringList L = kOldLines;
        auto with = [&L](int index, const QString& line) { QStringList l = L; l[index] = line; return l; };
        auto without = [&L](int index) { QStringList l = L; l.removeAt(index); return l; };
        const QString a = "クリア|セラミック|NiTi ﾜｲﾔｰ|V1|M1|outer";
        // clang-format off
        QTest::newRow("edit the wire only") << Change { "edit", "bracket0001.png", a + "=>クリア|セラミック|SS .018|V1|M1|outer", 0, GalleryChange::Done,
            with(0, "bracket0001.png,クリア,セラミック,SS .018,V1,M1,outer") };
        QTest::newRow("edit keeps the eighth field") << Change { "edit", "bracket0002.png", "メタル|Steel|SS .016|V2|M2|inner=>メタル,2|Steel|SS .016|V2|M 2|outer", 0, GalleryChange::Done,
            with(2, "bracket0002.png,メタル.2,Steel,SS .016,V2,M 2,outer,extra") };
        QTest::newRow("edit the Inner line's name, side kept") << Change { "edit", "bracket0003.png", "Lingual|Gold|TMA|V3|M3|outer=>Lingo|Gold|TMA|V3|M3|outer", 0, GalleryChange::Done,
            with(3, "bracket0003.png,Lingo,Gold,TMA,V3,M3,Inner") };
        QTest::newRow("edit of a line changed meanwhile") << Change { "edit", "bracket0001.png", "クリア|セラミック|NiTi|V1|M1|outer=>x|y|z|V1|M1|outer", 0, GalleryChange::Changed, L };
        QTest::newRow("edit to a character CP932 lacks") << Change { "edit", "bracket0001.png", a + "=>クリア🦷|セラミック|NiTi ﾜｲﾔｰ|V1|M1|outer", 0, GalleryChange::UnwritableText, L };
        QTest::newRow("edit on a full disk") << Change { "edit", "bracket0001.png", a + "=>クリア|セラミック|SS|V1|M1|outer", 100, GalleryChange::Unwritable, L };
        QTest::newRow("delete the first line") << Change { "delete", "bracket0001.png", a, 0, GalleryChange::Done, without(0) };
        QTest::newRow("delete a middle line") << Change { "delete", "bracket0002.png", "メタル|Steel|SS .016|V2|M2|inner", 0, GalleryChange::Done, without(2) };
        QTest::newRow("delete the unterminated last line") << Change { "delete", "bracket0003.png", "Lingual|Gold|TMA|V3|M3|outer", 0, GalleryChange::Done, without(3) };
        QTest::newRow("delete a line whose picture is missing") << Change { "delete", "bracket0004.png", "Gone|m|w|V|M|outer", 0, GalleryChange::Done, without(1) };
        QTest::newRow("delete of a line removed meanwhile") << Change { "delete", "bracket0007.png", "Gone|m|w|V|M|outer", 0, GalleryChange::Changed, L };
        QTest::newRow("delete of a changed line") << Change { "delete", "bracket0002.png", "メタル|Steel|SS|V2|M2|inner", 0, GalleryChange::Changed, L };
        QTest::newRow("add skips the number a line names") << Change { "add", "", "新|M|W|||inner", 0, GalleryChange::Done,
            L + QStringList { "bracket0005.png,新,M,W,Vendor0004,Memo0004,inner" } };
        QTest::newRow("add of an unreadable picture") << Change { "add", "", "新|M|W|||", 0, GalleryChange::UnreadablePicture, L };
        QTest::newRow("add on a full disk") << Change { "add", "bracket0005.png", "新|M|W|||", 150, GalleryChange::Unwritable, L };
        // clang-format on
    }

    void change()
    {
        QFETCH(Change, c);
        const QByteArray before = joined(kOldLines);
        writeBytes(csv(), before);
        const QString texts = c.texts.section("=>", 0, 0);
        GalleryChange done;
        {
            const auto full = c.limit ? std::make_unique<FileSizeLimit>(rlim_t(c.limit)) : nullptr;
            if (c.op == "edit")
                done = GalleryCatalogue::EditEntry(gallery(), csv(), entryOf(gallery(), c.picture, texts),
                    entryOf(gallery(), c.picture, c.texts.section("=>", 1)));
            else if (c.op == "delete")
                done = GalleryCatalogue::DeleteEntry(gallery(), csv(), entryOf(gallery(), c.picture, texts));
            else
                done = GalleryCatalogue::AddEntry(gallery(), csv(), entryOf(gallery(), "", texts),
                    c.picture.isEmpty() && c.status != GalleryChange::Done ? QImage() : bracketPicture(21, 13));
        }
        QCOMPARE(int(done.status()), int(c.status));
        QCOMPARE(readAll(csv()), joined(c.lines));
        // The previous version is kept; a failure leaves no picture and names the
        // folder, or the characters refused.
        const QByteArray backup = readAll(csv() + ".bak");
        QVERIFY(backup == before || (!done.ok() && backup == "<unreadable>"));
        QCOMPARE(QFile::exists(gallery() + "bracket0005.png"), done.ok() && c.op == "add");
        if (!done.ok())
            QVERIFY2(done.message().contains(c.status == GalleryChange::UnwritableText ? "🦷" : done.status() == GalleryChange::UnreadablePicture ? "画像" : gallery()), qPrintable(done.message()));
        QVERIFY(!QFile::exists(CatalogueLock::LockFileName(csv())));
    }

    void severalWriters()
    {
        // A lock left by a process that is gone is taken over; a live one is waited for.
        writeBytes(CatalogueLock::LockFileName(csv()), "2147483646 " + QSysInfo::machineHostName().toUtf8() + "\n");
        writeBytes(csv(), "bracket0001.png,A,m,w,V,M,outer\n");
        QVERIFY(GalleryCatalogue::AddEntry(gallery(), csv(), entryOf(gallery(), "", "B|m|w|||"), bracketPicture(9, 9)).ok());
        {
            CatalogueLock held(csv());
            QCOMPARE(held.Acquire(0), CatalogueLock::Taken);
            QCOMPARE(CatalogueLock(csv()).Acquire(50), CatalogueLock::Busy);
        }
        // Two writers at once, each adding and then editing its entries, lose nothing.
        auto writer = [this](const QString& name) {
            for (int i = 0; i < 6; ++i) {
                const QString texts = name + "|m|w|V|M|outer";
                const GalleryChange added = GalleryCatalogue::AddEntry(gallery(), csv(), entryOf(gallery(), "", texts), bracketPicture(9, 9));
                const QString picture = QFileInfo(added.picturePath()).fileName();
                GalleryCatalogue::EditEntry(gallery(), csv(), entryOf(gallery(), picture, texts), entryOf(gallery(), picture, name + "|m|edited|V|M|outer"));
            }
        };
        QFuture<void> first = QtConcurrent::run(writer, QString("first"));
        writer("second");
        first.waitForFinished();
        QVector<GalleryEntry> entries;
        QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), entries));
        QSet<QString> edited;
        for (const GalleryEntry& e : entries)
            if (e.wire == "edited")
                edited << e.bracketName + e.pictureName();
        QCOMPARE(entries.size(), 14);
        QCOMPARE(edited.size(), 12);
    }

    void tool_data()
    {
        // The arguments after --gallery, '|'-separated; a line of stdout, or of stderr
        // on failure.
        columns<QString, int, QString, QStringList>({ "args", "exitCode", "output", "lines" });
        QStringList L = kOldLines;
        QStringList edited = L, deleted = L;
        edited[0] = "bracket0001.png,クリア,セラミック,SS .018,V1,M1,outer";
        deleted.removeAt(2);
        // clang-format off
        QTest::newRow("list") << "list" << 0 << "bracket0001.png\tクリア\tセラミック\tNiTi ﾜｲﾔｰ\tV1\tM1\touter" << L;
        QTest::newRow("edit a wire") << "edit|bracket0001.png|--wire|SS .018" << 0 << "" << edited;
        QTest::newRow("delete") << "delete|bracket0002.png" << 0 << "" << deleted;
        QTest::newRow("edit of no entry") << "edit|bracket0004.png|--wire|x" << 1 << "kestrin-gallery: ギャラリーにその画像の項目がありません: bracket0004.png" << L;
        QTest::newRow("add a GIF named .png") << "add|fake.png|--name|N|--material|M|--wire|W" << 1 << "kestrin-gallery: 画像を読み込めません。ギャラリーには何も追加されていません。" << L;
        QTest::newRow("check") << "check" << 1 << "画像がありません: 2行目: bracket0004.png" << L;
        // clang-format on
    }

    void tool()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        writeBytes(csv(), joined(kOldLines));
        writeBytes(gallery() + "fake.png", "GIF89a\x01\0\x01\0\0\0\0;");
        QProcess tool;
        tool.setWorkingDirectory(gallery());
        tool.start(programPath("kestrin-gallery"),
            QStringList { "--gallery", gallery() } + args.split('|'));
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), exitCode);
        const QStringList printed = QString::fromUtf8(exitCode && args != "check" ? tool.readAllStandardError() : tool.readAllStandardOutput()).split('\n');
        const QString output = fetch<QString>("output");
        QVERIFY2(output.isEmpty() || printed.contains(output), qPrintable(printed.join('\n')));
        QCOMPARE(readAll(csv()), joined(fetch<QStringList>("lines")));
    }

    void nextPictureName()
    {
        const QString folder = m_host->path("pictures");
        QVERIFY(QDir().mkpath(folder + "/bracket0001.png")); // a folder keeps its number taken
        // So does a dangling link.
        QVERIFY(QFile::link(folder + "/nowhere", folder + "/bracket0002.png"));
        writeBytes(folder + "/bracket4.png", "");
        writeBytes(folder + "/bracket0004.png", "");
        QCOMPARE(GalleryCatalogue::NextPictureName(folder), QString("bracket0003.png"));
        writeBytes(folder + "/bracket0003.png", "");
        QCOMPARE(GalleryCatalogue::NextPictureName(folder + "/", { "BRACKET0005.PNG" }), QString("bracket0006.png"));
    }

    void galleryFolder_data()
    {
        columns<QByteArray, QString>({ "iniLine", "folder" });
        QTest::newRow("no trailing slash") << QByteArray("GALLERY=/srv/bracket") << "/srv/bracket/";
        QTest::newRow("quoted backslashes")
            << QByteArray("GALLERY=\"D:\\\\Molvex\\\\Gallery\"") << "D:/Molvex/Gallery/";
        QTest::newRow("comma in name") << QByteArray("GALLERY=/srv/a,b/") << "/srv/a,b/";
        QTest::newRow("empty: beside the program")
            << QByteArray("GALLERY=") << QCoreApplication::applicationDirPath() + "/Gallery/";
    }

    void galleryFolder()
    {
        QFETCH(QString, folder);
        writeBytes(HostTools::iniFileName(0), "[DB_DIR]\n" + fetch<QByteArray>("iniLine") + "\n");
        QCOMPARE(GalleryCatalogue::GalleryFolder(), folder);
        QCOMPARE(GalleryCatalogue::CatalogueFile(), folder + "bracket.csv");
        // An installed program finds the shared gallery unless one sits beside it.
        const QString bin = m_host->path("prefix/bin");
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_host->path("prefix/share/kestrin/Gallery")));
        QCOMPARE(GalleryCatalogue::DefaultFolder(bin), m_host->path("prefix/share/kestrin/Gallery/"));
        QVERIFY(QDir().mkpath(bin + "/Gallery"));
        QCOMPARE(GalleryCatalogue::DefaultFolder(bin + "/"), bin + "/Gallery/");
    }

private:
    QString gallery() const { return m_host->path("Gallery/"); }
    QString csv() const { return gallery() + "bracket.csv"; }
    std::unique_ptr<IsolatedHost> m_host;
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
