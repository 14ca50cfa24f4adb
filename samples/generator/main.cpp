// kestrin-samplegen OUTDIR: writes the bundled sample photograph OUTDIR/smile.jpg
// and the sample gallery OUTDIR/Gallery (bracket.csv and its pictures).
#include "bracketrowpainter.h"
#include "smilepainter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

struct Sample {
    const char* bracket;
    const char* material;
    const char* wire;
    const char* side;
    BracketRowPainter::Style style;
};

QVector<Sample> samples()
{
    using P = BracketRowPainter;
    const QColor grey(178, 182, 188, 235);
    const QColor pearl(246, 242, 236, 170);
    const QColor clear(236, 244, 250, 120);
    const QColor blue(30, 110, 230, 240);
    const QVector<QColor> rainbow { QColor(30, 110, 230, 240), QColor(236, 64, 140, 240),
        QColor(60, 190, 90, 240), QColor(250, 196, 20, 240), QColor(140, 70, 210, 240),
        QColor(250, 110, 30, 240) };

    return {
        { "メタル スタンダード", "ステンレス", "NiTi .014", "outer",
            { P::Design::Twin, P::Finish::Steel, P::Wire::Steel, P::Tie::Elastic, { grey }, false,
                1.0, P::Finish::Steel } },
        { "メタル ミニ フック付", "ステンレス", "SS .016x.022", "outer",
            { P::Design::Twin, P::Finish::Steel, P::Wire::Steel, P::Tie::Ligature, {}, true, 0.85,
                P::Finish::Steel } },
        { "セラミック クリア", "多結晶アルミナ", "ホワイトコート NiTi .016", "outer",
            { P::Design::Twin, P::Finish::Ceramic, P::Wire::WhiteCoated, P::Tie::Elastic, { pearl },
                false, 1.0, P::Finish::Steel } },
        { "サファイア", "単結晶サファイア", "ホワイトコート NiTi .014", "outer",
            { P::Design::Twin, P::Finish::Sapphire, P::Wire::WhiteCoated, P::Tie::Elastic,
                { clear }, false, 1.0, P::Finish::Steel } },
        { "ゴールド", "金メッキ ステンレス", "ゴールド NiTi .016", "outer",
            { P::Design::Twin, P::Finish::Gold, P::Wire::Gold, P::Tie::Ligature, {}, false, 1.0,
                P::Finish::Gold } },
        { "カラーモジュール レインボー", "ステンレス+エラスティック", "NiTi .014", "outer",
            { P::Design::Twin, P::Finish::Steel, P::Wire::Steel, P::Tie::Elastic, rainbow, false,
                1.0, P::Finish::Steel } },
        { "カラーモジュール ブルー", "ステンレス+エラスティック", "NiTi .016", "outer",
            { P::Design::Twin, P::Finish::Steel, P::Wire::Steel, P::Tie::Elastic, { blue }, false,
                1.0, P::Finish::Steel } },
        { "セルフライゲーション", "ステンレス", "CuNiTi .014", "outer",
            { P::Design::SelfLigating, P::Finish::Steel, P::Wire::Steel, P::Tie::None, {}, false,
                1.0, P::Finish::Steel } },
        { "セルフライゲーション クリア", "セラミック", "ホワイトコート NiTi .016", "outer",
            { P::Design::SelfLigating, P::Finish::Ceramic, P::Wire::WhiteCoated, P::Tie::None, {},
                false, 1.0, P::Finish::Steel } },
        { "リンガル メタル", "ステンレス", "βチタン .017x.025", "inner",
            { P::Design::Lingual, P::Finish::Steel, P::Wire::Steel, P::Tie::None, {}, false, 0.8,
                P::Finish::Steel } },
        { "リンガル ゴールド", "金合金", "SS .016x.022", "inner",
            { P::Design::Lingual, P::Finish::Gold, P::Wire::Steel, P::Tie::None, {}, false, 0.8,
                P::Finish::Gold } },
    };
}

bool save(const QImage& image, const QString& path, int quality = -1)
{
    QImageWriter writer(path);
    if (quality >= 0)
        writer.setQuality(quality);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "kestrin-samplegen: cannot write %s: %s\n", qPrintable(path),
        qPrintable(writer.errorString()));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Only painting into images: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kestrin-samplegen OUTDIR\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!out.mkpath("Gallery")) {
        std::fprintf(
            stderr, "kestrin-samplegen: cannot create %s\n", qPrintable(out.filePath("Gallery")));
        return 1;
    }

    if (!save(SmilePainter::paint(), out.filePath("smile.jpg"), 92))
        return 1;

    // The catalogue in the form the Windows version writes, but UTF-8: seven
    // fields, CR LF, no header.
    QByteArray catalogue;
    const QVector<Sample> list = samples();
    for (int i = 0; i < list.size(); ++i) {
        const Sample& s = list.at(i);
        const QString name = QStringLiteral("bracket%1.png").arg(i + 1, 4, 10, QLatin1Char('0'));
        if (!save(BracketRowPainter::paint(s.style), out.filePath("Gallery/" + name)))
            return 1;
        const QString number = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
        const QStringList fields { name, QString::fromUtf8(s.bracket),
            QString::fromUtf8(s.material), QString::fromUtf8(s.wire), "Vendor" + number,
            "Memo" + number, QString::fromUtf8(s.side) };
        catalogue += fields.join(',').toUtf8() + "\r\n";
    }
    QFile csv(out.filePath("Gallery/bracket.csv"));
    if (!csv.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || csv.write(catalogue) != catalogue.size() || !csv.flush()) {
        std::fprintf(stderr, "kestrin-samplegen: cannot write %s\n", qPrintable(csv.fileName()));
        return 1;
    }
    return 0;
}
