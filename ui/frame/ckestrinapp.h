// The application: points configuration at the host's INI file, speaks Japanese
// in Qt's own dialogs too, insists on a photograph path (or, with --choose, lets
// the user pick one), creates the frame and document, opens the photograph and
// shows the window as it was last closed.
#pragma once

#include "ui/frame/fontwarmup.h"

#include <QApplication>
#include <QStringList>

#include <memory>

class CMainFrame;
class CKestrinDoc;

class CKestrinApp : public QApplication {
    Q_OBJECT

public:
    CKestrinApp(int& argc, char** argv);
    ~CKestrinApp() override;

    // False when start-up fails (no path among `arguments`, the program name
    // first): the program then ends without a window or a message. With
    // ChooseSwitch and no path the start dialog asks for one; cancelling it ends
    // the program the same way.
    bool InitInstance(const QStringList& arguments);
    // Saves the recent-file list; call after the event loop ends.
    void ExitInstance();

    // The photograph path from the command line: the first argument that is not a
    // switch. Switches (a print request, say) are ignored: the file is only opened.
    static QString photoPathFromArguments(const QStringList& arguments);
    static inline const QString ChooseSwitch = QStringLiteral("--choose");

    CMainFrame* mainFrame() const { return m_frame.get(); }
    CKestrinDoc* document() const { return m_doc.get(); }

    static constexpr int RecentFileCount = 4;

private:
    void addToRecentFiles(const QString& path);
    void openPhoto(const QString& path);
    void loadQtTranslations();

    // Joined before the application object goes (members go before the base).
    FontWarmup m_fonts;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CKestrinDoc> m_doc;
    QStringList m_recentFiles;
};
