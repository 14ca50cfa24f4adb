// The bracket list: sorting rules, preview fitting and badge, loading the
// panel from a gallery, selection queries, drag and drop reports, double-click
// notification and the docking bar's remembered sizes.
#include "ui/bars/qbarlist.h"
#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerysort.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/bars/qthumbheader.h"
#include "testutils.h"

#include <QLabel>
#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

GalleryEntry entry(const QString& bracket, const QString& material, const QString& wire)
{
    GalleryEntry e;
    e.bracketName = bracket;
    e.material = material;
    e.wire = wire;
    e.side = QStringLiteral("outer");
    return e;
}

QStringList column(const GalleryListModel* model, int col)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, col).data().toString();
    return texts;
}

// A transparent picture with an opaque red core, like a bracket picture.
void writePicture(const QString& path, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = size.height() / 4; y < size.height() * 3 / 4; ++y)
        for (int x = size.width() / 4; x < size.width() * 3 / 4; ++x)
            image.setPixel(x, y, qRgba(200, 0, 0, 255));
    QVERIFY(image.save(path, "PNG"));
}

void writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestBracketList : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sortOrder_data();
    void sortOrder();
    void headerClicks();
    void fitRect_data();
    void fitRect();
    void innerBadge();

    void loadsOnlyExistingPictures();
    void missingCatalogueShowsMessage();
    void selectionQueries();
    void headerSortsDescendingThenAscending();
    void previewFitsAndBadge();
    void previewCheckBox();
    void previewWidthFollowsPanel_data();
    void previewWidthFollowsPanel();
    void arrowKeysMoveCurrentIndex();
    void dragReportsDropToExtendedHandler();
    void dragImageArguments();
    void doubleClickIsPosted();
    void editDeleteAndRewriteKeepSortedOrder();

    void barSizesRoundTrip();
    void barSizesBelowMinimum();
    void renderSampleGallery();

private:
    QString makeGallery();

    std::unique_ptr<testutils::IsolatedHost> m_host;
    QStringList m_messages;
};

void TestBracketList::init()
{
    m_host = std::make_unique<testutils::IsolatedHost>();
    m_messages.clear();
}

void TestBracketList::cleanup() { m_host.reset(); }

// Four entries; the third names a picture that does not exist, the last is inner.
QString TestBracketList::makeGallery()
{
    const QString folder = m_host->path(QStringLiteral("Gallery/"));
    QDir().mkpath(folder);
    writePicture(folder + "bracket0001.png", QSize(1280, 220));
    writePicture(folder + "bracket0002.png", QSize(100, 50));
    writePicture(folder + "bracket0004.png", QSize(50, 200));
    writeText(folder + "bracket.csv",
        "bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n"
        "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"
        "bracket0003.png,Gone,Nothing,None,V2,M2,outer\r\n"
        "bracket0004.png,C-lingual,Gold,TMA .017,V3,M3,inner\r\n");
    QSettings ini(m_host->path("Molvex.ini"), QSettings::IniFormat);
    ini.setValue("DB_DIR/GALLERY", folder);
    return folder;
}

void TestBracketList::sortOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("expected"); // bracket names in the sorted order

    QTest::newRow("bracket desc") << 0 << false << QStringList { "c", "b", "a", "B" };
    QTest::newRow("bracket asc, case-sensitive") << 0 << true << QStringList { "B", "a", "b", "c" };
    QTest::newRow("material asc, stable on ties")
        << 1 << true << QStringList { "a", "c", "b", "B" };
    QTest::newRow("wire desc") << 2 << false << QStringList { "B", "b", "a", "c" };
    QTest::newRow("vendor asc") << 3 << true << QStringList { "c", "B", "b", "a" };
}

void TestBracketList::sortOrder()
{
    QFETCH(int, column);
    QFETCH(bool, ascending);
    QFETCH(QStringList, expected);
    QVector<GalleryEntry> entries { entry("b", "z", "2"), entry("a", "m", "1"),
        entry("c", "m", "0"), entry("B", "zz", "3") };
    const QStringList vendors { "v3", "v4", "v1", "v2" };
    for (int i = 0; i < entries.size(); ++i)
        entries[i].vendor = vendors[i];
    QStringList names;
    for (int index : GallerySort::Order(entries, column, ascending))
        names << entries[index].bracketName;
    QCOMPARE(names, expected);
}

