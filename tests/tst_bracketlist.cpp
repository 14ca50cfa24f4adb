// The bracket list: the sorting rules, the row model, and what only the panel
// does (header arrows, row drag, double click).
#include "core/gallery/gallerysort.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/bars/qthumbheader.h"

#include <QDrag>
#include <QSignalSpy>

namespace {

QString column(const QAbstractItemModel* model, int col)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, col).data().toString();
    return texts.join(' ');
}

} // namespace

class TestBracketList : public QObject {
    Q_OBJECT

    std::unique_ptr<testutils::IsolatedHost> m_host;

    std::unique_ptr<QBrackListDiag> shownPanel()
    {
        testutils::makeGallery(*m_host);
        auto panel = std::make_unique<QBrackListDiag>();
        panel->resize(241, 503);
        panel->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(panel.get())); }();
        panel->ReloadGallery();
        return panel;
    }

private slots:
    void init() { m_host = std::make_unique<testutils::IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void sortOrder_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("texts"); // of `column`, one per entry
        QTest::addColumn<QString>("order"); // old index of each sorted row
        // clang-format off
        QTest::newRow("case-sensitive")           << 0 << true  << "b a c B"     << "3 1 0 2";
        QTest::newRow("descending")               << 0 << false << "b a c B"     << "2 0 1 3";
        QTest::newRow("ties keep their order")    << 1 << true  << "m z m a"     << "3 0 2 1";
        QTest::newRow("ties keep order, descending") << 2 << false << "m z m a"  << "1 0 2 3";
        QTest::newRow("vendor")                   << 3 << true  << "v3 v4 v1 v2" << "2 3 0 1";
        QTest::newRow("memo")                     << 4 << false << "x y w z"     << "3 1 0 2";
        // CP932 bytes: full-width Latin before kana, half-width kana before level-2 kanji.
        QTest::newRow("code page order")          << 0 << true  << "ｱ 遙 Ａ あ"  << "2 3 0 1";
        QTest::newRow("beyond the code page last") << 1 << true << "ｱ 😀 a"      << "2 0 1";
        QTest::newRow("unknown column")           << 5 << true  << "b a"         << "0 1";
        // clang-format on
    }
    void sortOrder()
    {
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(QString, texts);
        QFETCH(QString, order);
        const QStringList words = texts.split(' ');
        QVector<GalleryEntry> list(words.size());
        for (int i = 0; i < words.size(); ++i) {
            // The other columns sort the other way round, so a wrong column shows.
            QString* fields[] = { &list[i].bracketName, &list[i].material, &list[i].wire,
                &list[i].vendor, &list[i].memo };
            for (int f = 0; f < 5; ++f)
                *fields[f] = f == column ? words[i] : QString::number(9 - i);
        }
        QCOMPARE(GallerySort::Order(list, column, ascending), testutils::ints(order));
    }

    void headerClicks_data()
    {
        QTest::addColumn<QString>("clicks"); // columns clicked, c for Clear()
        QTest::addColumn<QString>("results"); // + a click sorted ascending, - descending
        QTest::addColumn<QString>("images"); // of columns 0..4: v down, ^ up, . none
        // clang-format off
        QTest::newRow("descending, then ascending")   << "1 1"       << "-+"    << ".^...";
        QTest::newRow("columns keep their direction") << "1 0 1 0 0" << "--++-" << "v....";
        QTest::newRow("outside ignored")              << "4 5 -1"    << "---"   << "....v";
        QTest::newRow("cleared")                      << "2 2 c 2"   << "-+-"   << "..v..";
        QTest::newRow("cleared shows none")           << "3 c"       << "-"     << ".....";
        // clang-format on
    }
    void headerClicks()
    {
        QFETCH(QString, clicks);
        QFETCH(QString, results);
        QFETCH(QString, images);
        GallerySort sort;
        QString seen;
        for (const QString& click : clicks.split(' ')) {
            if (click == "c")
                sort.Clear();
            else
                seen += sort.Click(click.toInt()) ? '+' : '-';
        }
        QCOMPARE(seen, results);
        QString shown;
        for (int c = 0; c < GallerySort::ColumnCount; ++c)
            shown += "v^."[sort.ImageFor(c)];
        QCOMPARE(shown, images);
    }

    void modelRows_data()
    {
        QTest::addColumn<QString>("operation"); // remove row count, or replace row
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("names");
        // clang-format off
        QTest::newRow("remove middle")           << "remove 1 1"  << true  << "a c";
        QTest::newRow("remove to the end")       << "remove 1 2"  << true  << "a";
        QTest::newRow("remove past the end")     << "remove 2 2"  << false << "a b c";
        QTest::newRow("remove before the start") << "remove -1 1" << false << "a b c";
        QTest::newRow("remove none")             << "remove 0 0"  << false << "a b c";
        QTest::newRow("replace last")            << "replace 2"   << true  << "a b X";
        QTest::newRow("replace beyond")          << "replace 3"   << false << "a b c";
        QTest::newRow("replace before")          << "replace -1"  << false << "a b c";
        // clang-format on
    }
    void modelRows()
    {
        QFETCH(QString, operation);
        QFETCH(bool, done);
        QFETCH(QString, names);
        QVector<GalleryEntry> entries(4);
        for (int i = 0; i < 4; ++i)
            entries[i].bracketName = QString(QChar("abcX"[i]));
        GalleryListModel model;
        model.SetEntries(entries.mid(0, 3));
        const QVector<int> at = testutils::ints(operation.section(' ', 1));
        QCOMPARE(operation.startsWith("remove") ? model.removeRows(at[0], at[1])
                                                : model.SetEntry(at[0], entries[3]),
            done);
        QCOMPARE(column(&model, 0), names);
    }

    void headerClickSortsAndShowsArrow()
    {
        auto panel = shownPanel();
        QThumbHeader* header = panel->Header();
        panel->List()->selectRow(0); // B-metal, Steel
        const int y = header->height() / 2;
        auto arrowShown = [&](int section) { // the arrow's middle, clear of the text
            const int x = header->sectionViewportPosition(section) + header->sectionSize(section);
            return qAbs(qGray(header->grab().toImage().pixel(x - 11, y)) - 128) < 24;
        };
        const QPoint material(header->sectionViewportPosition(1) + 5, y);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, material);
        QCOMPARE(column(panel->Model(), 1), QStringLiteral("Steel Gold Alumina"));
        QVERIFY(arrowShown(1) && !arrowShown(0) && !arrowShown(2));
        QCOMPARE(panel->SelectedIndex(), 0); // the selection follows its entry
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, material);
        QCOMPARE(column(panel->Model(), 1), QStringLiteral("Alumina Gold Steel"));
        QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageUp));
        QCOMPARE(panel->SelectedIndex(), 2);
        if (!testutils::renderDir().isEmpty())
            panel->grab().save(testutils::renderDir() + "/bracketlist.png");
    }

    void dragCarriesPictureCentred()
    {
        auto panel = shownPanel();
        QObject frame;
        panel->SetNotifyWindow(&frame);
        QSignalSpy begun(panel.get(), &QBrackListDiag::thumbBeginDrag);
        QList<QVariantList> drops;
        panel->SetDropHandlerEx([&drops](int row, const QString& path, Qt::KeyboardModifiers flags,
                                    int x, int y, int w, int h, int side) {
            drops << QVariantList { row, QFileInfo(path).fileName(), int(flags), x, y, w, h, side };
            return 0;
        });
        QWidget* viewport = panel->List()->viewport();
        const QPoint onRow = panel->List()->visualRect(panel->Model()->index(2, 0)).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, onRow);
        QTest::mouseMove(viewport, onRow + QPoint(1, 1));
        QVERIFY(!panel->List()->findChild<QDrag*>()); // not before the drag distance
        QTest::mouseMove(viewport, onRow + QPoint(2, 3 * QApplication::startDragDistance()));
        const QDrag* drag = panel->List()->findChild<QDrag*>();
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
        const QVariantList drop { 2, "bracket0004.png", int(Qt::ShiftModifier), 640, 481, 59, 45,
            0 };
        QCOMPARE(drops, QList<QVariantList> { drop });
    }

    void doubleClickIsPosted()
    {
        auto panel = shownPanel();
        QSignalSpy spy(panel.get(), &QBrackListDiag::thumbDoubleClicked);
        QWidget* viewport = panel->List()->viewport();
        const QPoint onRow = panel->List()->visualRect(panel->Model()->index(1, 0)).center();
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onRow); // no notify window yet
        QObject frame;
        panel->SetNotifyWindow(&frame);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onRow);
        QCOMPARE(spy.count(), 0); // posted, not sent
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
    }
};

QTEST_MAIN(TestBracketList)
#include "tst_bracketlist.moc"
