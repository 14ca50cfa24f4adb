// The mirror view: every pane drawn turned left to right, input that follows the
// picture on screen, a drag repaint that matches a fresh paint, and output in the
// true orientation unless the save dialog asks for the mirrored one.
#include "core/commands/commandids.h"
#include "core/output/compositerenderer.h"
#include "core/output/stamppainter.h"
#include "core/workspace/workspacecommands.h"
#include "testutils.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/paneoutput.h"
#include "ui/panes/ckestrinview.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QPainter>
#include <QScrollBar>

namespace {
const QRgb BracketColour = qRgb(230, 30, 30);
QImage flipped(const QImage& image) { return image.mirrored(true, false); }
} // namespace

class TestMirror : public QObject {
    Q_OBJECT

    void command(int id) { m_frame->dispatch(id); }
    CKestrinView* view() { return m_frame->activePane(); }
    QImage shown() { return view()->viewport()->grab().toImage(); }
    int& selected()
    {
        return m_frame->workspace()
            .m_slot[size_t(m_frame->workspace().m_layout.activeSlot())]
            .nSelected;
    }
    // Where a photograph point shows in the mirrored active pane.
    QPoint onScreen(QPointF photo)
    {
        const QPointF c = (photo + QPointF(view()->offsetX(), view()->offsetY())) * view()->viewScale()
            - QPointF(view()->horizontalScrollBar()->value(), view()->verticalScrollBar()->value());
        return QPoint(int(view()->viewport()->width() - c.x()), int(c.y()));
    }
    // `panes` panes at `zoom` (0: fit), a turned bracket in the active slot.
    QBracket& scene(int panes, double zoom, double angle)
    {
        Workspace& ws = m_frame->workspace();
        testutils::closeClip(ws, { { 30, 20 }, { 370, 25 }, { 360, 280 }, { 40, 270 } });
        command(panes == 4 ? Cmd::Panes4 : panes == 2 ? Cmd::Panes2 : Cmd::Panes1);
        ws.m_bFitSize = zoom == 0;
        if (zoom != 0)
            WorkspaceCommands::setZoom(ws, zoom);
        m_frame->scaleChanged();
        return testutils::addBracket(ws, m_host->path(""), ws.m_layout.activeSlot(), QSize(41, 23), BracketColour, QPoint(151, 117), angle);
    }

    std::unique_ptr<testutils::OpenFrame> m_open;
    CMainFrame* m_frame = nullptr;
    const testutils::IsolatedHost* m_host = nullptr;

private slots:
    void init()
    {
        m_open = std::make_unique<testutils::OpenFrame>(
            testutils::positionImage(397, 293), QSize(1031, 777));
        m_frame = &m_open->frame, m_host = &m_open->host;
    }
    void cleanup() { m_open.reset(); }

    void paneIsTheFlippedPane_data()
    {
        // Panes, zoom (0: fit), bracket angle, scroll x y, and the pixels where an
        // aliased edge of a turned picture or handle line rounds a tie the other way
        // once drawn through the mirror.
        QTest::addColumn<QVector<double>>("v");
        QTest::newRow("fit, one pane, 30 degrees") << testutils::reals("1  0  30  0 0  2");
        QTest::newRow("175 %, four panes, scrolled") << testutils::reals("4  1.75  0  57 31  0");
        QTest::newRow("47.7 %, two panes") << testutils::reals("2  0.477  -12.5  0 0  0");
    }
    void paneIsTheFlippedPane()
    {
        QFETCH(QVector<double>, v);
        scene(int(v[0]), v[1], v[2]);
        selected() = 0;
        view()->horizontalScrollBar()->setValue(int(v[3]));
        view()->verticalScrollBar()->setValue(int(v[4]));
        const QImage before = shown();
        command(Cmd::MirrorView);
        QVERIFY(view()->horizontalScrollBar()->invertedAppearance());
        const QImage after = shown(), want = flipped(before);
        QVERIFY(testutils::countPixels(after.rect(), [&](QPoint p) { return after.pixel(p) != want.pixel(p); }) <= v[5]);
        // The choice is remembered for the next window.
        CMainFrame next;
        QVERIFY(next.workspace().m_bMirrorView);
    }

