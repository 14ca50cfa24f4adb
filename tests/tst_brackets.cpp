// Brackets at work in the real frame: pasting by drop and by double click in each
// kind of pane and clip state, hover, press and drag for move, rotate and scale,
// release outside with both answers, the Delete key, and the adjustment dialogs.
#include "core/commands/commandids.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/dialogs/qdialogbrightness.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/panes/ckestrinview.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QSlider>
#include <QToolBar>

using testutils::IsolatedHost;

namespace {
const QRgb PhotoColour = qRgb(40, 160, 60);
} // namespace

class TestBrackets : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dropPastesCentredOnTheClip();
    void dropOnTheReferencePaneIsRefused();
    void dropWithoutAClosedClip();
    void dropClosesAClipOfTwoPoints();
    void secondDropReplacesThePicture();
    void doubleClickPastesThenReplaces();
    void dragMovesRotatesAndScales();
    void opModeAppliesWherever();
    void releaseOutsideAsks_data();
    void releaseOutsideAsks();
    void deleteKey();
    void brightnessPreviewCommitAndCancel();

private:
    CKestrinView* pane(int slot)
    {
        for (CKestrinView* v : m_frame->shownPanes())
            if (v->slotNumber == slot)
                return v;
        return nullptr;
    }
    QPoint client(CKestrinView* v, QPointF photo)
    {
        return QPoint(int((photo.x() + v->offsetX()) * v->viewScale()),
            int((photo.y() + v->offsetY()) * v->viewScale()));
    }
    QPoint global(CKestrinView* v, QPointF photo)
    {
        return v->viewport()->mapToGlobal(client(v, photo));
    }
    void clickPhoto(CKestrinView* v, QPoint photo)
    {
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, client(v, photo));
    }
    void move(CKestrinView* v, QPointF photo, Qt::MouseButtons buttons = Qt::NoButton,
        Qt::KeyboardModifiers mods = {})
    {
        const QPoint at = client(v, photo);
        QMouseEvent event(
            QEvent::MouseMove, at, v->viewport()->mapToGlobal(at), Qt::NoButton, buttons, mods);
        QApplication::sendEvent(v->viewport(), &event);
    }
    void defineClip(bool close = true)
    {
        m_frame->dispatch(Cmd::ClipDefine);
        for (QPoint p : { QPoint(100, 100), QPoint(300, 100), QPoint(300, 200), QPoint(100, 200) })
            clickPhoto(m_frame->activePane(), p);
        if (close)
            m_frame->dispatch(Cmd::ClipOk);
    }
    void drop(int slot, int row = 0)
    {
        m_frame->onThumbDrop(row,
            m_list->SelectedPicturePath().isEmpty() ? m_picture : m_list->SelectedPicturePath(),
            global(pane(slot), QPoint(200, 150)).x(), global(pane(slot), QPoint(200, 150)).y(), 0,
            0, 1);
    }
    PaneSlot& slot(int s) { return m_frame->workspace().m_slot[size_t(s)]; }

    IsolatedHost* m_host = nullptr;
    CMainFrame* m_frame = nullptr;
    CKestrinDoc* m_doc = nullptr;
    QBrackListDiag* m_list = nullptr;
    QString m_picture, m_picture2;
};

void TestBrackets::init()
{
    m_host = new IsolatedHost;
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(PhotoColour);
    QVERIFY(photo.save(m_host->path("p.png")));
    // Two gallery pictures: an opaque 60 x 40 block in mid tones, which every
    // adjustment visibly changes.
    for (const auto& [name, colour] : { std::pair { "bracket0001.png", QColor(170, 90, 80) },
             std::pair { "bracket0002.png", QColor(80, 90, 170) } }) {
        QImage picture(60, 40, QImage::Format_ARGB32);
        picture.fill(colour);
        QVERIFY(picture.save(m_host->path(QString("gallery/") + name)));
    }
    QFile csv(m_host->path("gallery/bracket.csv"));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("bracket0001.png,Red,Steel,NiTi,Vendor0001,Memo0001,outer\r\n"
              "bracket0002.png,Blue,Ceramic,SS,Vendor0002,Memo0002,inner\r\n");
    csv.close();
    m_picture = m_host->path("gallery/bracket0001.png");
    m_picture2 = m_host->path("gallery/bracket0002.png");
    m_frame = new CMainFrame;
    m_list = m_frame->bracketList();
    m_doc = new CKestrinDoc(m_frame);
    QVERIFY(m_doc->OnOpenDocument(m_host->path("p.png")));
    m_frame->resize(1200, 900);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    m_frame->dispatch(Cmd::Zoom100);
}

void TestBrackets::cleanup()
{
    delete m_doc;
    delete m_frame;
    delete m_host;
}

