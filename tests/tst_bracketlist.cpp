// The bracket list: the sorting rules, the row model, the preview fitting, what
// only the panel does (header arrows, row drag, double click, preview box) and
// the docking bar's remembered sizes.
#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerysort.h"
#include "testutils.h"
#include "ui/bars/qbarlist.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/bars/qthumbheader.h"

#include <QDrag>
#include <QLabel>
#include <QSignalSpy>

namespace {

// Stands for GallerySort::Clear() in a click sequence.
constexpr int clearSort = -100;

QStringList column(const QAbstractItemModel* model, int col)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, col).data().toString();
    return texts;
}

QVector<GalleryEntry> entries(const QStringList& names)
{
    QVector<GalleryEntry> list;
    for (const QString& name : names) {
        list.append(GalleryEntry());
        list.back().bracketName = name;
    }
    return list;
}

} // namespace

class TestBracketList : public QObject {
    Q_OBJECT

private slots:
    void init() { m_host = std::make_unique<testutils::IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void sortOrder_data();
    void sortOrder();
    void headerClicks_data();
    void headerClicks();
    void modelRows_data();
    void modelRows();
    void fitRect_data();
    void fitRect();
    void barSizes_data();
    void barSizes();

    void headerClickSortsAndShowsArrow();
    void dragCarriesPictureCentred();
    void doubleClickIsPosted();
    void previewBadgeAndCheckBox();

private:
    std::unique_ptr<QBrackListDiag> shownPanel();

    std::unique_ptr<testutils::IsolatedHost> m_host;
};

std::unique_ptr<QBrackListDiag> TestBracketList::shownPanel()
{
    testutils::makeGallery(*m_host);
    auto panel = std::make_unique<QBrackListDiag>();
    panel->resize(241, 503);
    panel->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(panel.get())); }();
    panel->ReloadGallery();
    return panel;
}

void TestBracketList::sortOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("texts"); // of `column`, one per entry
    QTest::addColumn<QVector<int>>("order");
    const QStringList tied { "m", "z", "m", "a" };
    QTest::newRow("bracket asc, case-sensitive")
        << 0 << true << QStringList { "b", "a", "c", "B" } << QVector<int> { 3, 1, 0, 2 };
    QTest::newRow("bracket desc") << 0 << false << QStringList { "b", "a", "c", "B" }
                                  << QVector<int> { 2, 0, 1, 3 };
    QTest::newRow("material asc, ties stable") << 1 << true << tied << QVector<int> { 3, 0, 2, 1 };
    QTest::newRow("wire desc, ties stable") << 2 << false << tied << QVector<int> { 1, 0, 2, 3 };
    QTest::newRow("vendor") << 3 << true << QStringList { "v3", "v4", "v1", "v2" }
                            << QVector<int> { 2, 3, 0, 1 };
    QTest::newRow("memo") << 4 << false << QStringList { "x", "y", "w", "z" }
                          << QVector<int> { 3, 1, 0, 2 };
    // CP932 bytes: full-width Latin before kana, half-width kana before level-2 kanji.
    QTest::newRow("code page order")
        << 0 << true << QStringList { "ｱ", "遙", "Ａ", "あ" } << QVector<int> { 2, 3, 0, 1 };
    QTest::newRow("beyond the code page sorts last")
        << 1 << true << QStringList { "ｱ", "😀", "a" } << QVector<int> { 2, 0, 1 };
    QTest::newRow("unknown column keeps order")
        << 5 << true << QStringList { "b", "a" } << QVector<int> { 0, 1 };
}

void TestBracketList::sortOrder()
{
    QFETCH(int, column);
    QFETCH(bool, ascending);
    QFETCH(QStringList, texts);
    QFETCH(QVector<int>, order);
    QVector<GalleryEntry> list(texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        // The other columns sort the other way round, so a wrong column shows.
        QString* fields[] = { &list[i].bracketName, &list[i].material, &list[i].wire,
            &list[i].vendor, &list[i].memo };
        for (int f = 0; f < 5; ++f)
            *fields[f] = f == column ? texts[i] : QString::number(9 - i);
    }
    QCOMPARE(GallerySort::Order(list, column, ascending), order);
}

void TestBracketList::headerClicks_data()
{
    QTest::addColumn<QVector<int>>("clicks");
    QTest::addColumn<QVector<bool>>("ascending"); // what each click returned
    QTest::addColumn<QVector<int>>("images"); // of columns 0..4 afterwards
    const int D = GallerySort::ImageDown, U = GallerySort::ImageUp, N = GallerySort::ImageNone;
    QTest::newRow("descending, then ascending")
        << QVector<int> { 1, 1 } << QVector<bool> { false, true } << QVector<int> { N, U, N, N, N };
    QTest::newRow("each column keeps its direction")
        << QVector<int> { 1, 0, 1, 0, 0 } << QVector<bool> { false, false, true, true, false }
        << QVector<int> { D, N, N, N, N };
    QTest::newRow("outside ignored")
        << QVector<int> { 4, 5, -1 } << QVector<bool> { false, false, false }
        << QVector<int> { N, N, N, N, D };
    QTest::newRow("cleared") << QVector<int> { 2, clearSort, 2 }
                             << QVector<bool> { false, false, false }
                             << QVector<int> { N, N, D, N, N };
    QTest::newRow("cleared shows none")
        << QVector<int> { 3, 3, clearSort } << QVector<bool> { false, true, false }
        << QVector<int> { N, N, N, N, N };
}

