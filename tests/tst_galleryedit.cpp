// Growing and changing the gallery: the trimming rectangle and its mapping, the
// add dialog's crop, refusals and inverted rubber band, and the frame's add,
// edit and delete commands against a temporary gallery.
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/trimmingstate.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/dialogs/brackettextgroup.h"
#include "ui/dialogs/cbracketdlg.h"
#include "ui/dialogs/cbracketeditdlg.h"
#include "ui/frame/gallerycommands.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString missingParameter = QStringLiteral("未設定のパラメータが存在します。");

QPushButton* button(QWidget* dialog, const char* id)
{
    return dialog->findChild<QPushButton*>(QLatin1String(id));
}

void setTexts(BracketTextGroup* texts, const QStringList& values)
{
    texts->BracketBox()->setText(values.value(0));
    texts->MaterialBox()->setText(values.value(1));
    texts->WireBox()->setText(values.value(2));
}

// Shows the dialog (when not yet shown) and waits until it has drawn the source.
void waitForSource(CBracketDlg* dialog)
{
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    dialog->repaint();
    QTRY_VERIFY(dialog->Trimming().Scale() > 0.0);
}

// Trimming on, then a press, two moves and a release between image points.
void drag(CBracketDlg* dialog, const QPoint& fromImage, const QPoint& toImage)
{
    const QPoint from = dialog->Trimming().ImageToClient(fromImage) + QPoint(1, 1);
    const QPoint to = dialog->Trimming().ImageToClient(toImage) + QPoint(1, 1);
    QTest::mouseClick(dialog->TrimmingButton(), Qt::LeftButton);
    QTest::mousePress(dialog, Qt::LeftButton, {}, from);
    QTest::mouseMove(dialog, (from + to) / 2);
    QTest::mouseMove(dialog, to);
    QTest::mouseRelease(dialog, Qt::LeftButton, {}, to);
}

} // namespace

