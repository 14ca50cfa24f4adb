// Growing and changing the gallery: the trimming rectangle and its mapping, the
// add dialog against a temporary gallery (with and without a crop, refusals,
// numbering), and the frame's add, edit and delete commands.
#include "ui/dialogs/brackettextgroup.h"
#include "ui/dialogs/cbracketdlg.h"
#include "ui/dialogs/cbracketeditdlg.h"
#include "core/gallery/gallerycatalogue.h"
#include "ui/frame/gallerycommands.h"
#include "ui/bars/qbracklistdiag.h"
#include "core/gallery/trimmingstate.h"
#include "testutils.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A bracket-like picture: transparent surround, opaque core whose pixels encode
// their position.
QImage bracketPicture(int w, int h)
{
    QImage image = testutils::positionImage(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < w / 8 || x >= w * 7 / 8 || y < h / 8 || y >= h * 7 / 8)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Runs `action` once on the first modal window of type T that comes up; for
// dialogs that the code under test runs with exec().
template <typename T> void whenModal(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(window);
        }
    });
    timer->start(10);
}

QPushButton* button(QWidget* dialog, const char* id)
{
    return dialog->findChild<QPushButton*>(QLatin1String(id));
}

void setTexts(BracketTextGroup* texts, const QString& b, const QString& m, const QString& w)
{
    texts->BracketBox()->setText(b);
    texts->MaterialBox()->setText(m);
    texts->WireBox()->setText(w);
}

} // namespace

class TestGalleryEdit : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clientToImage_data();
    void clientToImage();
    void pressOnlyInsideFrame();
    void bandNeedsStartAboveZero();
    void bandStopsOnceCropped();
    void rubberBandRectIsNormalised();

    void addDialogControls();
    void commasBecomePeriods();
    void emptyTextRefused_data();
    void emptyTextRefused();
    void addWithoutTrimming();
    void addWithTrimming();
    void cropStartedAtImageZero();
    void uncheckingAfterCropRestoresWholePicture();
    void rubberBandIsInverted();
    void cancelWritesNothing();
    void numberingFillsGaps();
    void vendorAndMemoNumbers();
    void missingCatalogue();
    void unreadablePictureAddsDroppedLine();
    void addCommandEndToEnd();

    void editChangesOnlyTexts();
    void editKeepsSortedOrderAndDropsMissing();
    void editRefusesEmptyAndCancelKeepsFile();
    void deleteKeepsPictures();
    void deleteOnlyRowThenAddNumbersZero();
    void noSelectionChangesNothing();

private:
    QString gallery() const { return m_host->path("gallery/"); }
    QString catalogue() const { return gallery() + "bracket.csv"; }
    QString sourcePicture(const QImage& image);
    // Shows the dialog for `path` and waits until it has drawn the source.
    void openDialog(CBracketDlg& dialog, const QString& path);
    // Press, move and release at client points of the dialog, trimming on.
    void drag(CBracketDlg& dialog, const QPoint& from, const QPoint& to);
    // A gallery of three entries and a line whose picture is missing.
    void makeGallery();

    std::unique_ptr<testutils::IsolatedHost> m_host;
};

void TestGalleryEdit::init() { m_host = std::make_unique<testutils::IsolatedHost>(); }

void TestGalleryEdit::cleanup() { m_host.reset(); }

QString TestGalleryEdit::sourcePicture(const QImage& image)
{
    const QString path = m_host->path("source.png");
    image.save(path, "PNG");
    return path;
}

void TestGalleryEdit::openDialog(CBracketDlg& dialog, const QString& path)
{
    dialog.m_strImagePath = path;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.repaint();
    QTRY_VERIFY(dialog.Trimming().Scale() > 0.0);
}

void TestGalleryEdit::drag(CBracketDlg& dialog, const QPoint& from, const QPoint& to)
{
    if (!dialog.TrimmingButton()->isChecked())
        QTest::mouseClick(dialog.TrimmingButton(), Qt::LeftButton);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, from);
    QTest::mouseMove(&dialog, (from + to) / 2);
    QTest::mouseMove(&dialog, to);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, to);
}