    // What is under the pointer is grabbed; a drag and the Right arrow move the
    // bracket right on screen, and the drag frames equal a fresh paint.
    void inputFollowsTheScreen_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("175 %") << 1.75;
        QTest::newRow("47.7 %") << 0.477;
    }
    void inputFollowsTheScreen()
    {
        QFETCH(double, zoom);
        command(Cmd::MirrorView);
        QBracket& b = scene(1, zoom, 0);
        // The picture sits at the middle of its square canvas.
        const QPointF centre = QPointF(b.GetPos()) + QPointF(b.GetSize().width(), b.GetSize().width()) / 2;
        const QPoint at = onScreen(centre);
        shown(); // the frame a drag starts from
        testutils::moveHeld(view()->viewport(), at, {}); // the press takes what the pointer is over
        QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(selected(), 0);
        const QPoint start = b.GetPos();
        testutils::moveHeld(view()->viewport(), at + QPoint(19, 3));
        shown();
        testutils::moveHeld(view()->viewport(), at + QPoint(37, 5));
        const QImage dragged = shown();
        command(Cmd::MirrorView); // a fresh paint both ways
        command(Cmd::MirrorView);
        QVERIFY(testutils::sameImage(dragged, shown()));
        QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, at + QPoint(37, 5));
        QVERIFY(qAbs(start.x() - b.GetPos().x() - 37 / zoom) <= 1);
        QVERIFY(qAbs(b.GetPos().y() - start.y() - 5 / zoom) <= 1);
        const QPoint moved = b.GetPos();
        QTest::keyClick(view(), Qt::Key_Right);
        QCOMPARE(b.GetPos(), moved - QPoint(1, 0));
    }

    // Each pane turned, the label still reading, every layout.
    void mirroredComposite_data()
    {
        QTest::addColumn<QVector<int>>("paneSlots"); // four make two rows
        QTest::newRow("one") << QVector<int> { 1 };
        QTest::newRow("two") << QVector<int> { 0, 1 };
        QTest::newRow("four") << QVector<int> { 0, 1, 2, 3 };
    }
    void mirroredComposite()
    {
        QFETCH(QVector<int>, paneSlots);
        const int rows = int(paneSlots.size()) / 3 + 1, cols = int(paneSlots.size()) / rows;
        Workspace ws;
        QImage photo = testutils::positionImage(335, 257);
        const StampPainter stamp(photo.size(), QDate::currentDate());
        QVERIFY(!stamp.isNull());
        // Plain along the bottom, so the label reads the same on either side.
        QPainter(&photo).fillRect(0, stamp.position().y(), photo.width(), photo.height(), Qt::darkCyan);
        testutils::setPhoto(ws, photo);
        testutils::closeClip(ws, { { 20, 10 }, { 300, 15 }, { 310, 150 }, { 25, 140 } });
        for (int slot = 1; slot < 4; ++slot)
            testutils::addBracket(ws, m_host->path(""), slot, QSize(57, 31), BracketColour,
                QPoint(90 + 30 * slot, 70), 20.0 * slot);
        const CompositeRenderer truth(ws, paneSlots, rows, cols), mirrored(ws, paneSlots, rows, cols, true);
        const QImage trueImage = truth.render(), mirroredImage = mirrored.render();
        const QRect label(stamp.position(), stamp.label().size());
        for (int pane = 0; pane < paneSlots.size(); ++pane) {
            const QRect area(truth.panePixel(pane / cols, pane % cols), photo.size());
            QImage want = flipped(trueImage.copy(area)), got = mirroredImage.copy(area);
            QCOMPARE(got.copy(label), trueImage.copy(area).copy(label));
            // The label where it is drawn and where a flip would have put it.
            const QRect turned(photo.width() - 1 - label.right(), label.y(), label.width(), label.height());
            for (QImage* image : { &want, &got })
                QPainter(image).fillRect(label | turned, Qt::black);
            QVERIFY2(testutils::sameImage(got, want), qPrintable(QString::number(pane)));
        }
    }

    // The dialog's box starts unticked in the mirror view: a plain save is true.
    void saveDialogChoosesTheOrientation_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::newRow("as it comes") << false;
        QTest::newRow("ticked") << true;
    }
    void saveDialogChoosesTheOrientation()
    {
        QFETCH(bool, tick);
        scene(4, 0, 30);
        command(Cmd::MirrorView);
        const QString path = m_host->path("saved.jpg");
        bool offered = false;
        testutils::whenModal<QFileDialog>([&](QFileDialog* dialog) {
            auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("saveMirrored"));
            offered = box && box->isVisible() && !box->isChecked();
            if (box)
                box->setChecked(tick);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        PaneOutput::saveAs(m_frame);
        QVERIFY(offered);
        const QString truth = m_host->path("truth.jpg"), mirror = m_host->path("mirror.jpg");
        QVERIFY(PaneOutput::saveComposite(m_frame, truth, false));
        QVERIFY(PaneOutput::saveComposite(m_frame, mirror, false, true));
        QVERIFY(testutils::readAll(truth) != testutils::readAll(mirror));
        QCOMPARE(testutils::readAll(path), testutils::readAll(tick ? mirror : truth));
    }
};

QTEST_MAIN(TestMirror)
#include "tst_mirror.moc"
