// Start-up and shut-down of the whole program: the command line, the window
// state kept in the INI file, the frame title, the first view of the photograph
// and the icons.
#include "ui/frame/ckestrinapp.h"
#include "ui/frame/cmainframe.h"
#include "testutils.h"
#include "ui/panes/ckestrinview.h"

#include <QProcess>
#include <QSettings>
#include <QTimer>

using testutils::IsolatedHost;

class TestStartup : public QObject {
    Q_OBJECT

    CKestrinApp* app() { return static_cast<CKestrinApp*>(qApp); }
    CMainFrame* start(const QString& path)
    {
        [&] { QVERIFY(app()->InitInstance({ "kestrin", path })); }();
        return app()->mainFrame();
    }
    void closeFrame() { app()->mainFrame()->close(), app()->ExitInstance(); }

private slots:
    void withoutPathTheProcessEndsSilently()
    {
        IsolatedHost host;
        QProcess kestrin;
        // The tests live in build/tests, the program in build/app.
        kestrin.start(QCoreApplication::applicationDirPath() + "/../app/kestrin", {});
        QVERIFY(kestrin.waitForFinished(20000));
        QVERIFY(kestrin.exitStatus() == QProcess::NormalExit && kestrin.exitCode() == 0
            && kestrin.readAllStandardOutput().isEmpty());
    }

    void winzoomRoundTrip()
    {
        IsolatedHost host;
        QVERIFY(testutils::positionImage(40, 30).save(host.path("p.png")));
        QVERIFY(!(start(host.path("p.png"))->windowState() & Qt::WindowMaximized));
        app()->mainFrame()->showMaximized();
        closeFrame();
        QVERIFY(start(host.path("p.png"))->windowState() & Qt::WindowMaximized);
        closeFrame();
        QCOMPARE(QSettings(host.path("Molvex.ini"), QSettings::IniFormat).value("Recent File List/File1").toString(),
            QFileInfo(host.path("p.png")).absoluteFilePath());
    }

    void photographIsFittedAndCentred()
    {
        IsolatedHost host;
        QVERIFY(testutils::positionImage(400, 200).save(host.path("smile.png")));
        start(host.path("smile.png"))->resize(900, 700);
        CKestrinView* view = app()->mainFrame()->pane(0, 0);
        QTRY_VERIFY(view->isVisible() && view->viewport()->width() > 100);
        const QSize client = view->viewport()->size();
        QTRY_VERIFY(qAbs(view->viewScale() - qMin(client.width() / 400.0, client.height() / 200.0)) < 1e-9);
        // The very first paint of the process lays grey over the photograph's
        // unscaled rectangle; every later one shows the shadow background round it.
        QCOMPARE(view->viewport()->grab().toImage().pixel(2, 2), qRgb(0x80, 0x80, 0x80));
        const QImage shot = view->viewport()->grab().toImage();
        const int drawnH = int(200 * view->viewScale()), top = int(view->offsetY() * view->viewScale());
        QCOMPARE(shot.pixel(client.width() / 2, top / 2), view->palette().color(QPalette::Dark).rgb());
        const QColor centre = shot.pixel(client.width() / 2, top + drawnH / 2);
        QVERIFY(qAbs(centre.red() - 127) <= 3 && qAbs(centre.green() - 127) <= 3);
        closeFrame();
    }

    void missingPhotographKeepsRunning()
    {
        IsolatedHost host;
        CMainFrame* frame = start(host.path("gone.jpg"));
        QVERIFY(!frame->workspace().hasPhoto());
        QCOMPARE(frame->windowTitle(), QString("gone.jpg - Kestrin"));
        QCOMPARE(frame->pane(0, 0)->viewport()->grab().toImage().pixel(5, 5),
            frame->palette().color(QPalette::Dark).rgb());
        // The resources are in place: the window's icon and the buttons' drawings.
        QVERIFY(!frame->windowIcon().isNull() && !frame->action(6032)->icon().pixmap(23, 23).isNull());
        closeFrame();
    }

    void unwritableIniDoesNotStopTheProgram()
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
        QVERIFY(start(host.path("p.png"))->workspace().hasPhoto());
        QTRY_COMPARE(closer.texts.value(0).section('\n', 0, 0), QString("bracket.csvが見つかりません"));
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