void TestBracketList::headerClicks()
{
    GallerySort sort;
    QCOMPARE(sort.ImageFor(0), GallerySort::ImageNone);
    QCOMPARE(sort.Click(1), false);
    QCOMPARE(sort.ImageFor(1), GallerySort::ImageDown);
    QCOMPARE(sort.ImageFor(0), GallerySort::ImageNone);
    QCOMPARE(sort.Click(1), true);
    QCOMPARE(sort.ImageFor(1), GallerySort::ImageUp);
    // Each column keeps its own direction.
    QCOMPARE(sort.Click(0), false);
    QCOMPARE(sort.ImageFor(1), GallerySort::ImageNone);
    QCOMPARE(sort.Click(1), false);
    QCOMPARE(sort.Click(7), false);
    QCOMPARE(sort.LastColumn(), 1);
    sort.Clear();
    QCOMPARE(sort.Click(1), false);
}

void TestBracketList::fitRect_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("wide reduced") << QSize(1280, 220) << QSize(200, 130) << QRect(0, 47, 200, 34);
    QTest::newRow("small enlarged") << QSize(100, 50) << QSize(200, 130) << QRect(0, 15, 200, 100);
    QTest::newRow("tall reduced") << QSize(50, 200) << QSize(200, 130) << QRect(83, 0, 32, 130);
    QTest::newRow("tiny square enlarged")
        << QSize(10, 10) << QSize(200, 130) << QRect(35, 0, 130, 130);
    QTest::newRow("narrow box") << QSize(300, 100) << QSize(199, 130) << QRect(0, 31, 199, 66);
    QTest::newRow("empty picture") << QSize(0, 10) << QSize(200, 130) << QRect();
}

void TestBracketList::fitRect()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QRect, expected);
    QCOMPARE(BracketPreview::FitRect(picture, box), expected);
}