void TestGalleryEdit::makeGallery()
{
    const QImage picture = bracketPicture(40, 30);
    for (const char* name : { "bracket0001.png", "bracket0002.png", "bracket0004.png" })
        QVERIFY(picture.save(gallery() + name, "PNG"));
    writeBytes(catalogue(),
        "bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n"
        "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"
        "bracket0003.png,Gone,Nothing,None,V2,M2,outer\r\n"
        "bracket0004.png,C-lingual,Gold,TMA .017,V3,M3,inner\r\n");
}

// --- trimming state and mapping ---------------------------------------------

void TestGalleryEdit::clientToImage_data()
{
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPoint>("client");
    QTest::addColumn<QPoint>("image");
    QTest::newRow("origin") << QPoint(10, 20) << 0.5 << QPoint(10, 20) << QPoint(0, 0);
    QTest::newRow("reduced") << QPoint(10, 20) << 0.5 << QPoint(11, 23) << QPoint(2, 6);
    QTest::newRow("enlarged") << QPoint(10, 20) << 4.0 << QPoint(17, 31) << QPoint(1, 2);
    // Toward zero, not down: just left of or above the picture is still 0.
    QTest::newRow("just outside") << QPoint(10, 20) << 4.0 << QPoint(7, 17) << QPoint(0, 0);
    QTest::newRow("further outside") << QPoint(10, 20) << 4.0 << QPoint(1, 11) << QPoint(-2, -2);
    QTest::newRow("never drawn") << QPoint(0, 0) << 0.0 << QPoint(50, 50) << QPoint(0, 0);
}

void TestGalleryEdit::clientToImage()
{
    QFETCH(QPoint, origin);
    QFETCH(double, scale);
    QFETCH(QPoint, client);
    QFETCH(QPoint, image);
    TrimmingState trim;
    trim.SetSourceMapping(origin, scale);
    QCOMPARE(trim.ClientToImage(client), image);
    if (scale > 0.0)
        QCOMPARE(trim.ImageToClient(QPoint(3, 5)),
            QPoint(int(3 * scale) + origin.x(), int(5 * scale) + origin.y()));
}

void TestGalleryEdit::pressOnlyInsideFrame()
{
    TrimmingState trim;
    trim.SetSourceMapping(QPoint(10, 10), 1.0);
    const QRect frame(10, 10, 100, 50);
    trim.Press(QPoint(9, 30), frame);
    QCOMPARE(trim.Start(), QPoint(0, 0));
    // The right and bottom edge lines count as inside.
    trim.Press(QPoint(110, 60), frame);
    QCOMPARE(trim.Start(), QPoint(100, 50));
    trim.Press(QPoint(111, 30), frame);
    QCOMPARE(trim.Start(), QPoint(100, 50));
    QCOMPARE(trim.TrimState(), int(TrimmingState::NoRectangle));
}

void TestGalleryEdit::bandNeedsStartAboveZero()
{
    TrimmingState trim;
    trim.SetSourceMapping(QPoint(10, 10), 1.0);
    const QRect frame(10, 10, 100, 50);
    trim.Press(QPoint(10, 30), frame); // left column of the picture
    QVERIFY(!trim.Move(QPoint(50, 50)));
    QCOMPARE(trim.TrimState(), int(TrimmingState::NoRectangle));
    QVERIFY(trim.RubberBandRect().isNull());
    trim.Release(QPoint(50, 50));
    QCOMPARE(trim.TrimState(), int(TrimmingState::Cropped));
    QCOMPARE(trim.Start(), QPoint(0, 20));
    QCOMPARE(trim.End(), QPoint(40, 40));
}

void TestGalleryEdit::bandStopsOnceCropped()
{
    TrimmingState trim;
    trim.SetSourceMapping(QPoint(0, 0), 2.0);
    const QRect frame(0, 0, 200, 100);
    trim.Press(QPoint(20, 20), frame);
    QVERIFY(trim.Move(QPoint(60, 40)));
    QCOMPARE(trim.TrimState(), int(TrimmingState::RubberBand));
    QVERIFY(trim.Move(QPoint(80, 50)));
    QCOMPARE(trim.End(), QPoint(40, 25));
    trim.Release(QPoint(90, 60));
    QCOMPARE(trim.End(), QPoint(45, 30));
    QVERIFY(!trim.Move(QPoint(10, 10)));
    QCOMPARE(trim.End(), QPoint(45, 30));
    // A later drag still crops afresh, without a band.
    trim.Press(QPoint(100, 50), frame);
    trim.Release(QPoint(120, 70));
    QCOMPARE(trim.Start(), QPoint(50, 25));
    QCOMPARE(trim.End(), QPoint(60, 35));
    QCOMPARE(trim.TrimState(), int(TrimmingState::Cropped));
    trim.Reset();
    QCOMPARE(trim.TrimState(), int(TrimmingState::NoRectangle));
    QCOMPARE(trim.Start(), QPoint());
    QCOMPARE(trim.End(), QPoint());
}

