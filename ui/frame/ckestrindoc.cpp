#include "ui/frame/ckestrindoc.h"

#include "core/photo/photoloader.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/consultationcommands.h"
#include "core/text/strings.h"

#include <QFileInfo>

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
    m_frame->setWindowTitle(
        QFileInfo(path).fileName() + QStringLiteral(" - ") + Res::text(Res::IdsAppTitle));
    m_frame->initialUpdatePanes();
    ConsultationCommands::offerResume(m_frame);
    return true;
}
