// A consultation saved and opened again: the same composite before and after,
// bad files refused with the open consultation kept, changed and moved
// photographs, the headless export against a save in this process, and the
// simulation label on the working panes only.
#include "core/consultation/consultationfile.h"
#include "core/host/hostdialogs.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/output/printlayout.h"
#include "core/output/stamppainter.h"
#include "core/photo/photoloader.h"
#include "core/simulation/adjustmentvalues.h"
#include "core/workspace/workspacecommands.h"
#include "testutils.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/consultationcommands.h"

#include <QFileDialog>
#include <QProcess>

using namespace testutils;

namespace {
constexpr QRgb kPhoto = 0xFF285AC8, kRed = 0xFFE61E1E, kGreen = 0xFF14C828;

// A 335 x 257 photograph file (panes start at fractional origins) shown turned
// by the record flags `flags`, a closed clip, brackets in every working slot
// turned by multiples of `angle` and scaled by `scale`, the first one adjusted.
void scene(Workspace& ws, const QString& dir, int panes, int flags, double angle, double scale)
{
    const QString path = dir + "/photo.png";
    QImage shown = positionImage(335, 257);
    QVERIFY(shown.save(path));
    if (flags >= 0)
        PhotoLoader::orient(shown, static_cast<unsigned char>(flags));
    setPhoto(ws, shown);
    ws.m_strPhotoPath = path;
    ws.m_nPhotoFlags = flags;
    closeClip(ws, { { 40, 30 }, { 200, 35 }, { 230, 180 }, { 60, 200 } });
    for (int slot = 1; slot < Workspace::SlotCount; ++slot)
        addBracket(ws, dir, slot, { 57, 41 }, kRed, { 120 + slot * 7, 110 }, angle * slot, scale);
    addBracket(ws, dir, 1, { 21, 17 }, kGreen, { 131, 101 }).m_nListItem = 1;
    QBracket& first = ws.m_slot[1].arBrackets[0];
    first.CommitBrightness(137, 61);
    first.CommitColorBalance(AdjustmentValues::packColor(200, 90, 128));
    ws.m_slot[1].nSelected = 1;
    ws.m_nBracketSerial = 9;
    ws.m_layout.setPaneCount(panes);
    ws.m_layout.nextWorkSlot();
    WorkspaceCommands::setZoom(ws, 1.75);
}
} // namespace

class TestConsultation : public QObject {
    Q_OBJECT