void TestGalleryEdit::rubberBandRectIsNormalised()
{
    TrimmingState trim;
    trim.SetSourceMapping(QPoint(5, 5), 2.0);
    trim.Press(QPoint(65, 45), QRect(0, 0, 300, 300)); // image (30, 20)
    QVERIFY(trim.Move(QPoint(25, 85))); // image (10, 40): right to left, downwards
    QCOMPARE(trim.RubberBandRect(), QRect(QPoint(25, 45), QPoint(65, 85)));
}

// --- add dialog ----------------------------------------------------------------

void TestGalleryEdit::addDialogControls()
{
    CBracketDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ブラケット画像の追加"));
    QPushButton* trimming = button(&dialog, "1001");
    QVERIFY(trimming);
    QCOMPARE(trimming->text(), QStringLiteral("トリミング"));
    QVERIFY(trimming->isCheckable());
    QVERIFY(!trimming->isChecked());
    QCOMPARE(button(&dialog, "1")->text(), QStringLiteral("OK"));
    QCOMPARE(button(&dialog, "2")->text(), QStringLiteral("キャンセル"));
    for (const char* id : { "1002", "1003", "1004" })
        QVERIFY(dialog.findChild<QLineEdit*>(QLatin1String(id)));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    QCOMPARE(labels, QStringList({ "ブラケット", "素材", "ワイヤー" }));
    // The frame lies above the text group and inside the dialog.
    const QRect frame = dialog.FrameRect();
    QVERIFY(frame.width() > frame.height());
    QVERIFY(frame.bottom() < dialog.Texts()->geometry().top());
    QVERIFY(dialog.rect().contains(frame));
}

void TestGalleryEdit::commasBecomePeriods()
{
    CBracketDlg dialog;
    dialog.show();
    QLineEdit* material = dialog.Texts()->MaterialBox();
    material->setFocus();
    QTest::keyClicks(material, "Ni");
    QTest::keyClick(material, Qt::Key_Left);
    QTest::keyClicks(material, ",");
    QCOMPARE(material->text(), QStringLiteral("N.i"));
    QCOMPARE(material->cursorPosition(), 2);
    QTest::keyClicks(material, "Ti,,");
    QCOMPARE(material->text(), QStringLiteral("N.Ti..i"));
    dialog.Texts()->WireBox()->setText("a,b,c");
    QCOMPARE(dialog.Texts()->WireBox()->text(), QStringLiteral("a.b.c"));

    CBracketEditDlg edit;
    edit.show();
    QTest::keyClicks(edit.Texts()->BracketBox(), "A,B");
    QCOMPARE(edit.Texts()->BracketBox()->text(), QStringLiteral("A.B"));
}

void TestGalleryEdit::emptyTextRefused_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("focused"); // index of the box that must have the focus
    QTest::newRow("material") << QStringList({ "B", "", "W" }) << 1;
    QTest::newRow("wire") << QStringList({ "B", "M", "" }) << 2;
    QTest::newRow("all") << QStringList({ "", "", "" }) << 0;
    QTest::newRow("material and wire") << QStringList({ "B", "", "" }) << 1;
}

void TestGalleryEdit::emptyTextRefused()
{
    QFETCH(QStringList, texts);
    QFETCH(int, focused);
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(bracketPicture(80, 60)));
    setTexts(dialog.Texts(), texts[0], texts[1], texts[2]);
    dialog.Texts()->BracketBox()->setFocus();
    testutils::MessageBoxCloser closer;
    button(&dialog, "1")->click();
    QCOMPARE(closer.texts, QStringList { QStringLiteral("未設定のパラメータが存在します。") });
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QLineEdit* boxes[3] = { dialog.Texts()->BracketBox(), dialog.Texts()->MaterialBox(),
        dialog.Texts()->WireBox() };
    QCOMPARE(dialog.focusWidget(), boxes[focused]);
    QCOMPARE(readAll(catalogue()), QByteArray());
    QVERIFY(!QFile::exists(gallery() + "bracket0001.png"));
}