void TestBracketList::innerBadge()
{
    QImage picture(200, 20, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    const QImage outer = BracketPreview::Render(picture, 200, false);
    const QImage inner = BracketPreview::Render(picture, 200, true);
    QCOMPARE(outer.size(), QSize(200, 130));
    QCOMPARE(outer.pixelColor(100, 10), BracketPreview::Background());
    QCOMPARE(outer.pixelColor(100, 65), QColor(Qt::red));
    // Inside the ellipse but clear of the text: blue to cyan, never the ground.
    const QColor badge = inner.pixelColor(73, 10);
    QVERIFY2(badge.blue() > 200 && badge.red() < 60, qPrintable(badge.name()));
    QCOMPARE(inner.pixelColor(60, 10), BracketPreview::Background());
    QCOMPARE(inner.pixelColor(100, 65), QColor(Qt::red));
}

void TestBracketList::loadsOnlyExistingPictures()
{
    const QString folder = makeGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    const GalleryListModel* model = panel.List()->Model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(column(model, 0), QStringList({ "B-metal", "A-ceramic", "C-lingual" }));
    QCOMPARE(column(model, 1), QStringList({ "Steel", "Alumina", "Gold" }));
    QCOMPARE(column(model, 2), QStringList({ "NiTi .014", "SS .016", "TMA .017" }));
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ﾌﾞﾗｹｯﾄ"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("素材"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("ﾜｲﾔｰ"));
    QCOMPARE(panel.List()->PicturePaths().size(), 3);
    QCOMPARE(panel.List()->PicturePaths().at(2), folder + "bracket0004.png");
    QCOMPARE(panel.List()->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(panel.List()->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(panel.SelectedIndex(), -1);
}

void TestBracketList::missingCatalogueShowsMessage()
{
    const QString folder = makeGallery();
    QBrackListDiag panel;
    panel.List()->SetMessageFunction([this](QWidget*, const QString& text) { m_messages << text; });
    QVERIFY(panel.LoadCatalogue(folder, folder + "bracket.csv"));
    QCOMPARE(panel.List()->Model()->rowCount(), 3);
    QVERIFY(m_messages.isEmpty());

    QFile::remove(folder + "bracket.csv");
    QVERIFY(!panel.LoadCatalogue(folder, folder + "bracket.csv"));
    QCOMPARE(m_messages, QStringList { QStringLiteral("bracket.csvが見つかりません") });
    QCOMPARE(panel.List()->Model()->rowCount(), 0);
    QVERIFY(panel.List()->PicturePaths().isEmpty());
}

void TestBracketList::selectionQueries()
{
    makeGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    QString bracket = "x", material = "y", wire = "z";
    QVERIFY(!panel.SelectedTexts(bracket, material, wire));
    QCOMPARE(bracket, QStringLiteral("x"));
    QCOMPARE(panel.SelectedSideFlag(), 1);
    QVERIFY(panel.SelectedPicturePath().isEmpty());

    panel.List()->selectRow(2);
    QCOMPARE(panel.SelectedIndex(), 2);
    QCOMPARE(panel.SelectedSideFlag(), 0);
    QVERIFY(panel.SelectedPicturePath().endsWith("bracket0004.png"));
    QVERIFY(panel.SelectedTexts(bracket, material, wire));
    QCOMPARE(
        QStringList({ bracket, material, wire }), QStringList({ "C-lingual", "Gold", "TMA .017" }));
    QCOMPARE(panel.BracketNameAt(1), QStringLiteral("A-ceramic"));
    QCOMPARE(panel.BracketNameAt(3), QString());
    QCOMPARE(
        panel.TipTextAt(0), QStringLiteral("ﾌﾞﾗｹｯﾄ : B-metal|素材 : Steel|ﾜｲﾔｰ :  NiTi .014|"));
    QCOMPARE(panel.TipTextAt(-1), QString());
}

void TestBracketList::headerSortsDescendingThenAscending()
{
    makeGallery();
    QBrackListDiag panel;
    panel.resize(240, 500);
    panel.show();
    panel.ReloadGallery();
    QThumbHeader* header = panel.List()->Header();
    panel.List()->selectRow(0); // B-metal

    const int x = header->sectionViewportPosition(1) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QCOMPARE(column(panel.List()->Model(), 1), QStringList({ "Steel", "Gold", "Alumina" }));
    QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageDown));
    QCOMPARE(header->SectionImage(0), int(QThumbHeader::ImageEmpty));
    QCOMPARE(header->SectionImage(2), int(QThumbHeader::ImageEmpty));
    // The selection follows its entry through the sort.
    QCOMPARE(panel.SelectedIndex(), 0);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QCOMPARE(column(panel.List()->Model(), 1), QStringList({ "Alumina", "Gold", "Steel" }));
    QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageUp));
    QCOMPARE(panel.SelectedIndex(), 2);
    QCOMPARE(panel.BracketNameAt(2), QStringLiteral("B-metal"));

    panel.List()->SortByColumn(0);
    QCOMPARE(
        column(panel.List()->Model(), 0), QStringList({ "C-lingual", "B-metal", "A-ceramic" }));
    QCOMPARE(header->SectionImage(0), int(QThumbHeader::ImageDown));
    QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageEmpty));
}

void TestBracketList::previewFitsAndBadge()
{
    makeGallery();
    QBrackListDiag panel;
    panel.resize(240, 500);
    panel.ReloadGallery();
    QVERIFY(panel.Preview().isNull());
    QCOMPARE(panel.PreviewWidth(), 200);

    panel.List()->selectRow(1); // 100 × 50, enlarged to 200 × 100 at y 15
    QImage preview = panel.Preview();
    QCOMPARE(preview.size(), QSize(200, 130));
    QCOMPARE(preview.pixelColor(100, 65), QColor(200, 0, 0));
    QCOMPARE(preview.pixelColor(100, 10), BracketPreview::Background());
    QCOMPARE(preview.pixelColor(100, 125), BracketPreview::Background());
    // Transparent surround shows the ground.
    QCOMPARE(preview.pixelColor(20, 30), BracketPreview::Background());
    QVERIFY(panel.PreviewShown());

    panel.List()->selectRow(2); // inner, 50 × 200 reduced to 32 × 130
    preview = panel.Preview();
    QCOMPARE(preview.pixelColor(99, 65), QColor(200, 0, 0));
    QCOMPARE(preview.pixelColor(40, 65), BracketPreview::Background());
    QVERIFY(preview.pixelColor(73, 10) != BracketPreview::Background());

    panel.List()->selectRow(0); // outer: no badge
    QCOMPARE(panel.Preview().pixelColor(73, 10), BracketPreview::Background());

    // No selection keeps the last preview.
    const QImage last = panel.Preview();
    panel.List()->clearSelection();
    QCOMPARE(panel.Preview(), last);
}

