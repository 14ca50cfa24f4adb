#include "core/text/strings.h"

#include <QHash>

namespace Res {

QString text(int id)
{
    static const QHash<int, QString> table = {
        { IdsAppTitle, QStringLiteral("Kestrin") },
        { IdsIdle, QStringLiteral("ﾚﾃﾞｨ") },
        { IdsNoPasteOnReference,
            QStringLiteral("この画像は原画参照用のためﾌﾞﾗｹｯﾄを貼り付けできません！") },
        { IdsInformation, QStringLiteral("情報") },
        { IdsDefineClipFirst,
            QStringLiteral("ｸﾘｯﾌﾟ領域を指定してからﾌﾞﾗｹｯﾄを貼り付けてください。") },
        { IdsSaveFailed, QStringLiteral("画像の保存に失敗しました。") },
        { IdsClipToolTitle, QStringLiteral("Clip Tool") },
        { IdsBracketListTitle, QStringLiteral("ﾌﾞﾗｹｯﾄ ﾘｽﾄ") },
        { IdsTipFormat, QStringLiteral("ﾌﾞﾗｹｯﾄ : %1|素材 : %2|ﾜｲﾔｰ :  %3|") },
        { IdsDeleteBracketsHere, QStringLiteral("指定領域からﾌﾞﾗｹｯﾄを削除してよろしいですか？") },
        { IdsDiscardBracketsForClip,
            QStringLiteral("貼り付けたﾌﾞﾗｹｯﾄはすべて削除されます。新しいｸﾘｯﾌﾟ領域を指定しますか？") },
        { IdsClipEnclosesNothing,
            QStringLiteral("ｸﾘｯﾌﾟ領域のﾎﾟｲﾝﾄが3点未満のため、ﾌﾞﾗｹｯﾄは表示されません。"
                           "ｸﾘｯﾌﾟ領域を指定し直してください。") },
    };
    return table.value(id);
}

} // namespace Res
