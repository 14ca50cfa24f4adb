#include "res/strings.h"

#include <QHash>

namespace Res {

QString text(int id)
{
    static const QHash<int, QString> table = {
        { IdsAppTitle, QStringLiteral("Kestrin") },
        { IdsIdle, QStringLiteral("ﾚﾃﾞｨ") },
    };
    return table.value(id);
}

} // namespace Res