void TestBracketList::previewCheckBox()
{
    makeGallery();
    QBrackListDiag panel;
    panel.resize(240, 500);
    panel.ReloadGallery();
    panel.List()->selectRow(0);
    QVERIFY(panel.PreviewShown());
    panel.SetPreviewChecked(false);
    QVERIFY(!panel.PreviewShown());
    auto* picture = panel.findChild<QLabel*>("6022");
    QVERIFY(picture);
    QCOMPARE(picture->grab().toImage().pixelColor(100, 65), BracketPreview::Background());
    // A selection made meanwhile is previewed but not shown until checked.
    panel.List()->selectRow(1);
    QVERIFY(!panel.PreviewShown());
    panel.SetPreviewChecked(true);
    QVERIFY(panel.PreviewShown());
    QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), panel.Preview());
}

void TestBracketList::previewWidthFollowsPanel_data()
{
    QTest::addColumn<int>("panelWidth");
    QTest::addColumn<int>("previewWidth");
    QTest::addColumn<int>("previewLeft");
    QTest::newRow("wide") << 300 << 200 << 50;
    QTest::newRow("odd") << 221 << 200 << 10;
    // Both halves truncate toward zero, so one pixel narrower than the picture
    // gives 199 but much narrower gives the full 200 again.
    QTest::newRow("just narrower") << 199 << 199 << 0;
    QTest::newRow("narrow") << 150 << 200 << -25;
}

void TestBracketList::previewWidthFollowsPanel()
{
    QFETCH(int, panelWidth);
    QFETCH(int, previewWidth);
    QFETCH(int, previewLeft);
    QBrackListDiag panel;
    panel.resize(panelWidth, 480);
    panel.show(); // a hidden widget gets its resize only when shown
    QCOMPARE(panel.PreviewWidth(), previewWidth);
    auto* picture = panel.findChild<QLabel*>("6022");
    QCOMPARE(picture->geometry().left(), previewLeft);
    QCOMPARE(picture->height(), BracketPreview::Height);
    auto* list = panel.findChild<QTableView*>("6018");
    QCOMPARE(list->width(), panelWidth);
    QVERIFY(list->geometry().bottom() < picture->geometry().top());
}

void TestBracketList::arrowKeysMoveCurrentIndex()
{
    makeGallery();
    QBrackListDiag panel;
    QListThumbEx* list = panel.List();
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(list->CurrentIndex(), 0); // no rows: nothing moves
    panel.ReloadGallery();
    QTest::keyClick(list, Qt::Key_Left);
    QCOMPARE(list->CurrentIndex(), 0);
    QTest::keyClick(list, Qt::Key_Right);
    QTest::keyClick(list, Qt::Key_Right);
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(list->CurrentIndex(), 2);
    QTest::keyClick(list, Qt::Key_Left);
    QCOMPARE(list->CurrentIndex(), 1);
}