    std::unique_ptr<IsolatedHost> m_host;
    QString file() const { return m_host->path("c.kestrin"); }

private slots:
    void init() { m_host = std::make_unique<IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void roundTrip_data()
    {
        // The change is to the photograph before the window opens it.
        columns<int, int, double, double, QString>(
            { "panes", "flags", "angle", "scale", "change" });
        QTest::newRow("one pane, 30 degrees") << 1 << -1 << 30.0 << 1.0 << "";
        QTest::newRow("two panes, bytes changed") << 2 << -1 << 30.0 << 0.85 << "recompress";
        QTest::newRow("four panes, turned, moved") << 4 << 0x01 << 147.5 << 1.37 << "move";
    }
    void roundTrip()
    {
        QFETCH(QString, change);
        Workspace ws, back;
        scene(ws, m_host->dir.path(), fetch<int>("panes"), fetch<int>("flags"), fetch<double>("angle"), fetch<double>("scale"));
        QVector<GalleryEntry> before;
        for (const QString n : { "a", "b" })
            before << GalleryEntry::fromFields(
                "/g/", { n + ".png", n, "Steel", "NiTi", "V", "M", "outer" });
        const QVector<GalleryEntry> after { before[1], before[0] };
        const ConsultationFile saved = ConsultationFile::capture(ws, before);
        QCOMPARE(saved.save(file()), ConsultationFile::NoError);

        // Read through a link, as a file chosen in a dialog may be.
        QVERIFY(QFile::link(file(), m_host->path("link.kestrin")));
        ConsultationFile::Error error = ConsultationFile::Damaged;
        const auto loaded = ConsultationFile::load(m_host->path("link.kestrin"), &error);
        QVERIFY(loaded && error == ConsultationFile::NoError);
        QCOMPARE(loaded->checkPhoto(ws.m_strPhotoPath), ConsultationFile::PhotoState::Same);
        loaded->applyTo(
            back, ws.m_strPhotoPath, loaded->readPhoto(ws.m_strPhotoPath, &error), after);
        QVERIFY(sameImage(composite(back), composite(ws)));
        // The gallery was reordered: the bracket finds its row by its texts, which
        // are saved again as they were.
        QCOMPARE(ConsultationFile::capture(back, after).toJson(), saved.toJson());

        // The window warns of a photograph changed since, and asks for one moved.
        const QString moved = m_host->path("moved.png");
        if (change == "recompress") // the same pixels in other bytes
            QVERIFY(QImage(ws.m_strPhotoPath).save(ws.m_strPhotoPath, "png", 0));
        if (change == "move") {
            QVERIFY(QFile::rename(ws.m_strPhotoPath, moved));
            whenModal<QFileDialog>([&](QFileDialog* dialog) {
                dialog->selectFile(moved);
                static_cast<QDialog*>(dialog)->accept();
            });
        }
        CMainFrame frame;
        MessageBoxCloser closer;
        QVERIFY(ConsultationCommands::open(&frame, file()));
        QCOMPARE(closer.texts.size(), change.isEmpty() ? 0 : 1);
        QVERIFY(sameImage(composite(frame.workspace()), composite(ws)));
        QCOMPARE(frame.workspace().m_strPhotoPath, change == "move" ? moved : ws.m_strPhotoPath);
    }

    void badInput_data()
    {
        // The saved text changed from one piece to another (nothing after ">": cut
        // off there), or the file replaced, and the error that reports it.
        columns<QString, int>({ "change", "expected" });
        QTest::newRow("truncated") << "\"slots\">" << int(ConsultationFile::Damaged);
        QTest::newRow("wrong version") << "\"version\": 1>\"version\": 2" << int(ConsultationFile::WrongVersion);
        QTest::newRow("value of the wrong kind") << "\"zoom\": 1.75>\"zoom\": \"1.75\"" << int(ConsultationFile::Damaged);
        QTest::newRow("three panes") << "\"count\": 4>\"count\": 3" << int(ConsultationFile::Damaged);
        QTest::newRow("picture not PNG") << "iVBORw0KGgo>AAAAAw0KGgo" << int(ConsultationFile::BadPicture);
        QTest::newRow("picture not base64") << "iVBORw0KGgo>*VBORw0KGgo" << int(ConsultationFile::BadPicture);
        QTest::newRow("huge") << "huge" << int(ConsultationFile::TooLarge);
        QTest::newRow("missing") << "missing" << int(ConsultationFile::Unreadable);
    }
    void badInput()
    {
        QFETCH(QString, change);
        const QByteArray from = change.section('>', 0, 0).toUtf8(), to = change.section('>', 1).toUtf8();
        CMainFrame frame;
        Workspace& ws = frame.workspace();
        scene(ws, m_host->dir.path(), 4, -1, 30.0, 1.0);
        QByteArray json = ConsultationFile::capture(ws, {}).toJson();
        if (change.contains('>'))
            json = to.isEmpty() ? json.left(json.indexOf(from)) : json.replace(from, to);
        if (change != "missing")
            QVERIFY(writeBytes(file(), change == "huge" ? QByteArray() : json));
        if (change == "huge") // sparse: no disk is filled
            QVERIFY(QFile(file()).resize(ConsultationFile::MaxFileBytes + 1));
        const QImage before = composite(ws);

        ConsultationFile::Error error = ConsultationFile::NoError;
        QVERIFY(!ConsultationFile::load(file(), &error));
        QTEST(int(error), "expected");
        MessageBoxCloser closer;
        QVERIFY(!ConsultationCommands::open(&frame, file()));
        QCOMPARE(closer.texts, QStringList { ConsultationFile::message(error) });
        QVERIFY(ws.m_layout.paneCount() == 4 && sameImage(composite(ws), before));
    }

    void reopen_data()
    {
        columns<bool, int>({ "named", "questions" });
        QTest::newRow("consultation named on the command line") << true << 0;
        QTest::newRow("photograph with one in the patient's folder") << false << 1;
    }
    void reopen()
    {
        CMainFrame source, frame;
        Workspace& ws = source.workspace();
        // Nothing to save yet.
        QVERIFY(!ConsultationCommands::saveTo(&source, file()) && !QFile::exists(file()));
        scene(ws, m_host->dir.path(), 4, -1, 30.0, 0.85);
        QVERIFY(writeBytes(HostDialogs::tempFolder() + "PatientID.TMP", "P/7"));
        const QString saved = ConsultationCommands::storePath(ws.m_strPhotoPath);
        QVERIFY(saved.startsWith(HostDialogs::photoStore() + "/P_7/"));
        QVERIFY(!HostDialogs::patientFolder("P/7").isEmpty());
        QVERIFY(ConsultationCommands::saveTo(&source, saved));
        CKestrinDoc doc(&frame);
        MessageBoxCloser closer; // answers the offer to resume with its default, yes
        QVERIFY(doc.OnOpenDocument(fetch<bool>("named") ? saved : ws.m_strPhotoPath));
        QTEST(int(closer.texts.size()), "questions");
        QVERIFY(sameImage(composite(frame.workspace()), composite(ws)));
    }

    void headlessExport_data()
    {
        columns<QString, QString>({ "out", "spoil" });
        // clang-format off
        QTest::newRow("composite") << "out.jpg" << "";
        QTest::newRow("printed page") << "out.PDF" << "";
        QTest::newRow("damaged file") << "out.jpg" << "file";
        QTest::newRow("photograph gone") << "out.jpg" << "photo";
        QTest::newRow("nothing named: ends silently") << "" << "";
        // clang-format on
    }
    void headlessExport()
    {
        QFETCH(QString, out);
        QFETCH(QString, spoil);
        Workspace ws;
        scene(ws, m_host->dir.path(), 4, 0x01, 30.0, 0.85);
        QCOMPARE(ConsultationFile::capture(ws, {}).save(file()), ConsultationFile::NoError);
        const QString inProcess = m_host->path("in.jpg");
        QVERIFY(CompositeWriter::saveComposite(
            CompositeRenderer(ws, ws.m_layout.shownSlots(), 2, 2), inProcess));
        if (spoil == "file")
            QVERIFY(writeBytes(file(), "{\"format\": \"kestrin-consultation\", \"ver"));
        if (spoil == "photo")
            QVERIFY(QFile::remove(ws.m_strPhotoPath));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!out.isEmpty()) // the export needs no screen
            for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
                env.remove(name);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(programPath("kestrin"), out.isEmpty() ? QStringList() : QStringList { "--export", file(), m_host->path(out) });
        QVERIFY(process.waitForFinished(60000));
        const QByteArray written = readAll(m_host->path(out));
        if (!spoil.isEmpty()) { // refused, saying why
            QVERIFY(process.exitCode() != 0 && !process.readAllStandardError().isEmpty());
            QVERIFY(!QFile::exists(m_host->path(out)));
            return;
        }
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        if (out.endsWith(".jpg"))
            QVERIFY(written == readAll(inProcess));
        else // with nothing named, the program ends at once without a word
            QVERIFY(out.isEmpty() ? process.readAllStandardOutput().isEmpty() : written.startsWith("%PDF"));
    }

