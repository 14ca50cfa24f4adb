#include "ui/frame/ckestrinapp.h"

#include "core/host/language.h"
#include "core/host/profile.h"
#include "core/text/strings.h"
#include "ui/dialogs/photochooserdialog.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"

CKestrinApp::CKestrinApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(Res::text(Res::IdsAppTitle));
    setApplicationVersion(QStringLiteral("1.0"));
    // The resources live in a static library: nothing links them in unless asked.
    Q_INIT_RESOURCE(kestrin);
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin.png")));
    loadQtTranslations();
}

void CKestrinApp::loadQtTranslations()
{
    // Qt's own dialogs and buttons (file, print, message boxes), and the dates and
    // sizes in them, speak the same language as the rest of the program.
    Language::apply(Language::chosen());
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

    QString path = photoPathFromArguments(arguments);
    if (path.isEmpty() && arguments.contains(ChooseSwitch)) {
        PhotoChooserDialog chooser;
        if (chooser.exec() == QDialog::Accepted)
            path = chooser.chosenPath();
    }
    if (path.isEmpty())
        return false;

    // The fonts and the decode need nothing of the window: they are read on
    // another core while the window is built.
    m_fonts.start();
    auto started = CKestrinDoc::startOpening(path);
    m_doc.reset();
    m_frame = std::make_unique<CMainFrame>();
    m_doc = std::make_unique<CKestrinDoc>(m_frame.get());
    if (!m_doc->OnOpenDocument(path, std::move(started)))
        return false;
    addToRecentFiles(m_doc->pathName());
    connect(m_frame.get(), &CMainFrame::photoChosen, this, &CKestrinApp::openPhoto);

    if (Profile::getInt(QStringLiteral("BRACKET"), QStringLiteral("WINZOOM"), 0) != 0)
        m_frame->showMaximized();
    else
        m_frame->show();
    return true;
}

void CKestrinApp::openPhoto(const QString& path)
{
    if (m_doc && m_doc->OnOpenDocument(path))
        addToRecentFiles(m_doc->pathName());
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
