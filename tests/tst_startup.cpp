// Start-up and shut-down of the whole program: the command line, the start
// dialog, the window and bar state kept in the INI file, the frame title, the
// first view of the photograph, the icons and Qt's own texts in Japanese.
#include "core/host/hostdialogs.h"
#include "testutils.h"
#include "ui/dialogs/caboutdlg.h"
#include "ui/dialogs/photochooserdialog.h"
#include "ui/frame/ckestrinapp.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/paneoutput.h"
#include "ui/panes/ckestrinview.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {
using Record = PhotoCatalog::Record;
Record record(const char* patient, const char* path, int minute) // no time when negative
{
    const QDateTime added(QDate(2026, 3, 9), QTime(10, qMax(0, minute)), Qt::UTC);
    return { 0, {}, {}, path, 0, patient, minute < 0 ? QDateTime() : added };
}
} // namespace

using testutils::IsolatedHost;

class TestStartup : public QObject {
    Q_OBJECT

    CKestrinApp* app() { return static_cast<CKestrinApp*>(qApp); }
    // Starts the program on `name` in the host's folder, saved first as a w x h picture unless w is
    // 0.
    CMainFrame* start(const IsolatedHost& host, const QString& name, int w = 0, int h = 0)
    {
        [&] { QVERIFY(!w || testutils::positionImage(w, h).save(host.path(name))); }();
        [&] { QVERIFY(app()->InitInstance({ "kestrin", host.path(name) })); }();
        return app()->mainFrame();
    }
    void closeFrame() { app()->mainFrame()->close(), app()->ExitInstance(); }

private slots:
    void barsRoundTrip_data()
    {
        testutils::columns<bool, bool>({ "statusBar", "toolBar" });
        QTest::newRow("tool bar hidden") << true << false;
        QTest::newRow("status bar hidden") << false << true;
    }
    // The bars and the maximised window come back as they were left.
    void barsRoundTrip()
    {
        QFETCH(bool, statusBar);
        QFETCH(bool, toolBar);
        IsolatedHost host;
        CMainFrame* frame = start(host, "p.png", 40, 30);
        QVERIFY(!(frame->windowState() & Qt::WindowMaximized));
        frame->showMaximized();
        if (!statusBar)
            frame->dispatch(59393);
        if (!toolBar)
            frame->dispatch(6064);
        closeFrame();
        frame = start(host, "p.png");
        QTRY_VERIFY(frame->isVisible());
        QVERIFY(frame->windowState() & Qt::WindowMaximized);
        const auto bars = [frame] {
            return QList<bool>({ frame->statusBar()->isVisible(), frame->action(59393)->isChecked(),
                frame->toolBar()->isVisible(), frame->action(6064)->isChecked() });
        };
        QCOMPARE(bars(), QList<bool>({ statusBar, statusBar, toolBar, toolBar }));
        // The first click on a bar's item turns it over.
        frame->dispatch(6064);
        QCOMPARE(bars(), QList<bool>({ statusBar, statusBar, !toolBar, !toolBar }));
        closeFrame();
    }

    void photosNewestFirst_data()
    {
        testutils::columns<QString, QStringList, QStringList>({ "filter", "paths", "patients" });
        // clang-format off
        QTest::newRow("all") << "" << QStringList { "c", "a", "d", "b", "none" } << QStringList { "P-2", "p-1", "P-10" };
        QTest::newRow("case and spaces") << " P-1" << QStringList { "a", "d", "b" } << QStringList { "p-1", "P-10" };
        QTest::newRow("one patient") << "2" << QStringList { "c", "none" } << QStringList { "P-2" };
        // clang-format on
    }
    void photosNewestFirst()
    {
        // Equal times keep the catalogue's order; a record without a time goes last.
        const QVector<Record> records { record("p-1", "a", 30), record("P-10", "b", 5),
            record("P-2", "none", -1), record("P-2", "c", 59), record("P-10", "d", 30) };
        const QVector<Record> shown = PhotoChooserDialog::newestFirst(records, testutils::fetch<QString>("filter"));
        QStringList paths;
        for (const Record& r : shown)
            paths << r.path;
        QTEST(paths, "paths");
        QTEST(PhotoChooserDialog::patientsOf(shown), "patients");
    }