    void stamp_data()
    {
        columns<QString, bool>({ "key", "shown" });
        QTest::newRow("no key") << QString() << true;
        QTest::newRow("on") << "1" << true;
        QTest::newRow("off") << "0" << false;
    }
    void stamp()
    {
        QFETCH(QString, key);
        QFETCH(bool, shown);
        if (!key.isNull())
            QSettings(m_host->path("Molvex.ini"), QSettings::IniFormat).setValue("BRACKET/SimulationStamp", key);
        Workspace ws;
        setPhoto(ws, filled({ 335, 257 }, kPhoto));
        const CompositeRenderer renderer(ws, { 0, 1, 2, 3 }, 2, 2);
        const QImage whole = renderer.render();
        const PrintLayout page(ws, { 0, 1, 2, 3 }, 2, 2, QSize(1001, 1201), 300, QString());
        QImage sheet = filled({ 1001, 1201 }, Qt::white);
        QPainter painter(&sheet);
        page.paint(&painter);
        painter.end();
        // The label's corner: the left three quarters of each pane's lower half. Nothing
        // outside the corners changes, the gaps between panes included.
        const auto count = [](const QImage& image, const QRect& area, auto inked) {
            return countPixels(area, [&](QPoint p) { return inked(image.pixel(p)); });
        };
        const QRect corner(0, 257 / 2, 335 * 3 / 4, 257 / 2);
        const int ink = count(whole, whole.rect(), [](QRgb p) { return p != kPhoto && p != 0; });
        int cornerInk = 0;
        for (int pane = 0; pane < 4; ++pane) {
            const int r = pane / 2, c = pane % 2;
            const int savedInk = count(whole, corner.translated(renderer.panePixel(r, c)),
                [](QRgb p) { return p != kPhoto; });
            const int printedInk = count(sheet, page.photoTransform(r, c).mapRect(corner),
                [](QRgb p) { return qGray(p) > 200; });
            cornerInk += savedInk;
            QCOMPARE(savedInk > 100, shown && pane != 0);
            QCOMPARE(printedInk > 20, shown && pane != 0);
        }
        QCOMPARE(ink, cornerInk);
        // The text stays inside its plate: no white on the label's edges.
        const QImage label = StampPainter(QSize(335, 257), QDate(2026, 12, 31), true).label();
        const auto light = [](QRgb p) { return qGray(p) >= 128; };
        QCOMPARE(count(label, label.rect().adjusted(1, 1, -1, -1), light),
            count(label, label.rect(), light));
    }
};

QTEST_MAIN(TestConsultation)
#include "tst_consultation.moc"
