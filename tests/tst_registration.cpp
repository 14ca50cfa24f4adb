// Registering the composite in the photo database, and the pane commands around
// saving: the host's path and record, taking a registration back, the marker
// file, the failure message and what the composite leaves out.
#include "core/host/hostdialogs.h"
#include "core/host/photocatalog.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/output/photoregistration.h"
#include "core/text/strings.h"
#include "outputfixture.h"
#include "testutils.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/paneoutput.h"
#include "ui/panes/ckestrinview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImageReader>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <memory>

using namespace outputfixture;
using testutils::IsolatedHost;

namespace {

void choosePatient(const QString& id)
{
    QFile marker(HostDialogs::tempFolder() + "PatientID.TMP");
    QVERIFY(marker.open(QIODevice::WriteOnly | QIODevice::Truncate));
    marker.write(id.toUtf8());
}

QVector<PhotoCatalog::Record> records()
{
    PhotoCatalog catalog;
    if (catalog.open(PhotoCatalog::ReadOnly) != 0)
        return {};
    return catalog.list();
}

QString addImage(QString* second = nullptr)
{
    char path1[HostDialogs::PathBufferSize];
    char path2[HostDialogs::PathBufferSize];
    memset(path1, 'x', sizeof path1); // whatever was there must not leak out
    memset(path2, 'x', sizeof path2);
    HostDialogs::addImage(nullptr, nullptr, 0, path1, path2);
    if (second)
        *second = QString::fromUtf8(path2);
    return QString::fromUtf8(path1);
}

QString imgAddMarker() { return HostDialogs::tempFolder() + "ImgADD.TMP"; }

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noPatientNoRegistration();
    void addImageRegistersAFreshPath();
    void patientIdCannotLeaveTheStore();
    void pathTooLongForTheHostIsRefused();
    void failedSaveTakesTheRegistrationBack();
    void registrationEndToEnd();
    void registerCommandFromTheFrame();
    void saveFailureShowsTheMessage();
    void innerBracketOnThePaneNotInTheComposite();

private:
    void openFrame(int paneCount);

    std::unique_ptr<IsolatedHost> m_host;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CKestrinDoc> m_doc;
};

void TestRegistration::init()
{
    m_host = std::make_unique<IsolatedHost>();
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("store").toLocal8Bit());
}

void TestRegistration::cleanup()
{
    m_doc.reset();
    m_frame.reset();
    qunsetenv("MOLVEX_PHOTOSTORE");
    m_host.reset();
}

void TestRegistration::openFrame(int paneCount)
{
    useEmptyGallery(m_host->dir.path());
    QVERIFY(plainPhoto(400, 300).save(m_host->path("photo.png")));
    m_frame = std::make_unique<CMainFrame>();
    m_doc = std::make_unique<CKestrinDoc>(m_frame.get());
    QVERIFY(m_doc->OnOpenDocument(m_host->path("photo.png")));
    m_frame->setPaneCount(paneCount);
}

void TestRegistration::noPatientNoRegistration()
{
    QString second;
    QCOMPARE(addImage(&second), QString());
    QCOMPARE(second, QString());
    QVERIFY(records().isEmpty());
    bool saved = false;
    QCOMPARE(
        PhotoRegistration::registerComposite([&saved](const QString&) { return saved = true; }),
        QString());
    QVERIFY(!saved); // nothing written to a made-up place
    QVERIFY(!QFile::exists(imgAddMarker()));
}

void TestRegistration::addImageRegistersAFreshPath()
{
    choosePatient("P-0042\n");
    QString second = "unset";
    const QString first = addImage(&second);
    QVERIFY(first.startsWith(m_host->path("store") + "/P-0042/"));
    QVERIFY(first.endsWith(".jpg"));
    QCOMPARE(second, QString());
    QVERIFY(QFileInfo(QFileInfo(first).path()).isWritable());
    QVERIFY(!QFile::exists(first));
    QVector<PhotoCatalog::Record> all = records();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].path, first);
    QCOMPARE(all[0].patientId, QString("P-0042"));
    QCOMPARE(all[0].folderName, QString("P-0042"));

    // Within the same second: another name, another record.
    const QString again = addImage();
    QVERIFY(!again.isEmpty());
    QVERIFY(again != first);
    QCOMPARE(records().size(), 2);

    QVERIFY(HostDialogs::cancelImage(first));
    all = records();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].path, again);
    QVERIFY(!HostDialogs::cancelImage(first));
}

void TestRegistration::patientIdCannotLeaveTheStore()
{
    for (const QString id : { "../../escape", "..", "a/b\\c" }) {
        choosePatient(id);
        const QString path = addImage();
        QVERIFY2(QFileInfo(path).absoluteFilePath().startsWith(m_host->path("store") + "/"),
            qPrintable(path));
        QCOMPARE(QFileInfo(path).dir().absolutePath(),
            QDir(m_host->path("store")).absoluteFilePath(QFileInfo(path).dir().dirName()));
    }
}