void TestBracketList::headerClicks()
{
    QFETCH(QVector<int>, clicks);
    QFETCH(QVector<bool>, ascending);
    QFETCH(QVector<int>, images);
    GallerySort sort;
    QVector<bool> results;
    for (int column : clicks) {
        if (column == clearSort)
            sort.Clear();
        results << (column == clearSort ? false : sort.Click(column));
    }
    QCOMPARE(results, ascending);
    QVector<int> shown;
    for (int column = 0; column < GallerySort::ColumnCount; ++column)
        shown << sort.ImageFor(column);
    QCOMPARE(shown, images);
}

void TestBracketList::modelRows_data()
{
    QTest::addColumn<bool>("remove"); // else replace the entry of `row`
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("done");
    QTest::addColumn<QStringList>("names");
    const QStringList all { "a", "b", "c" };
    QTest::newRow("remove middle") << true << 1 << 1 << true << QStringList { "a", "c" };
    QTest::newRow("remove to the end") << true << 1 << 2 << true << QStringList { "a" };
    QTest::newRow("remove past the end") << true << 2 << 2 << false << all;
    QTest::newRow("remove before the start") << true << -1 << 1 << false << all;
    QTest::newRow("remove none") << true << 0 << 0 << false << all;
    QTest::newRow("replace last") << false << 2 << 0 << true << QStringList { "a", "b", "X" };
    QTest::newRow("replace beyond") << false << 3 << 0 << false << all;
    QTest::newRow("replace before") << false << -1 << 0 << false << all;
}

void TestBracketList::modelRows()
{
    QFETCH(bool, remove);
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(bool, done);
    QFETCH(QStringList, names);
    GalleryListModel model;
    model.SetEntries(entries({ "a", "b", "c" }));
    QCOMPARE(
        remove ? model.removeRows(row, count) : model.SetEntry(row, entries({ "X" })[0]), done);
    QCOMPARE(column(&model, 0), names);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0); // a table, not a tree
    QVERIFY(!model.index(0, GalleryListModel::ShownColumns).data().isValid());
}

void TestBracketList::fitRect_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("wide reduced") << QSize(1280, 220) << QSize(200, 130) << QRect(0, 47, 200, 34);
    QTest::newRow("small enlarged") << QSize(37, 83) << QSize(200, 130) << QRect(71, 0, 57, 130);
    QTest::newRow("odd box") << QSize(300, 100) << QSize(199, 131) << QRect(0, 32, 199, 66);
    QTest::newRow("empty picture") << QSize(0, 10) << QSize(200, 130) << QRect();
}

void TestBracketList::fitRect()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QRect, expected);
    QCOMPARE(BracketPreview::FitRect(picture, box), expected);
}

void TestBracketList::barSizes_data()
{
    QTest::addColumn<QVector<int>>("stored"); // horz, vert, float cx and cy; -1 none
    QTest::addColumn<QVector<QSize>>("sizes"); // horz, vert, float
    QTest::newRow("stored") << QVector<int> { 300, 240, 260, 500, 310, 420 }
                            << QVector<QSize> { { 300, 240 }, { 260, 500 }, { 310, 420 } };
    QTest::newRow("below the minimum") << QVector<int> { -1, -5, 100, -1, 10, 40 }
                                       << QVector<QSize> { { 220, 220 }, { 220, 220 }, { 37, 40 } };
    QTest::newRow("missing keeps current")
        << QVector<int>(6, -1) << QVector<QSize> { { 220, 220 }, { 220, 220 }, { 200, 200 } };
}

void TestBracketList::barSizes()
{
    QFETCH(QVector<int>, stored);
    QFETCH(QVector<QSize>, sizes);
    const QStringList keys { "sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX",
        "sizeFloatCY" };
    QSettings ini(m_host->path("Molvex.ini"), QSettings::IniFormat);
    for (int i = 0; i < keys.size(); ++i)
        if (stored[i] != -1)
            ini.setValue("Profile-SCBar-103/" + keys[i], stored[i]);
    ini.sync();
    QBarList bar(QStringLiteral("ﾌﾞﾗｹｯﾄ ﾘｽﾄ"));
    bar.LoadState("Profile");
    QCOMPARE(QVector<QSize>({ bar.HorzSize(), bar.VertSize(), bar.FloatSize() }), sizes);
    bar.SaveState("Saved");
    ini.sync();
    for (int i = 0; i < keys.size(); ++i) {
        const QSize size = sizes[i / 2];
        QCOMPARE(
            ini.value("Saved-SCBar-103/" + keys[i]).toInt(), i % 2 ? size.height() : size.width());
    }
}