    void choosingStartsOnThePatientsPhotograph()
    {
        IsolatedHost host;
        QVERIFY(testutils::positionImage(60, 40).save(host.path("old.png")));
        QVERIFY(testutils::positionImage(50, 70).save(host.path("new.png")));
        {
            PhotoCatalog catalog;
            QCOMPARE(catalog.open(PhotoCatalog::ReadWrite), 0);
            QVERIFY(catalog.addPhoto(host.path("old.png"), 0, "A-1") > 0);
            QVERIFY(catalog.addPhoto(host.path("new.png"), 0, "B-2") > 0);
        }
        // Cancelled: the program ends as a bare start does.
        testutils::whenModal<PhotoChooserDialog>([](PhotoChooserDialog* d) { d->reject(); });
        QVERIFY(!app()->InitInstance({ "kestrin", CKestrinApp::ChooseSwitch }));
        int shown = 0; // photographs listed before and after the search, as digits
        testutils::whenModal<PhotoChooserDialog>([&shown](PhotoChooserDialog* d) {
            auto* photos = d->findChildren<QListWidget*>().at(1);
            shown = photos->count();
            d->findChild<QLineEdit*>()->setText("a-"); // the one match is selected
            shown = shown * 10 + photos->count();
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
        });
        QVERIFY(app()->InitInstance({ "kestrin", CKestrinApp::ChooseSwitch }));
        QCOMPARE(shown, 21);
        QVERIFY(app()->mainFrame()->photoPath().endsWith("old.png"));
        QCOMPARE(HostDialogs::currentPatient(), QString("A-1"));
        QVERIFY(app()->mainFrame()->workspace().hasPhoto());
        closeFrame();
    }

    void saveAsSuggestsAName_data()
    {
        testutils::columns<QString, QString, QString>({ "patient", "photo", "name" });
        // clang-format off
        QTest::newRow("patient") << " 0042 " << "/x/smile.jpg" << "0042_20260309.jpg";
        QTest::newRow("patient with a slash") << "A/7:b" << "/x/s.jpg" << "A_7_b_20260309.jpg";
        QTest::newRow("no patient") << "" << "/x/smile.v2.JPG" << "smile.v2_kestrin.jpg";
        QTest::newRow("nothing") << "" << "" << "kestrin.jpg";
        // clang-format on
    }
    void saveAsSuggestsAName()
    {
        QTEST(PaneOutput::suggestedName(testutils::fetch<QString>("patient"), testutils::fetch<QString>("photo"), QDate(2026, 3, 9)), "name");
    }

    void photographIsFittedAndCentred()
    {
        IsolatedHost host;
        start(host, "smile.png", 400, 200)->resize(900, 700);
        CKestrinView* view = app()->mainFrame()->pane(0, 0);
        QTRY_VERIFY(view->isVisible() && view->viewport()->width() > 100);
        const QSize client = view->viewport()->size();
        QTRY_VERIFY(
            qAbs(view->viewScale() - qMin(client.width() / 400.0, client.height() / 200.0)) < 1e-9);
        // The very first paint of the process lays grey over the photograph's
        // unscaled rectangle; every later one shows the shadow background round it.
        QCOMPARE(view->viewport()->grab().toImage().pixel(2, 2), qRgb(0x80, 0x80, 0x80));
        const QImage shot = view->viewport()->grab().toImage();
        const int drawnH = int(200 * view->viewScale()),
                  top = int(view->offsetY() * view->viewScale());
        QCOMPARE(
            shot.pixel(client.width() / 2, top / 2), view->palette().color(QPalette::Dark).rgb());
        const QColor centre = shot.pixel(client.width() / 2, top + drawnH / 2);
        QVERIFY(qAbs(centre.red() - 127) <= 3 && qAbs(centre.green() - 127) <= 3);
        closeFrame();
    }

    void missingPhotographKeepsRunning()
    {
        IsolatedHost host;
        CMainFrame* frame = start(host, "gone.jpg");
        QVERIFY(!frame->workspace().hasPhoto());
        QCOMPARE(frame->windowTitle(), QString("gone.jpg - Kestrin"));
        QCOMPARE(frame->pane(0, 0)->viewport()->grab().toImage().pixel(5, 5),
            frame->palette().color(QPalette::Dark).rgb());
        // The resources are in place: the window's icon and the buttons' drawings.
        QVERIFY(
            !frame->windowIcon().isNull() && !frame->action(6032)->icon().pixmap(23, 23).isNull());
        QVERIFY(!CAboutDlg(frame).findChild<QLabel*>()->pixmap().isNull());
        // Qt's own texts speak Japanese where its translations are installed.
        if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm")) {
            QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
            QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("キャンセル"));
            QVERIFY(buttons.button(QDialogButtonBox::Yes)->text().contains("はい"));
        }
        closeFrame();
    }

    void unwritableIniDoesNotStopTheProgram()
    {
        IsolatedHost host;
        // A directory where the INI file should be: nothing can be read or written.
        QVERIFY(QDir().mkpath(host.path("ini-folder")));
        qputenv("MOLVEX_INI", host.path("ini-folder").toLocal8Bit());
        // Without its INI the gallery is looked for beside the program, and is not
        // there: the user is told, and the program goes on.
        testutils::MessageBoxCloser closer;
        QTimer::singleShot(0, [] {}); // keep the event loop turning during start-up
        QVERIFY(start(host, "p.png", 4, 4)->workspace().hasPhoto());
        QTRY_COMPARE(
            closer.texts.value(0).section('\n', 0, 0), QString("bracket.csvが見つかりません"));
        closeFrame();
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CKestrinApp app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
