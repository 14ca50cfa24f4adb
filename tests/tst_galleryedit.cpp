// Growing and changing the gallery: the trimming rectangle and its mapping, and
// the frame's add (with the dialog's crop), edit and delete commands against a
// temporary gallery.
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/trimmingstate.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/dialogs/brackettextgroup.h"
#include "ui/dialogs/cbracketdlg.h"
#include "ui/dialogs/cbracketeditdlg.h"
#include "ui/frame/gallerycommands.h"

#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

// A gallery command on the sample gallery: delete or edit (typing `typed`), the
// sort and selection before it, whether the folder is read-only, the box a
// refused edit focuses (-1: none), the message boxes shown and the catalogue
// afterwards.
struct Command {
    bool remove;
    int sortColumn, row;
    QString typed;
    bool readOnly;
    int refusedAt, messages;
    QByteArray written;
};
Q_DECLARE_METATYPE(Command)

namespace {

QList<QLineEdit*> boxes(const BracketTextGroup* g) { return { g->BracketBox(), g->MaterialBox(), g->WireBox() }; }

// Types "bracket|material|wire" and presses the button with object name `id`.
void typeAndClick(QWidget* dialog, BracketTextGroup* group, const QString& texts, const char* id)
{
    for (int i = 0; i < 3; ++i)
        boxes(group)[i]->setText(texts.section('|', i, i));
    dialog->findChild<QPushButton*>(id)->click();
}

// When `active`, takes the right to write into `folder` away for the scope, from
// root too (the tests may run as root, whom file modes do not stop): the process
// then acts as an ordinary user.
struct ReadOnlyFolder {
    ReadOnlyFolder(const QString& folder, const QString& host, bool active)
        : path(active ? QFile::encodeName(folder) : QByteArray())
    {
        if (active && chmod(path.constData(), 0555) == 0 && geteuid() == 0) {
            chmod(QFile::encodeName(host).constData(), 0755);
            dropped = seteuid(65534) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        if (dropped)
            (void)seteuid(0);
        if (!path.isEmpty())
            chmod(path.constData(), 0755);
    }
    QByteArray path;
    bool dropped = false;
};

// The list's rows as "picture name" in file order, for comparing with the file.
QStringList rows(const QVector<GalleryEntry>& entries)
{
    QStringList texts;
    for (const GalleryEntry& e : entries)
        texts << e.pictureName() + ' ' + e.bracketName + ' ' + e.wire;
    texts.sort();
    return texts;
}

} // namespace

class TestGalleryEdit : public QObject {
    Q_OBJECT

