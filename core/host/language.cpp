#include "core/host/language.h"

#include "core/host/profile.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const QString Japanese = QStringLiteral("ja");
const QString English = QStringLiteral("en");

QString known(const QString& code)
{
    const QString lower = code.trimmed().toLower();
    return lower == Japanese || lower == English ? lower : QString();
}

// Owned by the application object once installed; tracked so a second apply()
// can take them out again.
QTranslator*& ours()
{
    static QTranslator* translator = nullptr;
    return translator;
}

QTranslator*& qtOwn()
{
    static QTranslator* translator = nullptr;
    return translator;
}

void remove(QTranslator*& translator)
{
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator);
    delete translator;
    translator = nullptr;
}

void install(QTranslator*& slot, const QLocale& locale, const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, name, QStringLiteral("_"), folder)
        && QCoreApplication::installTranslator(translator))
        slot = translator;
    else
        delete translator;
}

} // namespace

QString Language::chosen()
{
    const QString fromEnvironment = known(qEnvironmentVariable("KESTRIN_LANG"));
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString fromIni
        = known(Profile::getString(QStringLiteral("BRACKET"), QStringLiteral("Language")));
    return fromIni.isEmpty() ? Japanese : fromIni;
}

void Language::apply(const QString& code)
{
    remove(ours());
    remove(qtOwn());
    const bool english = known(code) == English;
    const QLocale locale = english ? QLocale(QLocale::English, QLocale::UnitedStates)
                                   : QLocale(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(locale);
    // The Japanese texts are the sources, so Japanese needs no catalogue of ours;
    // Qt's own texts are English at the source, so only Japanese needs Qt's
    // catalogue ("qt" pulls in qtbase's and the other modules' ones).
    if (english)
        install(ours(), locale, QStringLiteral("kestrin"), QStringLiteral(":/i18n"));
    else
        install(qtOwn(), locale, QStringLiteral("qt"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}