void TestRegistration::pathTooLongForTheHostIsRefused()
{
    choosePatient("P-1");
    qputenv("MOLVEX_PHOTOSTORE", (m_host->path("store/") + QString(250, 'd')).toLocal8Bit());
    QCOMPARE(addImage(), QString());
    QVERIFY(records().isEmpty());
}

void TestRegistration::failedSaveTakesTheRegistrationBack()
{
    choosePatient("P-7");
    QString attempted;
    const QString written = PhotoRegistration::registerComposite([&attempted](const QString& path) {
        attempted = path;
        return false;
    });
    QCOMPARE(written, QString());
    QVERIFY(!attempted.isEmpty());
    QVERIFY(records().isEmpty());
    QVERIFY(!QFile::exists(attempted));
    QVERIFY(!QFile::exists(imgAddMarker()));
}

void TestRegistration::registrationEndToEnd()
{
    choosePatient("P-0042");
    Workspace ws;
    setPhoto(ws, plainPhoto(400, 300));
    const CompositeRenderer renderer(ws, { 0, 1 }, 1, 2);
    {
        QFile stale(imgAddMarker());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("left over");
    }
    const QString written = PhotoRegistration::registerComposite([&renderer](const QString& path) {
        return CompositeWriter::saveComposite(renderer, path);
    });
    QVERIFY(!written.isEmpty());
    QCOMPARE(QImageReader(written, "jpeg").size(), QSize(840, 300));
    QCOMPARE(QFileInfo(imgAddMarker()).size(), 0); // created or truncated
    const QVector<PhotoCatalog::Record> all = records();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].path, written);

    // The practice's tool lists it.
    QProcess tool;
    tool.start(qEnvironmentVariable("KESTRIN_BINARY_DIR") + "/app/molvex-photodb", { "list" });
    QVERIFY(tool.waitForFinished(20000));
    QCOMPARE(tool.exitCode(), 0);
    const QString listing = QString::fromUtf8(tool.readAllStandardOutput());
    QVERIFY2(listing.contains(written) && listing.contains("P-0042"), qPrintable(listing));
}

void TestRegistration::registerCommandFromTheFrame()
{
    openFrame(4);
    choosePatient("P-9");
    QVERIFY(PaneOutput::onCommand(m_frame.get(), 32789));
    const QVector<PhotoCatalog::Record> all = records();
    QCOMPARE(all.size(), 1);
    QCOMPARE(QImageReader(all[0].path, "jpeg").size(), QSize(840, 630));
    QVERIFY(QFile::exists(imgAddMarker()));
    QVERIFY(!QGuiApplication::overrideCursor()); // the busy cursor, if any, is gone
    QVERIFY(!PaneOutput::onCommand(m_frame.get(), 6043));
}

void TestRegistration::saveFailureShowsTheMessage()
{
    openFrame(1);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool seen = false;
    // The message box runs its own loop; look at it from inside and close it.
    std::function<void()> inspect = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(20, inspect);
            return;
        }
        seen = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    };
    QTimer::singleShot(0, inspect);
    QVERIFY(!PaneOutput::saveComposite(m_frame.get(), m_host->path("no/such/folder/result.jpg")));
    QVERIFY(seen);
    QCOMPARE(title, Res::text(Res::IdsAppTitle));
    QCOMPARE(text, QString("画像の保存に失敗しました。"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!QFile::exists(m_host->path("no")));

    // A save that works shows nothing.
    QVERIFY(PaneOutput::saveComposite(m_frame.get(), m_host->path("fine")));
    QCOMPARE(QImageReader(m_host->path("fine.jpg"), "jpeg").size(), QSize(400, 300));
}

void TestRegistration::innerBracketOnThePaneNotInTheComposite()
{
    openFrame(1);
    Workspace& ws = m_frame->workspace();
    closeClip(ws, QRect(60, 40, 280, 220));
    QBracket& inner
        = addBracket(ws, m_host->dir.path(), 1, 80, otherBracketColour, 200, 150, "inner", false);
    inner.SetSelected(false);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    CKestrinView* pane = m_frame->shownPanes().value(0);
    QVERIFY(pane);
    m_frame->applyZoom();
    const QImage shown = pane->viewport()->grab().toImage();
    bool onPane = false;
    for (int y = 0; y < shown.height() && !onPane; y += 2)
        for (int x = 0; x < shown.width() && !onPane; x += 2)
            onPane = near(shown.pixel(x, y), otherBracketColour, 10);
    QVERIFY(onPane);

    QVERIFY(PaneOutput::saveComposite(m_frame.get(), m_host->path("inner.jpg")));
    const QImage saved(m_host->path("inner.jpg"));
    QCOMPARE(saved.size(), QSize(400, 300));
    QVERIFY(near(saved.pixel(200, 150), photoColour, 12));
}

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
