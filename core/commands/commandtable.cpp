#include "core/commands/commandtable.h"

#include "core/commands/commandids.h"

namespace {
QString s(const char* utf8) { return QString::fromUtf8(utf8); }
} // namespace

const QVector<CommandRow>& CommandTable::rows()
{
    static const QVector<CommandRow> table = {
        { Cmd::FileSaveAs, s("画像保存(&A)..."),
            s("作業中の画像に名前を付けて保存\n名前をつけて保存"),
            QKeySequence(Qt::CTRL | Qt::Key_S) },
        { Cmd::FileSaveCopyAs, {}, {}, {} },
        { Cmd::RegisterPhoto, s("画像をMolvexDBに追加(&W)"),
            s("表示中の画像をMolvexﾃﾞｰﾀﾍﾞｰｽに追加登録"), {} },
        { Cmd::GalleryAdd, s("追加"), {}, {} },
        { Cmd::GalleryEdit, s("編集"), {}, {} },
        { Cmd::GalleryDelete, s("削除"), {}, {} },
        { Cmd::FilePrint, s("印刷(&P)..."), s("作業中のﾌｧｲﾙを印刷\n印刷"),
            QKeySequence(Qt::CTRL | Qt::Key_P) },
        { Cmd::FilePrintDirect, {}, {}, {} },
        { Cmd::FilePrintPreview, s("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"), s("ﾌﾙｽｸﾘｰﾝで表示\n印刷ﾌﾟﾚﾋﾞｭｰ"), {} },
        { Cmd::FilePrintSetup, s("ﾌﾟﾘﾝﾀの設定(&R)..."), s("ﾌﾟﾘﾝﾀ/印刷設定の変更\nﾌﾟﾘﾝﾀの設定"),
            {} },
        { Cmd::AppExit, s("Kestrinの終了(&X)"), s("Kestrinの終了\nKestrinの終了"), {} },
        { Cmd::ZoomIn, s("拡大"), s("拡大\n拡大"), {} },
        { Cmd::ZoomOut, s("縮小"), s("縮小\n縮小"), {} },
        { Cmd::Zoom25, s("25%"), {}, {} },
        { Cmd::Zoom50, s("50%"), {}, {} },
        { Cmd::Zoom75, s("75%"), {}, {} },
        { Cmd::Zoom100, s("100%"), {}, {} },
        { Cmd::Zoom200, s("200%"), {}, {} },
        { Cmd::Zoom300, s("300%"), {}, {} },
        { Cmd::Zoom400, s("400%"), {}, {} },
        { Cmd::FitSize, s("ﾌｨｯﾄｻｲｽﾞ"), s("領域に画像サイズを合わせる\nﾌｨｯﾄｻｲｽﾞ"), {} },
        { Cmd::Panes1, s("1"), s("画像数 - 1\n1"), {} },
        { Cmd::Panes2, s("2"), s("画像数 - 2\n2"), {} },
        { Cmd::Panes4, s("4"), s("画像数 - 4\n4"), {} },
        { Cmd::PrevImage, s("前の画像(&P)"), s("前の画像を選択\n前の画像"), {} },
        { Cmd::NextImage, s("次の画像(&N)"), s("次の画像を選択\n次の画像"), {} },
        { Cmd::ClipDefine, s("ｸﾘｯﾌﾟ領域指定(&A)"), s("ｸﾘｯﾌﾟ領域指定\nｸﾘｯﾌﾟ領域指定"), {} },
        { Cmd::ClipOk, s("&OK"), s("ｸﾘｯﾌﾟの終了\nOk"), {} },
        { Cmd::ClipClose, s("閉曲線(&C)"), s("ｸﾘｯﾌﾟ領域を閉曲線として閉じる\n閉曲線"), {} },
        { Cmd::ClipDeleteLastPoint, s("ﾎﾟｲﾝﾄ削除(&P)"), s("最後に追加されたﾎﾟｲﾝﾄを削除\nﾎﾟｲﾝﾄ削除"),
            {} },
        { Cmd::ClipDuplicatePoint, s("指定ﾎﾟｲﾝﾄ複製(&U)"), s("指定ﾎﾟｲﾝﾄの複製\n指定ﾎﾟｲﾝﾄ複製"),
            {} },
        { Cmd::ClipDeletePoint, s("指定ﾎﾟｲﾝﾄ削除(&D)"), s("指定ﾎﾟｲﾝﾄの削除\n指定ﾎﾟｲﾝﾄ削除"), {} },
        { Cmd::ClipDelete, s("ｸﾘｯﾌﾟ削除(&D)"), s("ｸﾘｯﾌﾟを削除\nｸﾘｯﾌﾟ削除"), {} },
        { Cmd::MenuClipOk, s("&OK"), {}, {} },
        { Cmd::MenuClipClose, s("閉曲線(&C)"), {}, {} },
        { Cmd::MenuClipDeleteLastPoint, s("ﾎﾟｲﾝﾄ削除(&P)"), {}, {} },
        { Cmd::MenuClipDelete, s("ｸﾘｯﾌﾟ削除(&A)"), {}, {} },
        { Cmd::ModeScale, s("拡大・縮小(&Z)"), s("ﾌﾞﾗｹｯﾄの拡大・縮小\n拡大・縮小"), {} },
        { Cmd::ModeMove, s("移動(&M)"), s("ﾌﾞﾗｹｯﾄの移動\n移動"), {} },
        { Cmd::ModeRotate, s("回転(&R)"), s("ﾌﾞﾗｹｯﾄの回転\n回転"), {} },
        { Cmd::BracketDelete, s("削除(&D)"), s("ﾌﾞﾗｹｯﾄの削除\n削除"), {} },
        { Cmd::Brightness, s("明度･ｺﾝﾄﾗｽﾄ調整(&B)"), s("ﾌﾞﾗｹｯﾄの明度･ｺﾝﾄﾗｽﾄ調整\n明度･ｺﾝﾄﾗｽﾄ調整"),
            {} },
        { Cmd::ColorBalance, s("ｶﾗｰﾊﾞﾗﾝｽ(&C)"), s("ﾌﾞﾗｹｯﾄのｶﾗｰﾊﾞﾗﾝｽ\nｶﾗｰﾊﾞﾗﾝｽ"), {} },
        { Cmd::ShowInfo, s("情報表示"), s("情報表示\n情報表示"), {} },
        { Cmd::ViewStatusBar, s("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
            s("ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"), {} },
        { Cmd::BracketView, s("ﾌﾞﾗｹｯﾄ ﾋﾞｭｰ(&B)"), {}, {} },
        { Cmd::BracketTool, s("ﾌﾞﾗｹｯﾄ ﾂｰﾙ(&R)"), {}, {} },
        { Cmd::AppAbout, s("ﾊﾞｰｼﾞｮﾝ情報(Kestrin) (&A)"),
            s("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"), {} },
        { Cmd::NextPane, {}, {}, QKeySequence(Qt::Key_F6) },
        { Cmd::PrevPane, {}, {}, QKeySequence(Qt::SHIFT | Qt::Key_F6) },
    };
    return table;
}

const CommandRow* CommandTable::find(int id)
{
    for (const CommandRow& row : rows())
        if (row.id == id)
            return &row;
    return nullptr;
}