void TestGalleryEdit::addWithoutTrimming()
{
    const QImage source = bracketPicture(120, 80);
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(source));
    setTexts(dialog.Texts(), "Clear", "Sapphire", "NiTi .012");
    button(&dialog, "1")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(readAll(catalogue()),
        QByteArray("bracket0001.png,Clear,Sapphire,NiTi .012,Vendor0000,Memo0000,outer\r\n"));
    QCOMPARE(dialog.WrittenPicture(), gallery() + "bracket0001.png");
    const QImage written(gallery() + "bracket0001.png");
    QVERIFY(written.hasAlphaChannel());
    QVERIFY(testutils::sameImage(written.convertToFormat(QImage::Format_ARGB32), source));
}

void TestGalleryEdit::addWithTrimming()
{
    const QImage source = bracketPicture(200, 120);
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(source));
    const TrimmingState& trim = dialog.Trimming();
    const QPoint from = trim.ImageToClient(QPoint(30, 20)) + QPoint(1, 1);
    const QPoint to = trim.ImageToClient(QPoint(150, 90)) + QPoint(1, 1);
    drag(dialog, from, to);
    QCOMPARE(trim.TrimState(), int(TrimmingState::Cropped));
    const QRect kept = ImageKit::CropRect(
        trim.Start().x(), trim.Start().y(), trim.End().x(), trim.End().y(), source.size());
    QVERIFY2(qAbs(kept.left() - 30) <= 1 && qAbs(kept.right() + 1 - 150) <= 1,
        qPrintable(QStringLiteral("%1..%2").arg(kept.left()).arg(kept.right())));
    QVERIFY(testutils::sameImage(dialog.TrimmedImage().image(), source.copy(kept)));

    setTexts(dialog.Texts(), "Mini", "Steel", "SS .016");
    button(&dialog, "1")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QImage written(gallery() + "bracket0001.png");
    QVERIFY(
        testutils::sameImage(written.convertToFormat(QImage::Format_ARGB32), source.copy(kept)));
}

void TestGalleryEdit::cropStartedAtImageZero()
{
    const QImage source = bracketPicture(200, 120);
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(source));
    const TrimmingState& trim = dialog.Trimming();
    // The top row of the picture, inside the frame.
    const QPoint from = trim.ImageToClient(QPoint(40, 0));
    const QPoint to = trim.ImageToClient(QPoint(100, 60)) + QPoint(1, 1);
    QVERIFY(dialog.FrameRect().contains(from));
    QTest::mouseClick(dialog.TrimmingButton(), Qt::LeftButton);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, from);
    QCOMPARE(trim.Start().y(), 0);
    QTest::mouseMove(&dialog, to);
    QCOMPARE(trim.TrimState(), int(TrimmingState::NoRectangle));
    QVERIFY(trim.RubberBandRect().isNull());
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, to);
    QCOMPARE(trim.TrimState(), int(TrimmingState::Cropped));
    const QRect kept = ImageKit::CropRect(
        trim.Start().x(), trim.Start().y(), trim.End().x(), trim.End().y(), source.size());
    QCOMPARE(kept.top(), 0);
    QVERIFY(testutils::sameImage(dialog.TrimmedImage().image(), source.copy(kept)));
}