void TestBracketList::dragReportsDropToExtendedHandler()
{
    const QString folder = makeGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    struct Drop {
        int row = -2, x = 0, y = 0, w = 0, h = 0, side = -1;
        QString path;
        Qt::KeyboardModifiers flags;
    };
    QVector<Drop> drops;
    int plainCalls = 0;
    panel.SetDropHandler([&](int, const QString&, Qt::KeyboardModifiers, int, int, int, int) {
        ++plainCalls;
        return 0;
    });
    panel.SetDropHandlerEx([&](int row, const QString& path, Qt::KeyboardModifiers flags, int x,
                               int y, int w, int h, int side) {
        drops.append({ row, x, y, w, h, side, path, flags });
        return 1;
    });
    QListThumbEx* list = panel.List();
    QVERIFY(!list->BeginThumbDrag(-1));
    QVERIFY(!list->BeginThumbDrag(3));
    QVERIFY(!list->IsDragging());

    list->SortByColumn(0); // C-lingual, B-metal, A-ceramic
    list->selectRow(0);
    QVERIFY(list->BeginThumbDrag(0));
    QVERIFY(list->IsDragging());
    QCOMPARE(list->DragPixmap().size(), QSize(50, 200));
    QCOMPARE(list->DragHotSpot(), QPoint(25, 100));
    list->EndThumbDrag(QPoint(640, 480), Qt::ShiftModifier);
    QVERIFY(!list->IsDragging());
    QCOMPARE(drops.size(), 1);
    QCOMPARE(drops[0].row, 0);
    QCOMPARE(drops[0].path, folder + "bracket0004.png");
    QCOMPARE(drops[0].flags, Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(QPoint(drops[0].x, drops[0].y), QPoint(640, 480));
    QCOMPARE(QSize(drops[0].w, drops[0].h), QSize(50, 200));
    QCOMPARE(drops[0].side, 0);
    QCOMPARE(plainCalls, 0);

    // A second release without a drag reports nothing; a cancelled drag neither.
    list->EndThumbDrag(QPoint(1, 1), {});
    list->selectRow(1);
    QVERIFY(list->BeginThumbDrag(1));
    list->CancelThumbDrag();
    list->EndThumbDrag(QPoint(1, 1), {});
    QCOMPARE(drops.size(), 1);

    // An unreadable picture gives no image, but the drop is still reported.
    QFile::remove(folder + "bracket0001.png");
    writeText(folder + "bracket0001.png", "not a picture");
    QVERIFY(list->BeginThumbDrag(1));
    QVERIFY(list->DragPixmap().isNull());
    list->EndThumbDrag(QPoint(7, 8), {});
    QCOMPARE(drops.size(), 2);
    QCOMPARE(drops[1].side, 1);
    QCOMPARE(QSize(drops[1].w, drops[1].h), QSize());
}

void TestBracketList::dragImageArguments()
{
    makeGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    QListThumbEx* list = panel.List();
    list->selectRow(1); // 100 × 50
    QPoint hot;
    QPixmap pixmap = list->CreateThumbDragImage(1, 0.5, 0, 0, hot, 0, 0);
    QCOMPARE(pixmap.size(), QSize(50, 25));
    QCOMPARE(hot, QPoint(25, 12));
    QCOMPARE(list->DragPictureSize(), QSize(100, 50));
    pixmap = list->CreateThumbDragImage(1, 2.0, 30, 40, hot, 3, 4);
    QCOMPARE(pixmap.size(), QSize(60, 80));
    QCOMPARE(hot, QPoint(6, 8));
    QCOMPARE(list->DragPictureSize(), QSize(30, 40));
    // Transparent surround stays transparent under the cursor.
    QCOMPARE(
        list->CreateThumbDragImage(1, 1.0, 0, 0, hot, 0, 0).toImage().pixelColor(0, 0).alpha(), 0);
}

void TestBracketList::doubleClickIsPosted()
{
    makeGallery();
    QBrackListDiag panel;
    panel.resize(240, 500);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    panel.ReloadGallery();
    QSignalSpy spy(&panel, &QBrackListDiag::thumbDoubleClicked);
    QListThumbEx* list = panel.List();
    const QPoint onRow = list->visualRect(list->Model()->index(1, 0)).center();

    // Without a notify window nothing is posted.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onRow);
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);

    QObject frame;
    panel.SetNotifyWindow(&frame);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onRow);
    QCOMPARE(spy.count(), 0); // posted, not sent
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);

    // Below the last row: no row hit, nothing posted.
    QTest::mouseDClick(
        list->viewport(), Qt::LeftButton, {}, QPoint(10, list->viewport()->height() - 3));
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 1);

    QSignalSpy dragSpy(&panel, &QBrackListDiag::thumbBeginDrag);
    list->selectRow(2);
    list->BeginThumbDrag(2);
    list->CancelThumbDrag();
    QTRY_COMPARE(dragSpy.count(), 1);
    QCOMPARE(dragSpy.at(0).at(0).toInt(), 2);
}

void TestBracketList::editDeleteAndRewriteKeepSortedOrder()
{
    const QString folder = makeGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    panel.List()->SortByColumn(1); // Steel, Gold, Alumina
    panel.List()->selectRow(1);
    panel.UpdateSelected(std::nullopt, "C2", "Gold.", "TMA");
    QCOMPARE(panel.BracketNameAt(1), QStringLiteral("C2"));
    QVERIFY(panel.SelectedPicturePath().endsWith("bracket0004.png"));
    QCOMPARE(panel.SelectedSideFlag(), 0);
    panel.List()->selectRow(0);
    panel.DeleteSelected();
    QCOMPARE(panel.List()->Model()->rowCount(), 2);
    QVERIFY(panel.SaveCatalogue(folder + "bracket.csv"));
    QFile file(folder + "bracket.csv");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
        QByteArray("bracket0004.png,C2,Gold.,TMA,V3,M3,inner\r\n"
                   "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"));
    panel.List()->clearSelection();
    panel.DeleteSelected();
    QCOMPARE(panel.List()->Model()->rowCount(), 2);
}