class TestGalleryEdit : public QObject {
    Q_OBJECT

private slots:
    void init() { m_host = std::make_unique<testutils::IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void mapping_data();
    void mapping();
    void trimming_data();
    void trimming();

    void addPicture_data();
    void addPicture();
    void emptyTextRefused_data();
    void emptyTextRefused();
    void rubberBandIsInverted();
    void addCommandAsksForPicture();
    void commands_data();
    void commands();

private:
    QString gallery() const { return m_host->path("gallery/"); }
    QString catalogue() const { return gallery() + "bracket.csv"; }
    QString source(const QImage& image) const
    {
        image.save(m_host->path("source.png"));
        return m_host->path("source.png");
    }

    std::unique_ptr<testutils::IsolatedHost> m_host;
};

void TestGalleryEdit::mapping_data()
{
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPoint>("client");
    QTest::addColumn<QPoint>("image"); // the client point in source pixels
    QTest::addColumn<QPoint>("back"); // that image point in client pixels again
    QTest::newRow("reduced") << QPoint(13, 7) << 0.37 << QPoint(50, 90) << QPoint(100, 224)
                             << QPoint(50, 89);
    QTest::newRow("enlarged") << QPoint(4, 9) << 1.7 << QPoint(60, 33) << QPoint(32, 14)
                              << QPoint(58, 32);
    // Toward zero, not down, on both sides of the origin.
    QTest::newRow("left of the picture")
        << QPoint(20, 20) << 3.0 << QPoint(18, 13) << QPoint(0, -2) << QPoint(20, 14);
    QTest::newRow("negative back")
        << QPoint(1, 1) << 1.7 << QPoint(-5, -9) << QPoint(-3, -5) << QPoint(-4, -7);
    QTest::newRow("negative origin")
        << QPoint(-3, 11) << 0.6 << QPoint(97, 12) << QPoint(166, 1) << QPoint(96, 11);
    QTest::newRow("never drawn") << QPoint(5, 5) << 0.0 << QPoint(50, 50) << QPoint(0, 0)
                                 << QPoint(5, 5);
}

void TestGalleryEdit::mapping()
{
    QFETCH(QPoint, origin);
    QFETCH(double, scale);
    QFETCH(QPoint, client);
    QFETCH(QPoint, image);
    QFETCH(QPoint, back);
    TrimmingState trim;
    trim.SetSourceMapping(origin, scale);
    QCOMPARE(trim.ClientToImage(client), image);
    QCOMPARE(trim.ImageToClient(image), back);
}

void TestGalleryEdit::trimming_data()
{
    // Source drawn at (10, 10) × 1.5 in a frame from (10, 10) to (110, 60).
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<QRect>("band"); // after the move; null for none
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QPoint>("end");
    QTest::newRow("band drawn leftwards")
        << QPoint(40, 46) << QPoint(22, 25) << QPoint(25, 28)
        << QRect(QPoint(22, 25), QPoint(40, 46)) << QPoint(20, 24) << QPoint(10, 12);
    QTest::newRow("start on the left column: no band")
        << QPoint(10, 40) << QPoint(50, 50) << QPoint(50, 50) << QRect() << QPoint(0, 20)
        << QPoint(26, 26);
    QTest::newRow("press outside the frame") << QPoint(9, 40) << QPoint(50, 50) << QPoint(30, 30)
                                             << QRect() << QPoint(0, 0) << QPoint(13, 13);
    QTest::newRow("edge lines inside")
        << QPoint(110, 60) << QPoint(111, 61) << QPoint(111, 61)
        << QRect(QPoint(109, 59), QPoint(110, 61)) << QPoint(66, 33) << QPoint(67, 34);
}

void TestGalleryEdit::trimming()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, move);
    QFETCH(QPoint, release);
    QFETCH(QRect, band);
    QFETCH(QPoint, start);
    QFETCH(QPoint, end);
    TrimmingState trim;
    trim.SetSourceMapping(QPoint(10, 10), 1.5);
    trim.Press(press, QRect(10, 10, 100, 50));
    QCOMPARE(trim.Move(move), !band.isNull());
    QCOMPARE(trim.TrimState(),
        int(band.isNull() ? TrimmingState::NoRectangle : TrimmingState::RubberBand));
    QCOMPARE(trim.RubberBandRect(), band);
    trim.Release(release);
    QCOMPARE(trim.TrimState(), int(TrimmingState::Cropped));
    QCOMPARE(trim.Start(), start);
    QCOMPARE(trim.End(), end);
    QVERIFY(!trim.Move(press)); // no band once cropped
    QCOMPARE(trim.End(), end);
    trim.Reset();
    QCOMPARE(trim.TrimState(), int(TrimmingState::NoRectangle));
    QCOMPARE(trim.Start(), QPoint());
    QCOMPARE(trim.End(), QPoint());
}

void TestGalleryEdit::addPicture_data()
{
    QTest::addColumn<int>("crop"); // 0 none, 1 a crop, 2 a crop and trimming off again
    QTest::addColumn<bool>("catalogue"); // whether the gallery has its catalogue
    QTest::newRow("whole picture") << 0 << true;
    QTest::newRow("cropped") << 1 << true;
    QTest::newRow("crop undone") << 2 << true;
    QTest::newRow("no catalogue, no picture") << 1 << false;
}

