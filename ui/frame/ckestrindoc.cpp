#include "ui/frame/ckestrindoc.h"

#include "core/host/photocatalog.h"
#include "core/photo/photoloader.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/consultationcommands.h"
#include "core/text/strings.h"

#include <QFileInfo>
#include <QStatusBar>

CKestrinDoc::CKestrinDoc(CMainFrame* frame, QObject* parent)
    : QObject(parent)
    , m_frame(frame)
{
}

bool CKestrinDoc::OnOpenDocument(const QString& path)
{
    if (!m_frame)
        return false;
    if (path.endsWith(QStringLiteral(".kestrin"), Qt::CaseInsensitive)) {
        if (!ConsultationCommands::open(m_frame, path))
            return false;
        m_pathName = QFileInfo(path).absoluteFilePath();
        return true;
    }
    PhotoLoader::open(m_frame->workspace(), path);
    m_pathName = QFileInfo(path).absoluteFilePath();
    m_frame->setPhotoPath(m_pathName);
    m_frame->setWindowTitle(
        QFileInfo(path).fileName() + QStringLiteral(" - ") + Res::text(Res::IdsAppTitle));
    m_frame->initialUpdatePanes();
    // The photograph opened unturned: say why its record could not be read.
    if (!PhotoCatalog::unavailableReason().isEmpty())
        m_frame->statusBar()->showMessage(PhotoCatalog::unavailableReason());
    ConsultationCommands::offerResume(m_frame);
    return true;
}