void TestBrackets::dropPastesCentredOnTheClip()
{
    defineClip();
    m_frame->dispatch(Cmd::Panes4);
    drop(2);
    QCOMPARE(m_frame->activeSlot(), 2);
    QCOMPARE(slot(2).arBrackets.size(), size_t(1));
    const QBracket& b = slot(2).arBrackets[0];
    // Canvas side is the picture's diagonal (72); the clip's box is centred at 200, 150.
    QCOMPARE(b.GetSize(), QSize(72, 72));
    QCOMPARE(b.GetPos() + QPoint(36, 36), QPoint(200, 150));
    QCOMPARE(b.m_strName, QString("Red"));
    QCOMPARE(m_frame->workspace().m_nBracketSerial, 1);
    QVERIFY(slot(1).arBrackets.empty());
}

void TestBrackets::dropOnTheReferencePaneIsRefused()
{
    defineClip();
    m_frame->dispatch(Cmd::Panes2);
    testutils::MessageBoxCloser closer;
    drop(0);
    QTRY_COMPARE(closer.texts.size(), 1);
    QCOMPARE(
        closer.texts.first(), QString("この画像は原画参照用のためﾌﾞﾗｹｯﾄを貼り付けできません！"));
    QVERIFY(slot(0).arBrackets.empty());
}

void TestBrackets::dropWithoutAClosedClip()
{
    testutils::MessageBoxCloser closer;
    drop(1);
    QTRY_COMPARE(closer.texts.size(), 1);
    QCOMPARE(closer.texts.first(), QString("ｸﾘｯﾌﾟ領域を指定してからﾌﾞﾗｹｯﾄを貼り付けてください。"));
    // One outline point (two entries) is not enough either.
    m_frame->dispatch(Cmd::ClipDefine);
    clickPhoto(m_frame->activePane(), QPoint(100, 100));
    drop(1);
    QTRY_COMPARE(closer.texts.size(), 2);
    QVERIFY(slot(1).arBrackets.empty());
}

void TestBrackets::dropClosesAClipOfTwoPoints()
{
    Workspace& ws = m_frame->workspace();
    m_frame->dispatch(Cmd::ClipDefine);
    clickPhoto(m_frame->activePane(), QPoint(100, 100));
    clickPhoto(m_frame->activePane(), QPoint(300, 200));
    drop(1);
    QVERIFY(ws.m_bClipClosed && !ws.m_bClipDefining && !ws.m_bClipEditing);
    QVERIFY(!m_frame->clipBar()->isVisible());
    QCOMPARE(slot(1).arBrackets.size(), size_t(1));
}

void TestBrackets::secondDropReplacesThePicture()
{
    defineClip();
    drop(1);
    QBracket& b = slot(1).arBrackets[0];
    b.m_dAngle = 20;
    b.UpdateFrames();
    m_list->List()->selectRow(1);
    drop(1, 1);
    QCOMPARE(slot(1).arBrackets.size(), size_t(1));
    QCOMPARE(slot(1).arBrackets[0].m_strPath, m_picture2);
    QCOMPARE(slot(1).arBrackets[0].m_strName, QString("Blue"));
    QCOMPARE(slot(1).arBrackets[0].m_dAngle, 20.0);
}

void TestBrackets::doubleClickPastesThenReplaces()
{
    defineClip();
    m_list->List()->selectRow(0);
    m_frame->onThumbDoubleClick(0);
    QCOMPARE(slot(1).arBrackets.size(), size_t(1));
    m_list->List()->selectRow(1);
    m_frame->onThumbDoubleClick(1);
    QCOMPARE(slot(1).arBrackets.size(), size_t(1));
    QCOMPARE(slot(1).nSelected, 0);
    QCOMPARE(slot(1).arBrackets[0].m_strPath, m_picture2);
}

void TestBrackets::dragMovesRotatesAndScales()
{
    defineClip();
    drop(1);
    CKestrinView* v = pane(1);
    QBracket& b = slot(1).arBrackets[0];
    const QPoint start = b.GetPos();
    // Hover then press on the body, drag by (30, 12): a move.
    move(v, QPoint(200, 150));
    QCOMPARE(slot(1).nHover, 0);
    QCOMPARE(slot(1).nHoverPart, int(OpMove));
    QTest::mousePress(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    QCOMPARE(slot(1).nSelected, 0);
    QCOMPARE(slot(1).nDragOp, int(OpMove));
    move(v, QPoint(215, 156), Qt::LeftButton);
    move(v, QPoint(230, 162), Qt::LeftButton);
    QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(230, 162)));
    QCOMPARE(b.GetPos(), start + QPoint(30, 12));
    QCOMPARE(slot(1).nDragOp, int(OpNone));

    // The rotation handle sits 40 pixels right of the centre.
    const QPoint centre = b.GetPos() + QPoint(36, 36);
    move(v, centre + QPoint(40, 0));
    QCOMPARE(slot(1).nHoverPart, int(OpRotate));
    QTest::mousePress(v->viewport(), Qt::LeftButton, {}, client(v, centre + QPoint(40, 0)));
    move(v, centre + QPoint(40, 10), Qt::LeftButton);
    move(v, centre + QPoint(38, 20), Qt::LeftButton);
    QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, client(v, centre + QPoint(38, 20)));
    QVERIFY(b.m_dAngle > 10 && b.m_dAngle < 40);

    // With Ctrl the body scales.
    const QSize before = b.GetSize();
    move(v, centre, Qt::NoButton, Qt::ControlModifier);
    QCOMPARE(slot(1).nHoverPart, int(OpScale));
    QTest::mousePress(v->viewport(), Qt::LeftButton, Qt::ControlModifier, client(v, centre));
    QCOMPARE(slot(1).nDragOp, int(OpScale));
    for (int i = 1; i <= 4; ++i)
        move(v, centre + QPoint(8 * i, 8 * i), Qt::LeftButton, Qt::ControlModifier);
    QTest::mouseRelease(
        v->viewport(), Qt::LeftButton, Qt::ControlModifier, client(v, centre + QPoint(32, 32)));
    QVERIFY(b.GetSize() != before);
}