void TestGalleryEdit::addPicture()
{
    QFETCH(int, crop);
    QFETCH(bool, catalogue);
    if (!catalogue)
        QFile::remove(this->catalogue());
    const QImage picture = testutils::bracketPicture(151, 97);
    QRect kept(QPoint(0, 0), picture.size());
    QBrackListDiag list;
    QStringList messages;
    list.SetMessageFunction([&messages](QWidget*, const QString& text) { messages << text; });
    testutils::whenModal<CBracketDlg>([&](CBracketDlg* dialog) {
        waitForSource(dialog);
        if (crop) {
            drag(dialog, QPoint(30, 20), QPoint(120, 80));
            const TrimmingState& trim = dialog->Trimming();
            kept = ImageKit::CropRect(
                trim.Start().x(), trim.Start().y(), trim.End().x(), trim.End().y(), picture.size());
            QVERIFY(qAbs(kept.left() - 30) <= 1 && qAbs(kept.right() + 1 - 120) <= 1);
        }
        if (crop == 2) {
            QTest::mouseClick(dialog->TrimmingButton(), Qt::LeftButton);
            kept = QRect(QPoint(0, 0), picture.size());
        }
        setTexts(dialog->Texts(), { "Mini", "Steel", "SS .016" });
        button(dialog, "1")->click();
    });
    QVERIFY(GalleryCommands::AddPicture(nullptr, &list, source(picture)));
    const QImage written(gallery() + "bracket0001.png");
    QCOMPARE(list.Model()->rowCount(), catalogue ? 1 : 0);
    if (!catalogue) {
        QCOMPARE(messages, QStringList { QStringLiteral("bracket.csvが見つかりません") });
        QVERIFY(written.isNull());
        return;
    }
    QCOMPARE(testutils::readFile(this->catalogue()),
        QByteArray("bracket0001.png,Mini,Steel,SS .016,Vendor0000,Memo0000,outer\r\n"));
    QVERIFY(
        testutils::sameImage(written.convertToFormat(QImage::Format_ARGB32), picture.copy(kept)));
}

void TestGalleryEdit::emptyTextRefused_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("focused"); // the box that gets the focus
    QTest::newRow("material") << QStringList { "B", "", "W" } << 1;
    QTest::newRow("wire") << QStringList { "B", "M", "" } << 2;
    QTest::newRow("all") << QStringList { "", "", "" } << 0;
}

void TestGalleryEdit::emptyTextRefused()
{
    QFETCH(QStringList, texts);
    QFETCH(int, focused);
    CBracketDlg dialog;
    dialog.m_strImagePath = source(testutils::bracketPicture(80, 60));
    waitForSource(&dialog);
    setTexts(dialog.Texts(), texts);
    dialog.Texts()->BracketBox()->setFocus();
    testutils::MessageBoxCloser closer;
    button(&dialog, "1")->click();
    QCOMPARE(closer.texts, QStringList { missingParameter });
    QVERIFY(dialog.isVisible());
    const QLineEdit* boxes[] = { dialog.Texts()->BracketBox(), dialog.Texts()->MaterialBox(),
        dialog.Texts()->WireBox() };
    QCOMPARE(dialog.focusWidget(), boxes[focused]);
    QCOMPARE(testutils::readFile(catalogue()), QByteArray());
}

void TestGalleryEdit::rubberBandIsInverted()
{
    QImage plain(300, 200, QImage::Format_ARGB32);
    plain.fill(QColor(100, 150, 200));
    CBracketDlg dialog;
    dialog.m_strImagePath = source(plain);
    waitForSource(&dialog);
    const TrimmingState& trim = dialog.Trimming();
    QTest::mouseClick(dialog.TrimmingButton(), Qt::LeftButton);
    QTest::mousePress(
        &dialog, Qt::LeftButton, {}, trim.ImageToClient(QPoint(60, 40)) + QPoint(1, 1));
    QTest::mouseMove(&dialog, trim.ImageToClient(QPoint(221, 151)) + QPoint(1, 1));
    const QRect band = trim.RubberBandRect();
    QVERIFY(band.width() > 3 && band.height() > 3);
    const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = shot.devicePixelRatio();
    auto at = [&](int x, int y) { return shot.pixelColor(int(x * ratio), int(y * ratio)); };
    // Each outline pixel inverted exactly once; twice would restore the picture.
    const QColor inverted(155, 105, 55), inside(100, 150, 200);
    for (const QPoint& p : { band.topLeft(), band.bottomRight(), band.topRight(),
             QPoint(band.left(), band.center().y()), QPoint(band.right(), band.center().y()) })
        QCOMPARE(at(p.x(), p.y()), inverted);
    QCOMPARE(at(band.center().x(), band.center().y()), inside);
    QCOMPARE(at(band.left() - 2, band.center().y()), inside);
}

