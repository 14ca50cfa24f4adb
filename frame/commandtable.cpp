#include "frame/commandtable.h"

#include "frame/commandids.h"

const QVector<CommandRow> &CommandTable::rows()
{
    static const QVector<CommandRow> table = {
        { Cmd::AppExit, QStringLiteral("Kestrinの終了(&X)"), QStringLiteral("Kestrinの終了\nKestrinの終了"), {} },
        { Cmd::ViewStatusBar, QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
          QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"), {} },
        { Cmd::AppAbout, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Kestrin) (&A)"),
          QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"), {} },
    };
    return table;
}

const CommandRow *CommandTable::find(int id)
{
    for (const CommandRow &row : rows())
        if (row.id == id)
            return &row;
    return nullptr;
}
