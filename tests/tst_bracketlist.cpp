// The bracket list: the sorting rules, the row model, and what only the panel
// does (header arrows, row drag, double click, filter, column widths, following
// changes that another program makes to the catalogue).
#include "core/gallery/gallerysort.h"
#include "core/host/profile.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/bars/qthumbheader.h"

#include <QDrag>
#include <QLineEdit>
#include <QProcess>
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
        // The column, + ascending or - descending; the entries' texts in that column; the
        // old index of each sorted row.
        testutils::columns<QString, QString, QString>({ "sort", "texts", "order" });
        // clang-format off
        QTest::newRow("case-sensitive")           << "0+" << "b a c B"     << "3 1 0 2";
        QTest::newRow("ties keep their order")    << "1+" << "m z m a"     << "3 0 2 1";
        QTest::newRow("ties keep order, descending") << "2-" << "m z m a"  << "1 0 2 3";
        QTest::newRow("vendor")                   << "3+" << "v3 v4 v1 v2" << "2 3 0 1";
        QTest::newRow("memo")                     << "4-" << "x y w z"     << "3 1 0 2";
        // CP932 bytes: full-width Latin before kana, half-width kana before level-2 kanji.
        QTest::newRow("code page order")          << "0+" << "ｱ 遙 Ａ あ"  << "2 3 0 1";
        QTest::newRow("beyond the code page last") << "1+" << "ｱ 😀 a"      << "2 0 1";
        QTest::newRow("unknown column")           << "5+" << "b a"         << "0 1";
        // clang-format on
    }
    void sortOrder()
    {
        QFETCH(QString, sort);
        const int column = sort.chopped(1).toInt();
        const QStringList words = testutils::fetch<QString>("texts").split(' ');
        QVector<GalleryEntry> list(words.size());
        for (int i = 0; i < words.size(); ++i) {
            // The other columns sort the other way round, so a wrong column shows.
            QString* fields[] = { &list[i].bracketName, &list[i].material, &list[i].wire, &list[i].vendor, &list[i].memo };
            for (int f = 0; f < 5; ++f)
                *fields[f] = f == column ? words[i] : QString::number(9 - i);
        }
        QCOMPARE(GallerySort::Order(list, column, sort.endsWith('+')), testutils::ints(testutils::fetch<QString>("order")));
    }

    void headerClicks_data()
    {
        // Columns clicked, c for Clear(); then + a click sorted ascending, - descending,
        // and the images of columns 0..4: v down, ^ up, . none.
        testutils::columns<QString, QString>({ "clicks", "results" });
        // clang-format off
        QTest::newRow("descending, then ascending")   << "1 1"       << "-+ .^...";
        QTest::newRow("columns keep their direction") << "1 0 1 0 0" << "--++- v....";
        QTest::newRow("outside ignored")              << "4 5 -1"    << "--- ....v";
        QTest::newRow("cleared")                      << "2 2 c 2"   << "-+- ..v..";
        QTest::newRow("cleared shows none")           << "3 c"       << "- .....";
        // clang-format on
    }
    void headerClicks()
    {
        GallerySort sort;
        QString seen;
        for (const QString& click : testutils::fetch<QString>("clicks").split(' ')) {
            if (click == "c")
                sort.Clear();
            else
                seen += sort.Click(click.toInt()) ? '+' : '-';
        }
        seen += ' ';
        for (int c = 0; c < GallerySort::ColumnCount; ++c)
            seen += "v^."[sort.ImageFor(c)];
        QTEST(seen, "results");
    }

    void modelRows_data()
    {
        // remove row count, or replace row; the names after, empty when refused.
        testutils::columns<QString, QString>({ "operation", "names" });
        // clang-format off
        QTest::newRow("remove middle")           << "remove 1 1"  << "a c";
        QTest::newRow("remove to the end")       << "remove 1 2"  << "a";
        QTest::newRow("remove past the end")     << "remove 2 2"  << "";
        QTest::newRow("remove before the start") << "remove -1 1" << "";
        QTest::newRow("remove none")             << "remove 0 0"  << "";
        QTest::newRow("replace last")            << "replace 2"   << "a b X";
        QTest::newRow("replace beyond")          << "replace 3"   << "";
        QTest::newRow("replace before")          << "replace -1"  << "";
        // clang-format on
    }
    void modelRows()
    {
        QFETCH(QString, operation);
        QFETCH(QString, names);
        QVector<GalleryEntry> entries(4);
        for (int i = 0; i < 4; ++i)
            entries[i].bracketName = QString(QChar("abcX"[i]));
        GalleryListModel model;
        model.SetEntries(entries.mid(0, 3));
        const QVector<int> at = testutils::ints(operation.section(' ', 1));
        QCOMPARE(operation.startsWith("remove") ? model.removeRows(at[0], at[1]) : model.SetEntry(at[0], entries[3]),
            !names.isEmpty());
        QCOMPARE(column(&model, 0), names.isEmpty() ? "a b c" : names);
    }

    void rowDragAndDoubleClick()
    {
        auto panel = shownPanel();
        QWidget* viewport = panel->List()->viewport();
        const auto onRow = [&](int row) { return panel->List()->visualRect(panel->List()->model()->index(row, 0)).center(); };
        QSignalSpy clicked(panel.get(), &QBrackListDiag::thumbDoubleClicked);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onRow(1)); // no notify window yet
        QObject frame;
        panel->SetNotifyWindow(&frame);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onRow(1));
        QCOMPARE(clicked.count(), 0); // posted, not sent
        QTRY_COMPARE(QList<QVariantList>(clicked), QList<QVariantList>({ { 1 } }));

        QSignalSpy begun(panel.get(), &QBrackListDiag::thumbBeginDrag);
        QList<QVariantList> drops;
        panel->SetDropHandlerEx([&drops](int row, const QString& path, Qt::KeyboardModifiers flags,
                                    int x, int y, int w, int h, int side) {
            drops << QVariantList { row, QFileInfo(path).fileName(), int(flags), x, y, w, h, side };
            return 0;
        });
        QTest::mousePress(viewport, Qt::LeftButton, {}, onRow(2));
        QTest::mouseMove(viewport, onRow(2) + QPoint(1, 1));
        QVERIFY(!panel->List()->findChild<QDrag*>()); // not before the drag distance
        QTest::mouseMove(viewport, onRow(2) + QPoint(2, 3 * QApplication::startDragDistance()));
        const QDrag* drag = panel->List()->findChild<QDrag*>();
        QVERIFY(drag);
        // The picture's own size, held at its centre; the moves did not select another row.
        QCOMPARE(QVariantList({ drag->pixmap().size(), drag->hotSpot(), panel->SelectedIndex() }),
            QVariantList({ QSize(59, 45), QPoint(29, 22), 2 }));
        QTRY_COMPARE(QList<QVariantList>(begun), QList<QVariantList>({ { 2 } }));
        QVERIFY(drops.isEmpty()); // the drag loop ended with the button still held
        QVERIFY(panel->BeginThumbDrag(2));
        panel->EndThumbDrag(QPoint(640, 481), Qt::ShiftModifier);
        panel->EndThumbDrag(QPoint(1, 1), {}); // no second drop without a drag
        QCOMPARE(drops, QList<QVariantList>({ { 2, "bracket0004.png", int(Qt::ShiftModifier), 640, 481, 59, 45, 0 } }));
    }

    void filter_data()
    {
        // shown: names in the view, then the selected source row.
        testutils::columns<QString, QString>({ "typed", "shown" });
        // clang-format off
        QTest::newRow("nothing")         << ""      << "B-metal A-ceramic C-lingual 0";
        QTest::newRow("material, case")  << " GOLD" << "C-lingual 2";
        QTest::newRow("wire")            << "ss ."  << "A-ceramic 1";
        QTest::newRow("no match")        << "zz"    << " -1";
        // clang-format on
    }
    void filter()
    {
        auto panel = shownPanel();
        QTest::keyClicks(panel->FilterBox(), testutils::fetch<QString>("typed"));
        panel->List()->selectRow(0);
        QTEST(column(panel->List()->model(), 0) + ' ' + QString::number(panel->SelectedIndex()), "shown");
    }

    // A header click sorts and shows its arrow. Another program then edits the
    // selected entry and deletes one the list shows; the list follows with the sort
    // and the selection kept, and the tips go by entry, not by row.
    void headerSortAndAnotherWriter()
    {
        auto panel = shownPanel();
        QThumbHeader* header = panel->Header();
        panel->List()->selectRow(0); // B-metal, Steel
        const int y = header->height() / 2;
        auto arrowShown = [&](int section) { // the arrow's middle, clear of the text
            const int x = header->sectionViewportPosition(section) + header->sectionSize(section);
            return qAbs(qGray(header->grab().toImage().pixel(x - 11, y)) - 128) < 24;
        };
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, y));
        // Descending first; the selection follows its entry.
        QCOMPARE(column(panel->Model(), 1) + QString::number(panel->SelectedIndex()), QStringLiteral("Steel Gold Alumina0"));
        QVERIFY(arrowShown(1) && !arrowShown(0) && !arrowShown(2));
        panel->List()->selectRow(2); // A-ceramic, moved up a row by the delete
        const QString tool = testutils::programPath("kestrin-gallery");
        QCOMPARE(QProcess::execute(tool, { "edit", "bracket0002.png", "--wire", "TMA .019" }), 0);
        QCOMPARE(QProcess::execute(tool, { "delete", "bracket0004.png" }), 0);
        QTRY_COMPARE(column(panel->List()->model(), 2), QString("NiTi .014 TMA .019"));
        QCOMPARE(panel->SelectedPicturePath(), m_host->path("gallery/bracket0002.png"));
        QCOMPARE(header->SectionImage(1), int(QThumbHeader::ImageDown));
        QCOMPARE(panel->TipTextFor(m_host->path("gallery/bracket0002.png")),
            QString("ﾌﾞﾗｹｯﾄ : A-ceramic|素材 : Alumina|ﾜｲﾔｰ :  TMA .019|"));
        QCOMPARE(panel->TipTextFor(m_host->path("gallery/bracket0004.png")), QString());
    }

    void sizesAndMessages()
    {
        // Column widths: readable by default, remembered in the INI, nonsense ignored.
        auto panel = shownPanel();
        const int readable = panel->List()->columnWidth(0);
        QVERIFY(readable >= 100);
        panel->List()->setColumnWidth(0, 151);
        QTRY_COMPARE(Profile::getString(QBrackListDiag::WidthsSection(), QBrackListDiag::WidthsKey()).section(',', 0, 0), QString("151"));
        QCOMPARE(QBrackListDiag().List()->columnWidth(0), 151);
        Profile::writeString(QBrackListDiag::WidthsSection(), QBrackListDiag::WidthsKey(), "3,x");
        QCOMPARE(QBrackListDiag().List()->columnWidth(0), readable);
        // A short panel keeps rows of its list rather than the preview.
        panel->resize(220, 200);
        QVERIFY(panel->List()->height() > 4 * panel->List()->verticalHeader()->defaultSectionSize());
        // "Not found" names the folder searched.
        QStringList shown;
        panel->SetMessageFunction([&shown](QWidget*, const QString& text) { shown << text; });
        QVERIFY(!panel->LoadCatalogue(m_host->path("nowhere/"), m_host->path("nowhere/bracket.csv")));
        QCOMPARE(shown, QStringList { "bracket.csvが見つかりません\n" + m_host->path("nowhere/") });
    }
};

QTEST_MAIN(TestBracketList)
#include "tst_bracketlist.moc"