void TestGalleryEdit::uncheckingAfterCropRestoresWholePicture()
{
    const QImage source = bracketPicture(160, 100);
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(source));
    const QPoint origin = dialog.Trimming().Origin();
    const double scale = dialog.Trimming().Scale();
    drag(dialog, dialog.Trimming().ImageToClient(QPoint(20, 20)) + QPoint(1, 1),
        dialog.Trimming().ImageToClient(QPoint(60, 50)));
    QCOMPARE(dialog.Trimming().TrimState(), int(TrimmingState::Cropped));
    dialog.repaint();
    // Showing the crop leaves the mapping of the source as it was.
    QCOMPARE(dialog.Trimming().Origin(), origin);
    QCOMPARE(dialog.Trimming().Scale(), scale);

    QTest::mouseClick(dialog.TrimmingButton(), Qt::LeftButton);
    QVERIFY(!dialog.TrimmingButton()->isChecked());
    QCOMPARE(dialog.Trimming().TrimState(), int(TrimmingState::NoRectangle));
    QCOMPARE(dialog.Trimming().Start(), QPoint());
    QCOMPARE(dialog.Trimming().End(), QPoint());
    // With trimming off the mouse does nothing.
    QTest::mousePress(&dialog, Qt::LeftButton, {}, origin + QPoint(30, 30));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, origin + QPoint(60, 60));
    QCOMPARE(dialog.Trimming().TrimState(), int(TrimmingState::NoRectangle));

    setTexts(dialog.Texts(), "B", "M", "W");
    button(&dialog, "1")->click();
    const QImage written(gallery() + "bracket0001.png");
    QVERIFY(testutils::sameImage(written.convertToFormat(QImage::Format_ARGB32), source));
}

void TestGalleryEdit::rubberBandIsInverted()
{
    // A uniform picture, so that every pixel of the band has a known colour.
    QImage grey(300, 200, QImage::Format_ARGB32);
    grey.fill(QColor(100, 150, 200));
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(grey));
    setTexts(dialog.Texts(), "Twin", "Steel", "NiTi");
    const TrimmingState& trim = dialog.Trimming();
    QTest::mouseClick(dialog.TrimmingButton(), Qt::LeftButton);
    const QPoint from = trim.ImageToClient(QPoint(60, 40)) + QPoint(1, 1);
    const QPoint to = trim.ImageToClient(QPoint(220, 150)) + QPoint(1, 1);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, from);
    QTest::mouseMove(&dialog, to);
    QCOMPARE(trim.TrimState(), int(TrimmingState::RubberBand));
    const QRect band = trim.RubberBandRect();
    QVERIFY(!band.isEmpty());

    const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = shot.devicePixelRatio();
    auto at = [&](int x, int y) { return shot.pixelColor(int(x * ratio), int(y * ratio)); };
    const QColor inverted(155, 105, 55);
    QCOMPARE(at(band.left(), band.top()), inverted);
    QCOMPARE(at(band.right(), band.bottom()), inverted);
    QCOMPARE(at(band.center().x(), band.top()), inverted);
    QCOMPARE(at(band.left(), band.center().y()), inverted);
    QCOMPARE(at(band.right(), band.center().y()), inverted);
    QCOMPARE(at(band.center().x(), band.center().y()), QColor(100, 150, 200));
    QCOMPARE(at(band.left() - 2, band.center().y()), QColor(100, 150, 200));
    QCOMPARE(
        at(dialog.FrameRect().left() + 1, dialog.FrameRect().top() + 1), QColor(172, 168, 153));

    const QString out = QString::fromLocal8Bit(qgetenv("KESTRIN_RENDER_DIR"));
    if (!out.isEmpty()) {
        // A real bracket picture for the eye, when the sample gallery is there.
        const QString sample = testutils::sourceDir() + "/samples/Gallery/bracket0001.png";
        CBracketDlg shown;
        openDialog(shown, QFile::exists(sample) ? sample : sourcePicture(bracketPicture(300, 200)));
        setTexts(shown.Texts(), "Twin", "Steel", "NiTi");
        QTest::mouseClick(shown.TrimmingButton(), Qt::LeftButton);
        const QSize size = shown.SourceImage().image().size();
        const TrimmingState& trimming = shown.Trimming();
        const QPoint to
            = trimming.ImageToClient(QPoint(size.width() * 5 / 8, size.height() * 7 / 8));
        QTest::mousePress(&shown, Qt::LeftButton, {},
            trimming.ImageToClient(QPoint(size.width() / 4, size.height() / 8)));
        QTest::mouseMove(&shown, to);
        shown.grab().save(out + "/adddialog-crop.png");
        QTest::mouseRelease(&shown, Qt::LeftButton, {}, to);
        shown.grab().save(out + "/adddialog-cropped.png");
    }
}

void TestGalleryEdit::cancelWritesNothing()
{
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(bracketPicture(80, 60)));
    setTexts(dialog.Texts(), "B", "M", "W");
    button(&dialog, "2")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(readAll(catalogue()), QByteArray());
    QCOMPARE(QDir(gallery()).entryList(QDir::Files), QStringList { "bracket.csv" });
}

