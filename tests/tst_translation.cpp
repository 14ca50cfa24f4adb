// The texts the user reads, walked in both languages on the real frame, the
// dialogs and the core's messages: English shows no Japanese character, and
// Japanese shows no text left in English. The translation source is complete.
#include "core/commands/commandtable.h"
#include "core/consultation/consultationfile.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/tiptext.h"
#include "core/host/language.h"
#include "core/output/photoregistration.h"
#include "core/output/printlayout.h"
#include "core/output/stamppainter.h"
#include "core/text/strings.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/dialogs/caboutdlg.h"
#include "ui/dialogs/cbracketdlg.h"
#include "ui/dialogs/cbracketeditdlg.h"
#include "ui/dialogs/photochooserdialog.h"
#include "ui/dialogs/qdialogbrightness.h"
#include "ui/dialogs/qdialogcolorbalance.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"

#include <QComboBox>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTableView>

namespace {

// Hiragana, katakana (full and half width), CJK ideographs and full-width forms.
const QRegularExpression Japanese(
    QStringLiteral("[\\x{3040}-\\x{30FF}\\x{3400}-\\x{9FFF}\\x{FF01}-\\x{FF9F}]"));
// Texts that read the same in both languages: names, numbers, "OK", the status
// bar's key indicators (CAP, NUM…) and the two bar titles the product has always
// shown in English (TIPS, Clip Tool).
const QRegularExpression Neutral(QStringLiteral(
    "^(|&?O[Kk]|(\\S+ - )?Kestrin( Version [0-9.]+)?|Clip Tool|[A-Z]{3,4}|[0-9 %.:/+-]*)$"));

void addWidgetTexts(QWidget* root, QStringList& texts)
{
    const QList<QObject*> objects = root->findChildren<QObject*>() << root;
    for (QObject* o : objects) {
        for (const char* name :
            { "text", "title", "placeholderText", "windowTitle", "toolTip", "statusTip" })
            texts << o->property(name).toString();
        if (auto* combo = qobject_cast<QComboBox*>(o))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto* table = qobject_cast<QTableView*>(o); table && table->model())
            for (int c = 0; c < table->model()->columnCount(); ++c)
                texts << table->model()->headerData(c, Qt::Horizontal).toString()
                      << table->model()->index(0, c).data(Qt::ToolTipRole).toString();
    }
}

// The messages of the core that reach the user, for every kind of failure.
void addCoreTexts(const testutils::IsolatedHost& host, QStringList& texts)
{
    for (int id = Res::IdsAppTitle; id <= Res::IdsClipEnclosesNothing; ++id)
        texts << Res::text(id);
    for (const CommandRow& row : CommandTable::rows())
        texts << row.menuText() << row.statusTip() << row.toolTip();
    for (int e = ConsultationFile::Unreadable; e <= ConsultationFile::PhotoMismatch; ++e)
        texts << ConsultationFile::message(ConsultationFile::Error(e));
    for (int e = SecureFile::NoError; e <= SecureFile::OtherError; ++e)
        texts << PhotoRegistration::failureText(SecureFile::Error(e), QStringLiteral("/x"));
    const QString folder = host.path("gallery/");
    testutils::writeBytes(folder + "bracket0009.png", "not a picture");
    testutils::writeBytes(folder + "loose.png", {});
    texts << GalleryCatalogue::CheckGallery(folder, folder + "bracket.csv")
          << GalleryCatalogue::CheckGallery(folder, folder + "missing.csv")
          << PrintLayout::headerText(QStringLiteral("P7"), QDate(2026, 3, 4))
          << TipText::Format(GalleryEntry());
}

// The Japanese string literals of a source file that reach the user without a
// translation: neither in tr(), translate() nor a NOOP marker. Font family names
// are names, not texts. Comments, character literals and runs of adjacent string
// literals are matched in one pass, so quotes in comments mislead nothing.
QStringList untranslatedLiterals(const QString& code)
{
    static const QRegularExpression token(QStringLiteral(
        "//[^\\n]*|/\\*[\\s\\S]*?\\*/|'(?:\\\\.|[^'\\\\])*'|(?:\"(?:\\\\.|[^\"\\\\])*\"\\s*)+"));
    static const QRegularExpression wrapped(QStringLiteral(
        "(\\btr\\(|translate\\(\\s*\"\\w+\",|NOOP\\((\\s*\"\\w+\",)?)\\s*$|Famil|QFont"));
    QStringList found;
    for (const QRegularExpressionMatch& m : token.globalMatch(code)) {
        if (m.captured().startsWith(QLatin1Char('"')) && m.captured().contains(Japanese)
            && !code.left(m.capturedStart()).right(80).contains(wrapped))
            found << m.captured();
    }
    return found;
}

} // namespace

