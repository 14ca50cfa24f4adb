// The texts the user sees that are not command texts, keyed by their string ids,
// in UTF-8.
#pragma once

#include <QString>

namespace Res {

enum StringId : int {
    IdsAppTitle = 57344,
    IdsIdle = 57345,
    IdsNoPasteOnReference = 61452,
    IdsInformation = 61453,
    IdsDefineClipFirst = 61454,
    IdsSaveFailed = 61455,
    IdsClipToolTitle = 61456,
    IdsBracketListTitle = 61457,
    IdsTipFormat = 61461,
    IdsDeleteBracketsHere = 61462,
    IdsDiscardBracketsForClip = 61463,
    IdsClipEnclosesNothing = 61464,
};

// Text for `id`; an empty string for an unknown id.
QString text(int id);

} // namespace Res
