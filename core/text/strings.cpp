#include "core/text/strings.h"

#include <QCoreApplication>
#include <QHash>

namespace Res {

QString text(int id)
{
    // Sources only: the text is translated each time it is asked for, so it follows
    // the language the application speaks at that moment.
    static const QHash<int, const char*> table = {
        { IdsAppTitle, QT_TRANSLATE_NOOP("Res", "Kestrin") },
        { IdsIdle, QT_TRANSLATE_NOOP("Res", "ﾚﾃﾞｨ") },
        { IdsNoPasteOnReference,
            QT_TRANSLATE_NOOP("Res", "この画像は原画参照用のためﾌﾞﾗｹｯﾄを貼り付けできません！") },
        { IdsInformation, QT_TRANSLATE_NOOP("Res", "情報") },
        { IdsDefineClipFirst,
            QT_TRANSLATE_NOOP("Res", "ｸﾘｯﾌﾟ領域を指定してからﾌﾞﾗｹｯﾄを貼り付けてください。") },
        { IdsSaveFailed, QT_TRANSLATE_NOOP("Res", "画像の保存に失敗しました。") },
        { IdsClipToolTitle, QT_TRANSLATE_NOOP("Res", "Clip Tool") },
        { IdsBracketListTitle, QT_TRANSLATE_NOOP("Res", "ﾌﾞﾗｹｯﾄ ﾘｽﾄ") },
        { IdsTipFormat, QT_TRANSLATE_NOOP("Res", "ﾌﾞﾗｹｯﾄ : %1|素材 : %2|ﾜｲﾔｰ :  %3|") },
        { IdsDeleteBracketsHere,
            QT_TRANSLATE_NOOP("Res", "指定領域からﾌﾞﾗｹｯﾄを削除してよろしいですか？") },
        { IdsDiscardBracketsForClip,
            QT_TRANSLATE_NOOP(
                "Res", "貼り付けたﾌﾞﾗｹｯﾄはすべて削除されます。新しいｸﾘｯﾌﾟ領域を指定しますか？") },
        { IdsClipEnclosesNothing,
            QT_TRANSLATE_NOOP("Res",
                "ｸﾘｯﾌﾟ領域のﾎﾟｲﾝﾄが3点未満のため、ﾌﾞﾗｹｯﾄは表示されません。"
                "ｸﾘｯﾌﾟ領域を指定し直してください。") },
    };
    const char* source = table.value(id);
    return source ? QCoreApplication::translate("Res", source) : QString();
}

} // namespace Res