void TestGalleryEdit::numberingFillsGaps()
{
    const QImage picture = bracketPicture(40, 30);
    QVERIFY(picture.save(gallery() + "bracket0001.png"));
    QVERIFY(picture.save(gallery() + "bracket0003.png"));
    // Five lines, the last without its line end.
    writeBytes(catalogue(),
        "bracket0001.png,A,a,1,Vendor0000,Memo0000,outer\r\n"
        "bracket0009.png,Gone,g,2,Vendor0001,Memo0001,outer\r\n"
        "\r\n"
        "bracket0003.png,C,c,3,Vendor0003,Memo0003,inner\n"
        "bracket0001.png,D,d,4,V,M,outer");
    CBracketDlg dialog;
    openDialog(dialog, sourcePicture(bracketPicture(90, 70)));
    setTexts(dialog.Texts(), "E", "e", "5");
    button(&dialog, "1")->click();
    QCOMPARE(dialog.WrittenPicture(), gallery() + "bracket0002.png");
    QVERIFY(readAll(catalogue())
                .endsWith("bracket0001.png,D,d,4,V,M,outer\r\n"
                          "bracket0002.png,E,e,5,Vendor0005,Memo0005,outer\r\n"));
    QVERIFY(QFile::exists(gallery() + "bracket0002.png"));
}

void TestGalleryEdit::vendorAndMemoNumbers()
{
    QByteArray lines;
    for (int n = 1; n <= 4; ++n) {
        const QString name = QStringLiteral("bracket%1.png").arg(n, 4, 10, QLatin1Char('0'));
        QVERIFY(bracketPicture(20, 20).save(gallery() + name));
        lines += name.toUtf8() + ",B,M,W,V,M,outer\r\n";
    }
    writeBytes(catalogue(), lines);
    QBrackListDiag list;
    whenModal<CBracketDlg>([](CBracketDlg* dialog) {
        setTexts(dialog->Texts(), "Fifth", "M", "W");
        button(dialog, "1")->click();
    });
    QVERIFY(GalleryCommands::AddPicture(nullptr, &list, sourcePicture(bracketPicture(30, 30))));
    QVERIFY(readAll(catalogue())
                .endsWith("bracket0004.png,B,M,W,V,M,outer\r\n"
                          "bracket0005.png,Fifth,M,W,Vendor0004,Memo0004,outer\r\n"));
    QCOMPARE(list.List()->Model()->rowCount(), 5);
    QCOMPARE(list.BracketNameAt(4), QStringLiteral("Fifth"));
}

void TestGalleryEdit::missingCatalogue()
{
    QFile::remove(catalogue());
    QBrackListDiag list;
    testutils::MessageBoxCloser closer;
    whenModal<CBracketDlg>([](CBracketDlg* dialog) {
        QTRY_VERIFY(dialog->Trimming().Scale() > 0.0);
        setTexts(dialog->Texts(), "B", "M", "W");
        button(dialog, "1")->click();
    });
    QVERIFY(GalleryCommands::AddPicture(nullptr, &list, sourcePicture(bracketPicture(50, 40))));
    QVERIFY(!QFile::exists(catalogue()));
    QVERIFY(!QFile::exists(gallery() + "bracket0001.png"));
    QTRY_COMPARE(closer.texts, QStringList { QStringLiteral("bracket.csvが見つかりません") });
    QCOMPARE(list.List()->Model()->rowCount(), 0);
}

void TestGalleryEdit::unreadablePictureAddsDroppedLine()
{
    const QString notAPicture = m_host->path("notes.png");
    writeBytes(notAPicture, "just text\n");
    QBrackListDiag list;
    whenModal<CBracketDlg>([](CBracketDlg* dialog) {
        QVERIFY(!dialog->SourceImage().hasImage());
        setTexts(dialog->Texts(), "B", "M", "W");
        button(dialog, "1")->click();
    });
    QVERIFY(GalleryCommands::AddPicture(nullptr, &list, notAPicture));
    QCOMPARE(
        readAll(catalogue()), QByteArray("bracket0001.png,B,M,W,Vendor0000,Memo0000,outer\r\n"));
    QVERIFY(!QFile::exists(gallery() + "bracket0001.png"));
    QCOMPARE(list.List()->Model()->rowCount(), 0);
}

