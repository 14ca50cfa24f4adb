#include "ui/frame/ckestrinapp.h"

#include "ui/frame/ckestrindoc.h"
#include "core/host/profile.h"
#include "ui/frame/cmainframe.h"
#include "core/text/strings.h"

CKestrinApp::CKestrinApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(Res::text(Res::IdsAppTitle));
    setApplicationVersion(QStringLiteral("1.0"));
    // The resources live in a static library: nothing links them in unless asked.
    Q_INIT_RESOURCE(kestrin);
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin.png")));
}

CKestrinApp::~CKestrinApp()
{
    // The document refers to the frame; let it go first.
    m_doc.reset();
    m_frame.reset();
}

QString CKestrinApp::photoPathFromArguments(const QStringList& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (!arg.startsWith('-') && !arg.isEmpty())
            return arg;
    }
    return {};
}

bool CKestrinApp::InitInstance(const QStringList& arguments)
{
    {
        const Profile::Batch batch;
        for (int i = 1; i <= RecentFileCount; ++i) {
            const QString file = Profile::getString(
                QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i));
            if (!file.isEmpty())
                m_recentFiles.append(file);
        }
    }

    const QString path = photoPathFromArguments(arguments);
    if (path.isEmpty())
        return false;

    m_doc.reset();
    m_frame = std::make_unique<CMainFrame>();
    m_doc = std::make_unique<CKestrinDoc>(m_frame.get());
    if (!m_doc->OnOpenDocument(path))
        return false;
    addToRecentFiles(m_doc->pathName());

    if (Profile::getInt(QStringLiteral("BRACKET"), QStringLiteral("WINZOOM"), 0) != 0)
        m_frame->showMaximized();
    else
        m_frame->show();
    return true;
}

void CKestrinApp::addToRecentFiles(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > RecentFileCount)
        m_recentFiles.removeLast();
}

void CKestrinApp::ExitInstance()
{
    const QString section = QStringLiteral("Recent File List");
    const Profile::Batch batch;
    for (int i = 0; i < RecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i + 1);
        if (i < m_recentFiles.size())
            Profile::writeString(section, key, m_recentFiles.at(i));
        else
            Profile::remove(section, key);
    }
}
