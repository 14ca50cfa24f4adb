// Where the commands appear: the menu bar with its titles, the tool bar, the zoom
// presets behind the zoom-in button, the floating clip tool bar and a pane's clip
// context menu. The widgets build themselves from these lists; 0 is a separator.
#pragma once

#include "core/commands/commandids.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QPair>
#include <QString>
#include <QVector>

#include <vector>

struct MenuItem {
    MenuItem(int commandId)
        : id(commandId)
    {
    }
    MenuItem(const char* utf8Title, std::vector<MenuItem> subItems)
        : title(QString::fromUtf8(utf8Title))
        , items(std::move(subItems))
    {
    }

    int id = 0; // a command; 0 for a separator or a sub-menu
    QString title; // a sub-menu's title, untranslated
    // The title in the language the application speaks now.
    QString shownTitle() const;
    std::vector<MenuItem> items; // a sub-menu's items
};

class CommandLayout {
    Q_DECLARE_TR_FUNCTIONS(CommandLayout)

public:
    // The menus of the menu bar, left to right.
    static const std::vector<MenuItem>& menuBar();
    static const QVector<int>& toolBar();
    // The tool-bar button that carries zoomMenu() behind its arrow.
    static constexpr int ZoomButton = Cmd::ZoomIn;
    static const QVector<int>& zoomMenu();
    static const QVector<int>& clipBar();
    static const QVector<int>& clipMenu();
    // Further shortcuts of commands, besides the one in each command's row.
    static const QVector<QPair<int, QKeySequence>>& moreShortcuts();
};