void TestGalleryEdit::addCommandEndToEnd()
{
    QCOMPARE(
        GalleryCommands::ImageFilter(), QStringLiteral("画像ファイル (*.bmp *.jpg *.jpeg *.png)"));
    makeGallery();
    const QString path = sourcePicture(bracketPicture(150, 90));
    QBrackListDiag list;
    list.ReloadGallery();
    QCOMPARE(list.List()->Model()->rowCount(), 3);
    QStringList filters;
    whenModal<QFileDialog>([&filters, path](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        dialog->selectFile(path);
        // Through the base, where accept() is public; QFileDialog's own checks run.
        static_cast<QDialog*>(dialog)->accept();
    });
    whenModal<CBracketDlg>([](CBracketDlg* dialog) {
        setTexts(dialog->Texts(), "New", "Resin", "TMA");
        button(dialog, "1")->click();
    });
    GalleryCommands::Add(nullptr, &list);
    QCOMPARE(filters, QStringList { GalleryCommands::ImageFilter() });
    // bracket0003.png is free in the folder though a line still names it.
    QVERIFY(readAll(catalogue())
                .endsWith("bracket0003.png,New,Resin,TMA,Vendor0004,Memo0004,outer\r\n"));
    // So that stale line finds a picture again and shows up beside the new one.
    QCOMPARE(list.List()->Model()->rowCount(), 5);
    QCOMPARE(list.BracketNameAt(2), QStringLiteral("Gone"));
    QCOMPARE(list.BracketNameAt(4), QStringLiteral("New"));
    QCOMPARE(list.List()->Model()->EntryAt(4)->picturePath, gallery() + "bracket0003.png");
    const QString out = QString::fromLocal8Bit(qgetenv("KESTRIN_RENDER_DIR"));
    if (!out.isEmpty()) {
        list.resize(240, 520);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.List()->selectRow(4);
        list.grab().save(out + "/bracketlist-after-add.png");
        list.hide();
    }

    // A cancelled file dialog does nothing.
    const QByteArray before = readAll(catalogue());
    whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    GalleryCommands::Add(nullptr, &list);
    QCOMPARE(readAll(catalogue()), before);
}

// --- edit and delete -----------------------------------------------------------

void TestGalleryEdit::editChangesOnlyTexts()
{
    makeGallery();
    QBrackListDiag list;
    list.ReloadGallery();
    list.List()->selectRow(2); // C-lingual, inner
    whenModal<CBracketEditDlg>([](CBracketEditDlg* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("編集"));
        QCOMPARE(dialog->Texts()->BracketBox()->text(), QStringLiteral("C-lingual"));
        QCOMPARE(dialog->Texts()->MaterialBox()->text(), QStringLiteral("Gold"));
        QCOMPARE(dialog->focusWidget(), dialog->Texts()->BracketBox());
        dialog->Texts()->WireBox()->setText("TMA .019,x");
        const QString out = QString::fromLocal8Bit(qgetenv("KESTRIN_RENDER_DIR"));
        if (!out.isEmpty())
            dialog->grab().save(out + "/editdialog.png");
        button(dialog, "1")->click();
    });
    GalleryCommands::Edit(nullptr, &list);
    QCOMPARE(readAll(catalogue()),
        QByteArray("bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n"
                   "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"
                   "bracket0004.png,C-lingual,Gold,TMA .019.x,V3,M3,inner\r\n"));
    QCOMPARE(list.SelectedIndex(), 2);
    QString b, m, w;
    QVERIFY(list.SelectedTexts(b, m, w));
    QCOMPARE(w, QStringLiteral("TMA .019.x"));
    QCOMPARE(list.SelectedSideFlag(), 0);
}

void TestGalleryEdit::editKeepsSortedOrderAndDropsMissing()
{
    makeGallery();
    QBrackListDiag list;
    list.ReloadGallery();
    list.List()->SortByColumn(0); // C-lingual, B-metal, A-ceramic
    list.List()->selectRow(1);
    whenModal<CBracketEditDlg>([](CBracketEditDlg* dialog) {
        dialog->Texts()->BracketBox()->setText("B-mini");
        button(dialog, "1")->click();
    });
    GalleryCommands::Edit(nullptr, &list);
    QCOMPARE(readAll(catalogue()),
        QByteArray("bracket0004.png,C-lingual,Gold,TMA .017,V3,M3,inner\r\n"
                   "bracket0001.png,B-mini,Steel,NiTi .014,V0,M0,outer\r\n"
                   "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"));
}

