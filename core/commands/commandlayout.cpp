#include "core/commands/commandlayout.h"

QString MenuItem::shownTitle() const { return CommandLayout::tr(title.toUtf8().constData()); }

const std::vector<MenuItem>& CommandLayout::menuBar()
{
    static const std::vector<MenuItem> menus = {
        { QT_TR_NOOP("ﾌｧｲﾙ(&F)"),
            { Cmd::FileOpen, Cmd::ConsultationOpen, 0, Cmd::FileSaveAs, Cmd::ConsultationSave, 0,
                Cmd::RegisterPhoto, 0,
                { QT_TR_NOOP("ブラケット"), { Cmd::GalleryAdd, Cmd::GalleryEdit, Cmd::GalleryDelete } }, 0,
                Cmd::FilePrint, Cmd::FilePrintPreview, Cmd::FilePrintSetup, 0, Cmd::AppExit } },
        { QT_TR_NOOP("編集(&E)"), { Cmd::Undo, Cmd::Redo } },
        { QT_TR_NOOP("作業領域(&W)"),
            { Cmd::FitSize, { QT_TR_NOOP("画像数(&A)"), { Cmd::Panes1, Cmd::Panes2, Cmd::Panes4 } },
                Cmd::PrevImage, Cmd::NextImage } },
        { QT_TR_NOOP("ｸﾘｯﾌﾟ(&C)"),
            { Cmd::ClipDefine, Cmd::ClipOk, Cmd::ClipClose, Cmd::ClipDeleteLastPoint,
                Cmd::ClipDuplicatePoint, Cmd::ClipDeletePoint, Cmd::ClipDelete } },
        { QT_TR_NOOP("ﾌﾞﾗｹｯﾄ(&B)"),
            { Cmd::ModeScale, Cmd::ModeMove, Cmd::ModeRotate, Cmd::BracketDelete, 0,
                Cmd::Brightness, Cmd::ColorBalance, 0, Cmd::ShowInfo } },
        { QT_TR_NOOP("表示(&V)"),
            { Cmd::ViewStatusBar, Cmd::BracketView, Cmd::BracketTool, 0, Cmd::MirrorView } },
        { QT_TR_NOOP("ﾍﾙﾌﾟ(&H)"), { Cmd::AppAbout } },
    };
    return menus;
}

const QVector<int>& CommandLayout::toolBar()
{
    static const QVector<int> ids = { Cmd::FileSaveAs, 0, Cmd::FilePrint, 0, Cmd::Undo, Cmd::Redo,
        0, Cmd::ZoomOut, Cmd::ZoomIn, Cmd::FitSize, 0, Cmd::Panes1, Cmd::Panes2, Cmd::Panes4,
        Cmd::PrevImage, Cmd::NextImage, 0, Cmd::ClipDefine, 0, Cmd::ModeScale, Cmd::ModeMove,
        Cmd::ModeRotate, Cmd::Brightness, Cmd::ColorBalance, Cmd::BracketDelete, 0, Cmd::ShowInfo,
        0, Cmd::AppAbout };
    return ids;
}

const QVector<int>& CommandLayout::zoomMenu()
{
    static const QVector<int> ids = { Cmd::Zoom25, Cmd::Zoom50, Cmd::Zoom75, Cmd::Zoom100,
        Cmd::Zoom200, Cmd::Zoom300, Cmd::Zoom400 };
    return ids;
}

const QVector<int>& CommandLayout::clipBar()
{
    static const QVector<int> ids = { Cmd::ClipOk, Cmd::ClipClose, Cmd::ClipDeleteLastPoint,
        Cmd::ClipDuplicatePoint, Cmd::ClipDeletePoint, Cmd::ClipDelete };
    return ids;
}

const QVector<int>& CommandLayout::clipMenu()
{
    static const QVector<int> ids = { Cmd::MenuClipOk, Cmd::MenuClipClose,
        Cmd::MenuClipDeleteLastPoint, Cmd::ClipDuplicatePoint, Cmd::ClipDeletePoint, 0,
        Cmd::MenuClipDelete };
    return ids;
}

const QVector<QPair<int, QKeySequence>>& CommandLayout::moreShortcuts()
{
    // Redo answers both keys that other programs use for it.
    static const QVector<QPair<int, QKeySequence>> keys = {
        { Cmd::Redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) },
    };
    return keys;
}