void TestBracketList::headerClickSortsAndShowsArrow()
{
    auto panel = shownPanel();
    QThumbHeader* header = panel->Header();
    panel->List()->selectRow(0); // B-metal, Steel
    const int y = header->height() / 2;
    // Inside the arrow at the right end of a section, clear of its text.
    auto arrowShown = [&](int section) {
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) - 11;
        return qAbs(qGray(header->grab().toImage().pixel(x, y)) - 128) < 24;
    };
    const int x = header->sectionViewportPosition(1) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, y));
    QCOMPARE(column(panel->Model(), 1), QStringList({ "Steel", "Gold", "Alumina" }));
    QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageDown));
    QVERIFY(arrowShown(1) && !arrowShown(0));
    QCOMPARE(panel->SelectedIndex(), 0); // the selection follows its entry

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, y));
    QCOMPARE(column(panel->Model(), 1), QStringList({ "Alumina", "Gold", "Steel" }));
    QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageUp));
    QCOMPARE(header->SectionImage(0), int(QThumbHeader::ImageEmpty));
    QCOMPARE(panel->SelectedIndex(), 2);
}

void TestBracketList::dragCarriesPictureCentred()
{
    auto panel = shownPanel();
    QObject frame;
    panel->SetNotifyWindow(&frame);
    QSignalSpy begun(panel.get(), &QBrackListDiag::thumbBeginDrag);
    QStringList drops;
    panel->SetDropHandlerEx([&](int row, const QString& path, Qt::KeyboardModifiers flags, int x,
                                int y, int w, int h, int side) {
        drops << QStringLiteral("%1 %2 %3 (%4,%5) %6x%7 %8")
                     .arg(row)
                     .arg(QFileInfo(path).fileName())
                     .arg(int(flags))
                     .arg(x)
                     .arg(y)
                     .arg(w)
                     .arg(h)
                     .arg(side);
        return 0;
    });
    QTableView* list = panel->List();
    const QPoint onRow = list->visualRect(panel->Model()->index(2, 0)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onRow);
    QTest::mouseMove(list->viewport(), onRow + QPoint(1, 1));
    QVERIFY(!list->findChild<QDrag*>()); // not before the drag distance
    QTest::mouseMove(list->viewport(), onRow + QPoint(2, 3 * QApplication::startDragDistance()));
    const QDrag* drag = list->findChild<QDrag*>();
    QVERIFY(drag);
    QCOMPARE(drag->pixmap().size(), QSize(59, 45));
    QCOMPARE(drag->hotSpot(), QPoint(29, 22));
    QCOMPARE(panel->SelectedIndex(), 2); // the moves did not select another row
    QTRY_COMPARE(begun.count(), 1);
    QCOMPARE(begun.at(0).at(0).toInt(), 2);
    QVERIFY(drops.isEmpty()); // the drag loop ended with the button still held

    QVERIFY(panel->BeginThumbDrag(2));
    panel->EndThumbDrag(QPoint(640, 481), Qt::ShiftModifier);
    panel->EndThumbDrag(QPoint(1, 1), {}); // no second drop without a drag
    QCOMPARE(drops, QStringList { "2 bracket0004.png 33554432 (640,481) 59x45 0" });
}

void TestBracketList::doubleClickIsPosted()
{
    auto panel = shownPanel();
    QSignalSpy spy(panel.get(), &QBrackListDiag::thumbDoubleClicked);
    QTableView* list = panel->List();
    const QPoint onRow = list->visualRect(panel->Model()->index(1, 0)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onRow);
    QObject frame;
    panel->SetNotifyWindow(&frame);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onRow);
    QCOMPARE(spy.count(), 0); // posted, not sent
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
}

void TestBracketList::previewBadgeAndCheckBox()
{
    auto panel = shownPanel();
    const QColor ground = BracketPreview::Background();
    panel->List()->selectRow(2); // inner
    QVERIFY(panel->Preview().pixelColor(73, 10) != ground);
    panel->List()->selectRow(0); // outer
    QCOMPARE(panel->Preview().pixelColor(73, 10), ground);
    QVERIFY(panel->Preview().pixelColor(100, 65) != ground);

    panel->SetPreviewChecked(false);
    auto* picture = panel->findChild<QLabel*>("6022");
    QCOMPARE(picture->grab().toImage().pixelColor(100, 65), ground);
    panel->List()->selectRow(1); // previewed, not shown until checked
    QVERIFY(!panel->PreviewShown());
    panel->SetPreviewChecked(true);
    QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), panel->Preview());
    const QImage last = panel->Preview();
    panel->List()->clearSelection();
    QCOMPARE(panel->Preview(), last);
    if (!testutils::renderDir().isEmpty())
        panel->grab().save(testutils::renderDir() + "/bracketlist.png");
}

QTEST_MAIN(TestBracketList)
#include "tst_bracketlist.moc"
