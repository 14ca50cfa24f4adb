#include "ui/frame/headlessexport.h"

#include "core/consultation/consultationfile.h"
#include "core/host/hostdialogs.h"
#include "core/host/language.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "ui/frame/paneoutput.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <cstdio>
#include <cstring>

namespace {

const char* const Switch = "--export";

void report(const QString& text) { std::fprintf(stderr, "kestrin: %s\n", qUtf8Printable(text)); }

// The page as the print command lays it out on the default printer settings.
bool printPdf(const Workspace& ws, const QString& out)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out);
    PaneOutput::chooseOrientation(ws, &printer);
    return PaneOutput::printPage(ws, &printer, HostDialogs::currentPatient());
}

} // namespace

bool HeadlessExport::requested(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], Switch) == 0)
            return true;
    return false;
}

int HeadlessExport::run(int argc, char** argv)
{
    // Rendering needs fonts and painting but never a screen: the offscreen
    // platform works where no display exists, whatever the environment names.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Language::apply(Language::chosen());
    const QStringList args = app.arguments();
    const int at = args.indexOf(QString::fromLatin1(Switch));
    if (at < 0 || at + 2 >= args.size()) {
        report(QCoreApplication::translate(
            "HeadlessExport", "使い方: kestrin --export 相談ファイル.kestrin 出力.jpg|出力.pdf"));
        return 2;
    }
    QString warning;
    const QString error = exportConsultation(args.at(at + 1), args.at(at + 2), &warning);
    if (!warning.isEmpty())
        report(warning);
    if (!error.isEmpty()) {
        report(error);
        return 1;
    }
    return 0;
}

QString HeadlessExport::exportConsultation(
    const QString& consultation, const QString& out, QString* warning)
{
    ConsultationFile::Error error = ConsultationFile::NoError;
    const std::optional<ConsultationFile> file = ConsultationFile::load(consultation, &error);
    if (!file)
        return ConsultationFile::message(error) + QStringLiteral(": ") + consultation;
    switch (file->checkPhoto(file->photoPath)) {
    case ConsultationFile::PhotoState::Missing:
        return QCoreApplication::translate("HeadlessExport", "相談の写真が見つかりません: ")
            + file->photoPath;
    case ConsultationFile::PhotoState::Changed:
        if (warning)
            *warning = QCoreApplication::translate(
                           "HeadlessExport", "写真の内容が相談の保存時から変わっています: ")
                + file->photoPath;
        break;
    case ConsultationFile::PhotoState::Same:
        break;
    }
    QImage photo = file->readPhoto(file->photoPath, &error);
    if (photo.isNull())
        return ConsultationFile::message(error) + QStringLiteral(": ") + file->photoPath;

    Workspace ws;
    file->applyTo(ws, file->photoPath, std::move(photo), {});
    if (out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return printPdf(ws, out)
            ? QString()
            : QCoreApplication::translate("HeadlessExport", "PDFを書き込めません: ") + out;
    const PaneLayout& layout = ws.m_layout;
    const CompositeRenderer renderer(ws, layout.shownSlots(), layout.rows(), layout.cols());
    return CompositeWriter::saveComposite(renderer, out)
        ? QString()
        : QCoreApplication::translate("HeadlessExport", "画像の保存に失敗しました: ")
            + CompositeWriter::jpegPath(out);
}