void TestGalleryEdit::editRefusesEmptyAndCancelKeepsFile()
{
    makeGallery();
    const QByteArray before = readAll(catalogue());
    QBrackListDiag list;
    list.ReloadGallery();
    list.List()->selectRow(0);
    testutils::MessageBoxCloser closer;
    bool refused = false;
    whenModal<CBracketEditDlg>([&refused](CBracketEditDlg* dialog) {
        dialog->Texts()->MaterialBox()->clear();
        button(dialog, "1")->click();
        refused = dialog->isVisible() && dialog->focusWidget() == dialog->Texts()->MaterialBox();
        button(dialog, "2")->click();
    });
    GalleryCommands::Edit(nullptr, &list);
    QVERIFY(refused);
    QCOMPARE(closer.texts, QStringList { QStringLiteral("未設定のパラメータが存在します。") });
    QCOMPARE(readAll(catalogue()), before);
    QCOMPARE(list.BracketNameAt(0), QStringLiteral("B-metal"));
    QString b, m, w;
    QVERIFY(list.SelectedTexts(b, m, w));
    QCOMPARE(m, QStringLiteral("Steel"));
}

void TestGalleryEdit::deleteKeepsPictures()
{
    makeGallery();
    QBrackListDiag list;
    list.ReloadGallery();
    list.List()->SortByColumn(1); // Steel, Gold, Alumina
    list.List()->selectRow(1);
    const QImage innerPreview = list.Preview(); // with the badge
    QVERIFY(!innerPreview.isNull());
    GalleryCommands::Delete(nullptr, &list);
    QCOMPARE(readAll(catalogue()),
        QByteArray("bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n"
                   "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"));
    QCOMPARE(list.SelectedIndex(), -1);
    // The preview stays on the deleted picture until another row is chosen.
    QCOMPARE(list.Preview(), innerPreview);
    QVERIFY(QFile::exists(gallery() + "bracket0004.png"));
    QCOMPARE(list.List()->Model()->rowCount(), 2);
}

void TestGalleryEdit::deleteOnlyRowThenAddNumbersZero()
{
    QVERIFY(bracketPicture(20, 20).save(gallery() + "bracket0001.png"));
    writeBytes(catalogue(),
        "bracket0001.png,Only,One,Wire,Vendor0000,Memo0000,outer\r\n"
        "bracket0002.png,Gone,g,w,Vendor0001,Memo0001,outer\r\n");
    QBrackListDiag list;
    list.ReloadGallery();
    QCOMPARE(list.List()->Model()->rowCount(), 1);
    list.List()->selectRow(0);
    GalleryCommands::Delete(nullptr, &list);
    QCOMPARE(QFileInfo(catalogue()).size(), 0);
    QVERIFY(QFile::exists(gallery() + "bracket0001.png"));

    whenModal<CBracketDlg>([](CBracketDlg* dialog) {
        setTexts(dialog->Texts(), "Next", "Steel", "SS");
        button(dialog, "1")->click();
    });
    QVERIFY(GalleryCommands::AddPicture(nullptr, &list, sourcePicture(bracketPicture(30, 30))));
    // The deleted entry's picture still holds number 1.
    QCOMPARE(readAll(catalogue()),
        QByteArray("bracket0002.png,Next,Steel,SS,Vendor0000,Memo0000,outer\r\n"));
    QCOMPARE(list.List()->Model()->rowCount(), 1);
}

void TestGalleryEdit::noSelectionChangesNothing()
{
    makeGallery();
    const QByteArray before = readAll(catalogue());
    QBrackListDiag list;
    list.ReloadGallery();
    QCOMPARE(list.SelectedIndex(), -1);
    GalleryCommands::Edit(nullptr, &list);
    GalleryCommands::Delete(nullptr, &list);
    QCOMPARE(readAll(catalogue()), before);
    QCOMPARE(list.List()->Model()->rowCount(), 3);
}

QTEST_MAIN(TestGalleryEdit)
#include "tst_galleryedit.moc"