class TestTranslation : public QObject {
    Q_OBJECT

private slots:
    void everyText_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ja") << QStringLiteral("ja");
        QTest::newRow("en") << QStringLiteral("en");
    }
    void everyText()
    {
        QFETCH(QString, language);
        Language::apply(language);
        testutils::IsolatedHost host;
        testutils::makeGallery(host);

        QStringList texts;
        {
            CMainFrame frame;
            CKestrinDoc doc(&frame);
            QVERIFY(
                doc.OnOpenDocument(testutils::solidPicture(host.path(""), 320, 240, 0xff808080)));
            addWidgetTexts(&frame, texts);
        }
        for (QWidget* dialog : std::initializer_list<QWidget*> { new CAboutDlg,
                 new QDialogBrightness, new QDialogColorBalance, new CBracketDlg,
                 new CBracketEditDlg, new PhotoChooserDialog })
            addWidgetTexts(std::unique_ptr<QWidget>(dialog).get(), texts);
        addCoreTexts(host, texts);

        QVERIFY(texts.size() > 150);
        // In English, any Japanese character is a text left untranslated; in
        // Japanese, an English text is one that never went through a catalogue.
        for (const QString& text : std::as_const(texts))
            QVERIFY2(language == "en" ? !text.contains(Japanese)
                                      : text.contains(Japanese) || Neutral.match(text).hasMatch(),
                qPrintable(text));
    }

    // The environment wins when it names a language; the INI decides otherwise.
    void languageChoice_data()
    {
        QTest::addColumn<QStringList>("v"); // environment, INI, chosen
        QTest::newRow("nothing set") << QStringList { "", "", "ja" };
        QTest::newRow("ini") << QStringList { "", " EN", "en" };
        QTest::newRow("environment over ini") << QStringList { "ja", "en", "ja" };
        QTest::newRow("unknown environment") << QStringList { "fr", "en", "en" };
    }
    void languageChoice()
    {
        QFETCH(QStringList, v);
        testutils::IsolatedHost host;
        QSettings(host.path("Molvex.ini"), QSettings::IniFormat).setValue("BRACKET/Language", v[1]);
        qputenv("KESTRIN_LANG", v[0].toUtf8());
        QCOMPARE(Language::chosen(), v[2]);
        qunsetenv("KESTRIN_LANG");
    }

    // A Japanese text added without tr() would show Japanese in English mode
    // wherever it appears, walked above or not.
    void sourcesAreWrapped()
    {
        const QString root = qEnvironmentVariable("KESTRIN_SOURCE_DIR");
        QVERIFY(QFileInfo(root + "/core/text/strings.cpp").isFile());
        for (const char* folder : { "core", "ui", "app", "tools" }) {
            QDirIterator it(
                root + '/' + folder, { "*.cpp", "*.h" }, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QStringList found
                    = untranslatedLiterals(QString::fromUtf8(testutils::readAll(it.next())));
                QVERIFY2(found.isEmpty(), qPrintable(it.filePath() + ": " + found.value(0)));
            }
        }
    }

    // Every message has a translation that keeps the source's placeholders,
    // mnemonic and shortcut, so a release never shows a Japanese fallback.
    void catalogueIsComplete()
    {
        const QString ts = QString::fromUtf8(testutils::readAll(
            qEnvironmentVariable("KESTRIN_SOURCE_DIR") + "/translations/kestrin_en.ts"));
        const QRegularExpression message(QStringLiteral(
            "(?s)<source>(.*?)</source>\\s*<translation([^>]*)>(.*?)</translation>"));
        const QRegularExpression marks(QStringLiteral("%\\d|&amp;|\\t")); // as the XML holds them
        const auto marksOf = [&](const QString& text) {
            QStringList found;
            for (const QRegularExpressionMatch& m : marks.globalMatch(text))
                found << m.captured();
            found.sort();
            return found;
        };
        int messages = 0;
        for (const QRegularExpressionMatch& m : message.globalMatch(ts)) {
            ++messages;
            const QString source = m.captured(1), translation = m.captured(3);
            QVERIFY2(m.captured(2).isEmpty() && !translation.trimmed().isEmpty()
                    && !translation.contains(Japanese),
                qPrintable(source));
            QVERIFY2(marksOf(translation) == marksOf(source), qPrintable(source));
        }
        QCOMPARE(messages, int(ts.count(QStringLiteral("<message>"))));
        QVERIFY(messages > 150);
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