void TestBracketList::barSizesRoundTrip()
{
    QMainWindow frame;
    auto* bar = new QBarList(QStringLiteral("ﾌﾞﾗｹｯﾄ ﾘｽﾄ"), &frame);
    QCOMPARE(bar->objectName(), QStringLiteral("SCBar-103"));
    QCOMPARE(bar->SectionName("BarState"), QStringLiteral("BarState-SCBar-103"));
    {
        QSettings ini(m_host->path("Molvex.ini"), QSettings::IniFormat);
        ini.beginGroup("BarState-SCBar-103");
        ini.setValue("sizeHorzCX", 300);
        ini.setValue("sizeHorzCY", 240);
        ini.setValue("sizeVertCX", 260);
        ini.setValue("sizeVertCY", 500);
        ini.setValue("sizeFloatCX", 310);
        ini.setValue("sizeFloatCY", 420);
    }
    QBarList::GlobalLoadState(&frame, "BarState");
    QCOMPARE(bar->HorzSize(), QSize(300, 240));
    QCOMPARE(bar->VertSize(), QSize(260, 500));
    QCOMPARE(bar->FloatSize(), QSize(310, 420));

    QFile::remove(m_host->path("Molvex.ini"));
    QBarList::GlobalSaveState(&frame, "BarState");
    QSettings ini(m_host->path("Molvex.ini"), QSettings::IniFormat);
    const QStringList keys { "sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX",
        "sizeFloatCY" };
    const QList<int> values { 300, 240, 260, 500, 310, 420 };
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(ini.value("BarState-SCBar-103/" + keys[i]).toInt(), values[i]);

    // Docked at the left the vertical width applies, and the user's resize is
    // what the next save writes.
    bar->setWidget(new QWidget);
    frame.setCentralWidget(new QWidget);
    frame.addDockWidget(Qt::LeftDockWidgetArea, bar);
    frame.resize(900, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    bar->ApplyStoredSize();
    QTRY_COMPARE(bar->width(), 260);
    frame.resizeDocks({ bar }, { 300 }, Qt::Horizontal);
    QTRY_COMPARE(bar->VertSize().width(), 300);
    QCOMPARE(bar->FloatSize(), QSize(310, 420));
}

void TestBracketList::barSizesBelowMinimum()
{
    QBarList bar(QStringLiteral("ﾌﾞﾗｹｯﾄ ﾘｽﾄ"));
    {
        QSettings ini(m_host->path("Molvex.ini"), QSettings::IniFormat);
        ini.beginGroup("Profile-SCBar-103");
        ini.setValue("sizeVertCX", 100);
        ini.setValue("sizeHorzCY", -5);
        ini.setValue("sizeFloatCX", 10);
        ini.setValue("sizeFloatCY", 40);
    }
    bar.LoadState("Profile");
    QCOMPARE(bar.VertSize(), QSize(220, 220));
    QCOMPARE(bar.HorzSize(), QSize(220, 220));
    QCOMPARE(bar.FloatSize(), QSize(37, 40));
    // Missing keys keep the current sizes.
    bar.LoadState("Other");
    QCOMPARE(bar.FloatSize(), QSize(37, 40));
}

void TestBracketList::renderSampleGallery()
{
    const QString gallery = testutils::sourceDir() + "/samples/Gallery/";
    if (!QFile::exists(gallery + "bracket.csv"))
        QSKIP("sample gallery not found");
    QBrackListDiag panel;
    panel.resize(240, 520);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(panel.LoadCatalogue(gallery, gallery + "bracket.csv"));
    QCOMPARE(panel.List()->Model()->rowCount(), 11);
    panel.List()->SortByColumn(1);
    int inner = -1;
    for (int row = 0; row < panel.List()->Model()->rowCount() && inner < 0; ++row)
        if (panel.List()->Model()->EntryAt(row)->isInner())
            inner = row;
    QVERIFY(inner >= 0);
    panel.List()->selectRow(inner);
    QCOMPARE(panel.SelectedSideFlag(), 0);
    const QImage shot = panel.grab().toImage();
    QVERIFY(!shot.isNull());
    const QString out = QString::fromLocal8Bit(qgetenv("KESTRIN_RENDER_DIR"));
    if (!out.isEmpty())
        shot.save(out + "/bracketlist.png");
}

QTEST_MAIN(TestBracketList)
#include "tst_bracketlist.moc"
