#include "ui/frame/layoutreport.h"

#include "ui/frame/cmainframe.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/panes/ckestrinview.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include <cstdio>

namespace {

QJsonObject rectOf(const QWidget* widget, QRect local)
{
    const QPoint origin = widget->mapToGlobal(local.topLeft());
    return QJsonObject { { "x", origin.x() }, { "y", origin.y() }, { "w", local.width() },
        { "h", local.height() } };
}

QJsonObject buttonsOf(const QToolBar* bar)
{
    QJsonObject buttons;
    if (!bar || !bar->isVisible())
        return buttons;
    for (QAction* action : bar->actions()) {
        const QWidget* button = bar->widgetForAction(action);
        // A button added as a widget (the zoom button with its menu) carries the
        // command id itself.
        const QString id = action->objectName().isEmpty() && button ? button->objectName()
                                                                    : action->objectName();
        if (button && !id.isEmpty())
            buttons.insert(id, rectOf(button, button->rect()));
    }
    return buttons;
}

QString className(const QWidget* widget)
{
    return widget ? QString::fromLatin1(widget->metaObject()->className()) : QString();
}

// What a dialog offers the user: the texts of its visible buttons, so a script
// can tell which language Qt's own dialogs speak.
QJsonArray buttonTexts(const QWidget* dialog)
{
    QJsonArray texts;
    if (!dialog)
        return texts;
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->isVisible() && !button->text().isEmpty())
            texts.append(button->text());
    return texts;
}

} // namespace

bool LayoutReport::enabled() { return !qEnvironmentVariableIsEmpty("KESTRIN_LAYOUT_FILE"); }

void LayoutReport::write(const CMainFrame& frame)
{
    static QByteArray last;
    QJsonArray panes;
    for (CKestrinView* view : frame.shownPanes()) {
        QJsonObject pane = rectOf(view->viewport(), view->viewport()->rect());
        pane.insert("slot", view->slot());
        pane.insert("working", view->isWorking());
        pane.insert("scale", view->viewScale());
        pane.insert("offsetX", view->offsetX());
        pane.insert("offsetY", view->offsetY());
        pane.insert("scrollX", view->horizontalScrollBar()->value());
        pane.insert("scrollY", view->verticalScrollBar()->value());
        pane.insert("active", view == frame.activePane());
        pane.insert("hScroll", view->horizontalScrollBar()->isVisible());
        pane.insert("vScroll", view->verticalScrollBar()->isVisible());
        panes.append(pane);
    }
    QJsonArray rows;
    if (const QBrackListDiag* list = frame.bracketList()) {
        const QTableView* table = list->List();
        for (int row = 0; table && row < table->model()->rowCount(); ++row) {
            const QRect r = table->visualRect(table->model()->index(row, 0));
            if (r.isValid())
                rows.append(rectOf(table->viewport(), r));
        }
    }
    QJsonArray lit;
    for (const QLabel* label : frame.statusBar()->findChildren<QLabel*>())
        if (label->isEnabled() && QStringList { "CAP", "NUM", "SCRL" }.contains(label->text()))
            lit.append(label->text());
    const Workspace& ws = frame.workspace();
    QJsonArray brackets;
    for (int s = 0; s < Workspace::SlotCount; ++s)
        for (const QBracket& b : ws.m_slot[size_t(s)].arBrackets)
            brackets.append(QJsonObject { { "slot", s }, { "x", b.GetPos().x() },
                { "y", b.GetPos().y() }, { "w", b.GetSize().width() },
                { "h", b.GetSize().height() }, { "angle", b.m_dAngle }, { "scale", b.m_dScale } });
    const QJsonObject root {
        { "frame", rectOf(&frame, frame.rect()) },
        { "photo", QJsonObject { { "w", ws.photoWidth() }, { "h", ws.photoHeight() } } },
        { "panes", panes },
        { "rows", rows },
        { "toolbar", buttonsOf(frame.toolBar()) },
        { "clipbar", buttonsOf(frame.clipBar()) },
        { "clipClosed", ws.m_bClipClosed },
        { "clipEditing", ws.m_bClipEditing },
        { "clipPoints", ws.m_clip.GetCount() },
        { "brackets", brackets },
        // What has the user's input now, so a script waits for a dialog or menu
        // instead of sleeping.
        { "modal", className(QApplication::activeModalWidget()) },
        { "modalButtons", buttonTexts(QApplication::activeModalWidget()) },
        { "modalMaximized",
            QApplication::activeModalWidget() && QApplication::activeModalWidget()->isMaximized() },
        { "fitSize", ws.m_bFitSize },
        { "canUndo", ws.m_history.canUndo() },
        { "canRedo", ws.m_history.canRedo() },
        { "undoName", ws.m_history.undoName() },
        { "redoName", ws.m_history.redoName() },
        { "lit", lit },
        { "popup", className(QApplication::activePopupWidget()) },
        { "activeWindow", className(QApplication::activeWindow()) },
    };
    const QByteArray json = QJsonDocument(root).toJson();
    if (json == last)
        return;
    // Replaced by a rename so that a reader never sees half a file, but never
    // flushed to the disk: the report is read at once and is worth nothing after
    // the run, and a flush can wait many seconds while the disk writes back a build.
    const QString path = qEnvironmentVariable("KESTRIN_LAYOUT_FILE");
    const QString partial = path + QStringLiteral(".part");
    QFile file(partial);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(json) == json.size()
        && file.flush()) {
        file.close();
        if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData())
            == 0)
            last = json;
    }
}
