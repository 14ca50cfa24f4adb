#include "ui/frame/ckestrindoc.h"

#include "core/host/photocatalog.h"
#include "core/photo/photoloader.h"
#include "core/photo/progressivephoto.h"
#include "core/text/strings.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/consultationcommands.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QtMath>

#include <system_error>

namespace {

bool isConsultation(const QString& path)
{
    return path.endsWith(QStringLiteral(".kestrin"), Qt::CaseInsensitive);
}

} // namespace

CKestrinDoc::CKestrinDoc(CMainFrame* frame, QObject* parent)
    : QObject(parent)
    , m_frame(frame)
{
    // Polled rather than signalled: the decode thread knows nothing of Qt objects,
    // and a few milliseconds of delay are invisible next to the decode itself.
    m_fullPhotoPoll.setInterval(15);
    connect(&m_fullPhotoPoll, &QTimer::timeout, this, &CKestrinDoc::checkFullPhoto);
    if (m_frame)
        m_frame->workspace().m_onWaitForPhoto = [](bool waiting) {
            if (waiting)
                QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QGuiApplication::restoreOverrideCursor();
        };
}

void CKestrinDoc::checkFullPhoto()
{
    if (!m_frame || m_frame->workspace().adoptFullPhotoIfReady()) {
        m_fullPhotoPoll.stop();
        if (m_frame)
            m_frame->invalidatePanes();
    }
}

std::future<std::unique_ptr<ProgressivePhoto>> CKestrinDoc::startOpening(const QString& path)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (isConsultation(path) || !screen)
        return {};
    // No pane is ever larger than the screen: the preview covers whatever window
    // is then built. The record is looked up here, on the thread that owns the
    // database connection and reports why a record could not be read.
    const QSize shown(qCeil(screen->size().width() * screen->devicePixelRatio()),
        qCeil(screen->size().height() * screen->devicePixelRatio()));
    const std::optional<unsigned char> flags = PhotoLoader::recordFlags(path);
    try {
        return std::async(std::launch::async,
            [path, shown, flags] { return std::make_unique<ProgressivePhoto>(path, shown, flags); });
    } catch (const std::system_error&) {
        return {};
    }
}

bool CKestrinDoc::OnOpenDocument(
    const QString& path, std::future<std::unique_ptr<ProgressivePhoto>> started)
{
    if (!m_frame)
        return false;
    if (isConsultation(path)) {
        if (!ConsultationCommands::open(m_frame, path))
            return false;
        m_pathName = QFileInfo(path).absoluteFilePath();
        return true;
    }
    // No pane is ever larger than the window, nor the window than its screen.
    QSize shown = m_frame->size();
    if (const QScreen* screen = m_frame->screen())
        shown = shown.expandedTo(QSize(1, 1)).boundedTo(screen->size());
    const qreal ratio = m_frame->devicePixelRatioF();
    std::unique_ptr<ProgressivePhoto> photo;
    if (started.valid()) {
        try {
            photo = started.get();
        } catch (...) {
            // Out of memory on the other thread: tried once more here, as any open.
        }
    }
    if (photo)
        PhotoLoader::openProgressive(m_frame->workspace(), path, *photo);
    else
        PhotoLoader::openProgressive(m_frame->workspace(), path,
            QSize(qCeil(shown.width() * ratio), qCeil(shown.height() * ratio)));
    if (m_frame->workspace().fullPhotoPending())
        m_fullPhotoPoll.start();
    m_pathName = QFileInfo(path).absoluteFilePath();
    m_frame->setWindowTitle(
        QFileInfo(path).fileName() + QStringLiteral(" - ") + Res::text(Res::IdsAppTitle));
    m_frame->initialUpdatePanes();
    // The photograph opened unturned: say why its record could not be read.
    if (!PhotoCatalog::unavailableReason().isEmpty())
        m_frame->statusBar()->showMessage(PhotoCatalog::unavailableReason());
    ConsultationCommands::offerResume(m_frame);
    return true;
}