void TestBrackets::opModeAppliesWherever()
{
    defineClip();
    drop(1);
    CKestrinView* v = pane(1);
    move(v, QPoint(200, 150));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    m_frame->updateActions();
    QVERIFY(m_frame->action(Cmd::ModeRotate)->isEnabled());
    m_frame->dispatch(Cmd::ModeRotate);
    for (const PaneSlot& s : m_frame->workspace().m_slot)
        QVERIFY(s.bOpModeOn && s.nOpMode == OpRotate);
    QTest::mousePress(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    QCOMPARE(slot(1).nDragOp, int(OpRotate));
    QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    m_frame->dispatch(Cmd::ModeRotate);
    QVERIFY(!slot(1).bOpModeOn);
}

void TestBrackets::releaseOutsideAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes empties the slot") << true;
    QTest::newRow("no re-centres the bracket") << false;
}

void TestBrackets::releaseOutsideAsks()
{
    QFETCH(bool, yes);
    defineClip();
    drop(1);
    m_frame->dispatch(Cmd::ModeScale);
    CKestrinView* v = pane(1);
    move(v, QPoint(200, 150));
    QTest::mousePress(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    move(v, QPoint(230, 150), Qt::LeftButton);
    QStringList texts;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        texts << box->text();
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, QPoint(-20, -20));
    QCOMPARE(texts, QStringList { "指定領域からﾌﾞﾗｹｯﾄを削除してよろしいですか？" });
    if (yes) {
        QVERIFY(slot(1).arBrackets.empty());
        QCOMPARE(slot(1).nSelected, -1);
        QVERIFY(!slot(1).bOpModeOn);
        QVERIFY(slot(2).bOpModeOn); // only this slot's mode is reset
    } else {
        QCOMPARE(slot(1).arBrackets.size(), size_t(1));
        QCOMPARE(slot(1).arBrackets[0].GetPos()
                + QPoint(slot(1).arBrackets[0].GetSize().width() / 2,
                    slot(1).arBrackets[0].GetSize().height() / 2),
            QPoint(200, 150));
    }
}

void TestBrackets::deleteKey()
{
    defineClip();
    drop(1);
    CKestrinView* v = pane(1);
    move(v, QPoint(200, 150));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    QTest::keyClick(v, Qt::Key_Delete);
    QVERIFY(slot(1).arBrackets.empty());
    QCOMPARE(slot(1).nSelected, -1);
    // While a clip is being defined the key does nothing.
    drop(1);
    slot(1).nSelected = 0;
    m_frame->dispatch(Cmd::ClipDefine);
    QVERIFY(slot(1).arBrackets.empty()); // starting a clip empties the slots anyway
}

void TestBrackets::brightnessPreviewCommitAndCancel()
{
    defineClip();
    drop(1);
    CKestrinView* v = pane(1);
    move(v, QPoint(200, 150));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, client(v, QPoint(200, 150)));
    QCOMPARE(slot(1).nSelected, 0);
    QCOMPARE(m_frame->activeSlot(), 1);
    const QBracket& b = slot(1).arBrackets[0];
    const QRgb original = b.m_pImage.pixel(b.m_pImage.width() / 2, b.m_pImage.height() / 2);
    bool previewed = false;
    auto runDialog = [&](bool ok) {
        QTimer::singleShot(50, [&, ok] {
            auto* dialog = qobject_cast<QDialogBrightness*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            for (QSlider* slider : dialog->findChildren<QSlider*>())
                slider->setValue(slider->value() + 40);
            // The preview arrives queued, after the slider handler returned.
            previewed = QTest::qWaitFor([&] {
                return b.m_pImage.pixel(b.m_pImage.width() / 2, b.m_pImage.height() / 2)
                    != original;
            });
            if (ok)
                dialog->accept();
            else
                dialog->reject();
        });
        m_frame->dispatch(Cmd::Brightness);
    };
    runDialog(false);
    QVERIFY(previewed);
    QCOMPARE(b.m_pImage.pixel(b.m_pImage.width() / 2, b.m_pImage.height() / 2), original);
    runDialog(true);
    QVERIFY(previewed);
    QVERIFY(b.m_pImage.pixel(b.m_pImage.width() / 2, b.m_pImage.height() / 2) != original);
}

QTEST_MAIN(TestBrackets)
#include "tst_brackets.moc"
