// The language the user reads: Japanese unless the environment or the host INI
// asks for English, and the translators that make the application speak it.
#pragma once

#include <QString>

class Language {
public:
    // "ja" or "en": KESTRIN_LANG when it holds one of them, else [BRACKET]
    // Language from the INI, else "ja".
    static QString chosen();
    // Makes the running application speak `code` ("en"; anything else is
    // Japanese): our texts, Qt's own dialogs and buttons, and the default locale
    // that file dialogs and dates follow. Replaces what an earlier call installed.
    static void apply(const QString& code);
};
