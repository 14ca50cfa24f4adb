// Start-up and shut-down of the whole program: the command line, the window
// state kept in the INI file, the frame title, the first view of the photograph,
// the icons and the About box.
#include "ui/dialogs/caboutdlg.h"
#include "ui/frame/ckestrinapp.h"
#include "ui/frame/cmainframe.h"
#include "testutils.h"
#include "ui/panes/ckestrinview.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

using testutils::IsolatedHost;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void withoutPathTheProcessEndsSilently();
    void winzoomRoundTrip();
    void photographIsFittedAndCentred();
    void missingPhotographKeepsRunning();
    void unwritableIniDoesNotStopTheProgram();
    void aboutBox();

private:
    CKestrinApp* app() { return static_cast<CKestrinApp*>(qApp); }
    void closeFrame()
    {
        app()->mainFrame()->close();
        app()->ExitInstance();
    }
};

void TestStartup::withoutPathTheProcessEndsSilently()
{
    IsolatedHost host;
    QProcess kestrin;
    // The tests live in build/tests, the program in build/app.
    kestrin.start(QCoreApplication::applicationDirPath() + "/../app/kestrin", {});
    QVERIFY(kestrin.waitForStarted(20000));
    QVERIFY(kestrin.waitForFinished(20000));
    QCOMPARE(kestrin.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kestrin.exitCode(), 0);
    QVERIFY(kestrin.readAllStandardOutput().isEmpty());
}

void TestStartup::winzoomRoundTrip()
{
    IsolatedHost host;
    QVERIFY(testutils::positionImage(40, 30).save(host.path("p.png")));
    QVERIFY(app()->InitInstance({ "kestrin", host.path("p.png") }));
    QVERIFY(!(app()->mainFrame()->windowState() & Qt::WindowMaximized));
    app()->mainFrame()->showMaximized();
    closeFrame();
    QVERIFY(app()->InitInstance({ "kestrin", host.path("p.png") }));
    QVERIFY(app()->mainFrame()->windowState() & Qt::WindowMaximized);
    closeFrame();
    QCOMPARE(QSettings(host.path("Molvex.ini"), QSettings::IniFormat)
                 .value("Recent File List/File1").toString(),
        QFileInfo(host.path("p.png")).absoluteFilePath());
}

void TestStartup::photographIsFittedAndCentred()
{
    IsolatedHost host;
    QVERIFY(testutils::positionImage(400, 200).save(host.path("smile.png")));
    QVERIFY(app()->InitInstance({ "kestrin", host.path("smile.png") }));
    CMainFrame* frame = app()->mainFrame();
    QCOMPARE(frame->windowTitle(), QString("smile.png - Kestrin"));
    frame->resize(900, 700);
    CKestrinView* view = frame->pane(0, 0);
    QTRY_VERIFY(view->isVisible() && view->viewport()->width() > 100);
    QVERIFY(view->isWorking());
    QCOMPARE(view->slot(), 1);
    const QSize client = view->viewport()->size();
    QTRY_VERIFY(
        qAbs(view->viewScale() - qMin(client.width() / 400.0, client.height() / 200.0)) < 1e-9);

    // The very first paint of the process lays grey over the photograph's
    // unscaled rectangle; every later one shows the shadow background round it.
    const QImage first = view->viewport()->grab().toImage();
    QCOMPARE(first.pixel(2, 2), qRgb(0x80, 0x80, 0x80));
    const QImage shot = view->viewport()->grab().toImage();
    const int drawnH = int(200 * view->viewScale());
    const int top = int(view->offsetY() * view->viewScale());
    QVERIFY(drawnH < client.height() - 4);
    QCOMPARE(shot.pixel(client.width() / 2, top / 2), view->palette().color(QPalette::Dark).rgb());
    const QColor centre = shot.pixel(client.width() / 2, top + drawnH / 2);
    QVERIFY(qAbs(centre.red() - 127) <= 3 && qAbs(centre.green() - 127) <= 3);
    closeFrame();
}

void TestStartup::missingPhotographKeepsRunning()
{
    IsolatedHost host;
    QVERIFY(app()->InitInstance({ "kestrin", host.path("gone.jpg") }));
    QVERIFY(!app()->mainFrame()->workspace().hasPhoto());
    QCOMPARE(app()->mainFrame()->windowTitle(), QString("gone.jpg - Kestrin"));
    const QImage shot = app()->mainFrame()->pane(0, 0)->viewport()->grab().toImage();
    QCOMPARE(shot.pixel(5, 5), app()->mainFrame()->palette().color(QPalette::Dark).rgb());
    closeFrame();
}

void TestStartup::unwritableIniDoesNotStopTheProgram()
{
    IsolatedHost host;
    QVERIFY(testutils::positionImage(4, 4).save(host.path("p.png")));
    // A directory where the INI file should be: nothing can be read or written.
    QVERIFY(QDir().mkpath(host.path("ini-folder")));
    qputenv("MOLVEX_INI", host.path("ini-folder").toLocal8Bit());
    // Without its INI the gallery is looked for beside the program, and is not
    // there: the user is told, and the program goes on.
    testutils::MessageBoxCloser closer;
    QTimer::singleShot(0, [] {}); // keep the event loop turning during start-up
    QVERIFY(app()->InitInstance({ "kestrin", host.path("p.png") }));
    QTRY_VERIFY(!closer.texts.isEmpty());
    QCOMPARE(closer.texts.first(), QString("bracket.csvが見つかりません"));
    QVERIFY(app()->mainFrame()->workspace().hasPhoto());
    closeFrame();
}

void TestStartup::aboutBox()
{
    IsolatedHost host;
    QVERIFY(app()->InitInstance({ "kestrin", host.path("none.jpg") }));
    // The resources are in place: the window's icon and the buttons' drawings.
    QVERIFY(!app()->mainFrame()->windowIcon().isNull());
    QVERIFY(!app()->mainFrame()->action(6032)->icon().pixmap(23, 23).isNull());
    QAction* about = app()->mainFrame()->action(57664);
    QVERIFY(about);
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = true;
        QCOMPARE(box->windowTitle(), QString("About Kestrin"));
        QVERIFY(!box->findChildren<QLabel*>().first()->pixmap().isNull());
        box->findChild<QPushButton*>()->click();
    });
    about->trigger();
    QVERIFY(seen);
    closeFrame();
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CKestrinApp app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