void TestGalleryEdit::addCommandAsksForPicture()
{
    testutils::makeGallery(*m_host);
    const QString path = source(testutils::bracketPicture(150, 90));
    QBrackListDiag list;
    list.ReloadGallery();
    QStringList filters;
    testutils::whenModal<QFileDialog>([&filters, path](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        dialog->selectFile(path);
        // Through the base, where accept() is public; QFileDialog's own checks run.
        static_cast<QDialog*>(dialog)->accept();
    });
    testutils::whenModal<CBracketDlg>([](CBracketDlg* dialog) {
        setTexts(dialog->Texts(), { "New", "Resin", "TMA" });
        button(dialog, "1")->click();
    });
    GalleryCommands::Add(nullptr, &list);
    QCOMPARE(filters, QStringList { GalleryCommands::ImageFilter() });
    // The added picture takes the free number 3, so the stale line shows again.
    QCOMPARE(list.Model()->rowCount(), 5);
    QCOMPARE(list.BracketNameAt(4), QStringLiteral("New"));
    QCOMPARE(list.Model()->EntryAt(4)->picturePath, gallery() + "bracket0003.png");

    const QByteArray before = testutils::readFile(catalogue());
    testutils::whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    GalleryCommands::Add(nullptr, &list);
    QCOMPARE(testutils::readFile(catalogue()), before);
}

void TestGalleryEdit::commands_data()
{
    QTest::addColumn<QString>("command"); // edit, refused edit (then cancel), delete
    QTest::addColumn<int>("sortColumn"); // -1 for none
    QTest::addColumn<int>("row"); // selected before the command; -1 for none
    QTest::addColumn<QByteArray>("written");
    const QByteArray b = "bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n";
    const QByteArray a = "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n";
    const QByteArray c = "bracket0004.png,C-lingual,Gold,TMA .017,V3,M3,inner\r\n";
    const QByteArray unchanged = b + a + "bracket0003.png,Gone,Nothing,None,V2,M2,outer\r\n" + c;
    QTest::newRow("edit writes the sorted order")
        << "edit" << 0 << 1
        << QByteArray(c + "bracket0001.png,B-metal,Steel,TMA .019.x,V0,M0,outer\r\n" + a);
    QTest::newRow("refused edit") << "refused" << -1 << 0 << unchanged;
    QTest::newRow("delete after sort") << "delete" << 1 << 1 << QByteArray(b + a);
    QTest::newRow("edit without selection") << "edit" << -1 << -1 << unchanged;
    QTest::newRow("delete without selection") << "delete" << -1 << -1 << unchanged;
}

void TestGalleryEdit::commands()
{
    QFETCH(QString, command);
    QFETCH(int, sortColumn);
    QFETCH(int, row);
    QFETCH(QByteArray, written);
    testutils::makeGallery(*m_host);
    QBrackListDiag list;
    list.ReloadGallery();
    if (sortColumn >= 0)
        list.SortByColumn(sortColumn);
    if (row >= 0)
        list.List()->selectRow(row);
    testutils::MessageBoxCloser closer;
    bool refused = false;
    if (row >= 0 && command != "delete")
        testutils::whenModal<CBracketEditDlg>([&](CBracketEditDlg* dialog) {
            if (command == "refused") {
                dialog->Texts()->MaterialBox()->clear();
                button(dialog, "1")->click();
                refused = dialog->isVisible()
                    && dialog->focusWidget() == dialog->Texts()->MaterialBox();
                button(dialog, "2")->click();
                return;
            }
            dialog->Texts()->WireBox()->setText("TMA .019,x");
            button(dialog, "1")->click();
        });
    if (command == "delete")
        GalleryCommands::Delete(nullptr, &list);
    else
        GalleryCommands::Edit(nullptr, &list);
    QCOMPARE(testutils::readFile(catalogue()), written);
    QCOMPARE(refused, command == "refused");
    QCOMPARE(closer.texts, refused ? QStringList { missingParameter } : QStringList());
    QCOMPARE(list.SelectedIndex(), command == "delete" ? -1 : row);
    for (const char* name : { "bracket0001.png", "bracket0002.png", "bracket0004.png" })
        QVERIFY(QFile::exists(gallery() + name));
}

QTEST_MAIN(TestGalleryEdit)
#include "tst_galleryedit.moc"