    std::unique_ptr<testutils::IsolatedHost> m_host;
    QString gallery() const { return m_host->path("gallery/"); }

private slots:
    void init() { m_host = std::make_unique<testutils::IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void mapping_data()
    {
        // Origin, client point, in source pixels, back again.
        testutils::columns<double, QString>({ "scale", "points" });
        // Truncated toward zero, not down, on both sides of the origin.
        QTest::newRow("reduced") << 0.37 << "13 7  50 90  100 224  50 89";
        QTest::newRow("left") << 3.0 << "20 20  18 13  0 -2  20 14";
        QTest::newRow("negative") << 1.7 << "1 1  -5 -9  -3 -5  -4 -7";
        QTest::newRow("never drawn") << 0.0 << "5 5  50 50  0 0  5 5";
    }
    void mapping()
    {
        const QVector<int> v = testutils::ints(testutils::fetch<QString>("points"));
        TrimmingState trim;
        trim.SetSourceMapping(QPoint(v[0], v[1]), testutils::fetch<double>("scale"));
        QCOMPARE(trim.ClientToImage(QPoint(v[2], v[3])), QPoint(v[4], v[5]));
        QCOMPARE(trim.ImageToClient(QPoint(v[4], v[5])), QPoint(v[6], v[7]));
    }

    void trimming_data()
    {
        // Source drawn at (10, 10) × 1.5 in a frame from (10, 10) to (110, 60).
        // Press, move, release; the band after the move (null for none); start and end
        // after the release.
        testutils::columns<QPolygon, QRect, QPolygon>({ "mouse", "band", "corners" });
        // clang-format off
        QTest::newRow("band drawn leftwards") << QPolygon({ { 40, 46 }, { 22, 25 }, { 25, 28 } }) << QRect(22, 25, 19, 22) << QPolygon({ { 20, 24 }, { 10, 12 } });
        QTest::newRow("start on the left column") << QPolygon({ { 10, 40 }, { 50, 50 }, { 50, 50 } }) << QRect() << QPolygon({ { 0, 20 }, { 26, 26 } });
        QTest::newRow("start just inside the picture") << QPolygon({ { 12, 12 }, { 20, 20 }, { 20, 20 } }) << QRect(11, 11, 9, 9) << QPolygon({ { 1, 1 }, { 6, 6 } });
        QTest::newRow("press outside the frame") << QPolygon({ { 9, 40 }, { 50, 50 }, { 30, 30 } }) << QRect() << QPolygon({ { 0, 0 }, { 13, 13 } });
        QTest::newRow("edge lines inside") << QPolygon({ { 110, 60 }, { 111, 61 }, { 111, 61 } }) << QRect(109, 59, 2, 3) << QPolygon({ { 66, 33 }, { 67, 34 } });
        // clang-format on
    }
    void trimming()
    {
        QFETCH(QPolygon, mouse);
        QFETCH(QRect, band);
        TrimmingState trim;
        trim.SetSourceMapping(QPoint(10, 10), 1.5);
        trim.Press(mouse[0], QRect(10, 10, 100, 50));
        QCOMPARE(QVariantList({ trim.Move(mouse[1]), trim.TrimState() == TrimmingState::RubberBand, trim.RubberBandRect() }),
            QVariantList({ !band.isNull(), !band.isNull(), band }));
        trim.Release(mouse[2]);
        QVERIFY(!trim.Move(mouse[0]) && trim.TrimState() == TrimmingState::Cropped); // no band once cropped
        QTEST(QPolygon({ trim.Start(), trim.End() }), "corners");
        trim.Reset();
        QVERIFY(trim.Start().isNull() && trim.End().isNull() && trim.TrimState() == TrimmingState::NoRectangle);
    }

    void addPicture_data()
    {
        QTest::addColumn<QString>("how"); // "crop", "crop undone", "read-only", "not a picture"
        QTest::newRow("cropped") << "crop";
        QTest::newRow("crop undone") << "crop undone";
        QTest::newRow("read-only gallery") << "read-only";
        QTest::newRow("a GIF named .png") << "not a picture";
    }
    void addPicture()
    {
        QFETCH(QString, how);
        const QImage picture = testutils::bracketPicture(151, 97);
        picture.save(m_host->path("source.png"));
        if (how == "not a picture")
            testutils::writeBytes(m_host->path("source.png"), "GIF89a\x01\0\x01\0\0\0\0;");
        testutils::writeBytes(gallery() + "bracket.csv", "");
        QRect kept;
        bool refused = false;
        testutils::whenModal<CBracketDlg>([&](CBracketDlg* dialog) {
            const TrimmingState& trim = dialog->Trimming();
            QTRY_VERIFY(trim.Scale() > 0.0); // the source has been drawn
            const QPoint from = trim.ImageToClient(QPoint(30, 20)) + QPoint(1, 1),
                         to = trim.ImageToClient(QPoint(120, 80)) + QPoint(1, 1);
            QTest::mouseClick(dialog->TrimmingButton(), Qt::LeftButton);
            QTest::mousePress(dialog, Qt::LeftButton, {}, from);
            QTest::mouseMove(dialog, to);
            QTest::mouseRelease(dialog, Qt::LeftButton, {}, to);
            kept = ImageKit::CropRect(trim.Start().x(), trim.Start().y(), trim.End().x(), trim.End().y(), picture.size());
            QVERIFY(qAbs(kept.left() - 30) <= 1 && qAbs(kept.right() + 1 - 120) <= 1);
            if (how == "crop undone")
                QTest::mouseClick(dialog->TrimmingButton(), Qt::LeftButton);
            typeAndClick(dialog, dialog->Texts(), "Mini|Steel|SS .016", "1");
            refused = dialog->isVisible(); // the failure was shown; the user gives up
            if (refused)
                dialog->reject();
        });
        testutils::MessageBoxCloser closer;
        QBrackListDiag list;
        bool added = false;
        {
            ReadOnlyFolder readOnly(gallery(), m_host->dir.path(), how == "read-only");
            added = GalleryCommands::AddPicture(nullptr, &list, m_host->path("source.png"));
        }
        const bool ok = how.startsWith("crop");
        QCOMPARE(QVariantList({ added, refused, closer.texts.size() }), QVariantList({ ok, how == "read-only", int(!ok) }));
        QCOMPARE(testutils::readAll(gallery() + "bracket.csv"),
            ok ? "bracket0001.png,Mini,Steel,SS .016,Vendor0000,Memo0000,outer\r\n" : "");
        QCOMPARE(QFile::exists(gallery() + "bracket0001.png"), ok);
        if (!ok) {
            QVERIFY2(closer.texts.first().contains(how == "read-only" ? gallery() : m_host->path("source.png")), qPrintable(closer.texts.first()));
            return;
        }
        QCOMPARE(list.SelectedPicturePath(), gallery() + "bracket0001.png");
        const QImage written = QImage(gallery() + "bracket0001.png").convertToFormat(QImage::Format_ARGB32);
        QVERIFY(testutils::sameImage(written, picture.copy(how == "crop undone" ? picture.rect() : kept)));
    }

    void commands_data()
    {
        QTest::addColumn<Command>("c");
        const QByteArray b = "bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n";
        const QByteArray a = "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n";
        const QByteArray gone = "bracket0003.png,Gone,Nothing,None,V2,M2,outer\r\n";
        const QByteArray c = "bracket0004.png,C-lingual,Gold,TMA .017,V3,M3,inner\r\n";
        const QByteArray before = b + a + gone + c;
        // clang-format off
        QTest::newRow("edit after a sort")    << Command { false, 0, 1, "B-mini|Steel|TMA .019,x", false, -1, 0, "bracket0001.png,B-mini,Steel,TMA .019.x,V0,M0,outer\r\n" + a + gone + c };
        QTest::newRow("material empty")       << Command { false, -1, 0, "B||W", false, 1, 1, before };
        QTest::newRow("all empty")            << Command { false, -1, 2, "||", false, 0, 1, before };
        QTest::newRow("wire empty")           << Command { false, 1, 0, "B|M|", false, 2, 1, before };
        QTest::newRow("edit, read-only")      << Command { false, 1, 0, "B|M|W", true, -1, 1, before };
        QTest::newRow("delete after a sort")  << Command { true, 1, 1, "", false, -1, 1, b + a + gone };
        QTest::newRow("delete, read-only")    << Command { true, 1, 1, "", true, -1, 2, before };
        QTest::newRow("edit, no selection")   << Command { false, -1, -1, "", false, -1, 0, before };
        QTest::newRow("delete, no selection") << Command { true, -1, -1, "", false, -1, 0, before };
        // clang-format on
    }
    void commands()
    {
        QFETCH(Command, c);
        testutils::makeGallery(*m_host);
        QBrackListDiag list;
        list.ReloadGallery();
        list.SortByColumn(c.sortColumn);
        list.List()->selectRow(c.row);
        const QString selected = list.SelectedPicturePath();
        testutils::MessageBoxCloser closer;
        int focused = -1;
        if (c.row >= 0 && !c.remove)
            testutils::whenModal<CBracketEditDlg>([&](CBracketEditDlg* dialog) {
                typeAndClick(dialog, dialog->Texts(), c.typed, "1");
                if (!dialog->isVisible())
                    return;
                focused = boxes(dialog->Texts()).indexOf(dialog->focusWidget()); // refused: then cancel
                dialog->findChild<QPushButton*>("2")->click();
            });
        {
            ReadOnlyFolder readOnly(gallery(), m_host->dir.path(), c.readOnly);
            c.remove ? GalleryCommands::Delete(nullptr, &list) : GalleryCommands::Edit(nullptr, &list);
        }
        QCOMPARE(testutils::readAll(gallery() + "bracket.csv"), c.written);
        QCOMPARE(QList<int>({ focused, int(closer.texts.size()) }), QList<int>({ c.refusedAt, c.messages }));
        if (c.readOnly)
            QVERIFY2(closer.texts.last().contains(gallery()), qPrintable(closer.texts.last()));
        // The list shows the file as it is, and keeps the entry selected while it is there.
        QVector<GalleryEntry> onDisk;
        GalleryCatalogue::LoadCatalogue(gallery(), gallery() + "bracket.csv", onDisk);
        QCOMPARE(rows(list.Model()->Entries()), rows(onDisk));
        QCOMPARE(list.SelectedPicturePath(), c.remove && !c.readOnly ? QString() : selected);
        for (const char* name : { "bracket0001.png", "bracket0002.png", "bracket0004.png" })
            QVERIFY(QFile::exists(gallery() + name));
    }
};

QTEST_MAIN(TestGalleryEdit)
#include "tst_galleryedit.moc"
