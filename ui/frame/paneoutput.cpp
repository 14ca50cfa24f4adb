#include "ui/frame/paneoutput.h"

#include "core/host/hostdialogs.h"
#include "core/host/profile.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/output/photoregistration.h"
#include "core/output/printlayout.h"
#include "core/text/strings.h"
#include "ui/frame/cmainframe.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>

namespace {

QPrinter* sharedPrinter = nullptr;

void dropSharedPrinter()
{
    delete sharedPrinter;
    sharedPrinter = nullptr;
}

// Every output needs the full photograph, so this waits for its decode when needed.
bool hasPhoto(CMainFrame* frame) { return frame && frame->workspace().photo() != nullptr; }

const QString SaveFolderSection = QStringLiteral("BRACKET");
const QString SaveFolderKey = QStringLiteral("SAVEDIR");

} // namespace

QVector<int> PaneOutput::shownSlots(const CMainFrame* frame, int* rows, int* cols)
{
    const PaneLayout* layout = frame ? &frame->workspace().m_layout : nullptr;
    if (rows)
        *rows = layout ? layout->rows() : 0;
    if (cols)
        *cols = layout ? layout->cols() : 0;
    return layout ? layout->shownSlots() : QVector<int>();
}

QString PaneOutput::suggestedName(
    const QString& patientId, const QString& photoPath, const QDate& day)
{
    // A patient id may hold characters a file name cannot.
    QString patient = patientId.trimmed();
    patient.replace(
        QRegularExpression(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])")), QStringLiteral("_"));
    if (!patient.isEmpty())
        return patient + '_' + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".jpg");
    const QString base = QFileInfo(photoPath).completeBaseName();
    return (base.isEmpty() ? QStringLiteral("kestrin") : base + QStringLiteral("_kestrin"))
        + QStringLiteral(".jpg");
}

void PaneOutput::saveAs(CMainFrame* frame)
{
    if (!hasPhoto(frame))
        return;
    QString folder = Profile::getString(SaveFolderSection, SaveFolderKey, QString());
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QFileInfo(frame->photoPath()).absolutePath();
    // Qt's own dialog: it speaks the application's language whatever the desktop.
    QFileDialog dialog(frame);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(folder);
    dialog.selectFile(
        suggestedName(HostDialogs::currentPatient(), frame->photoPath(), QDate::currentDate()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setNameFilters({ QStringLiteral("JPG File(*.jpg)"), QStringLiteral("ALL File(*.*)") });
    // Off whatever the view shows: a saved composite is taken for the patient's
    // true face unless the user asks for the mirrored one.
    auto* mirrored = new QCheckBox(QCoreApplication::translate("PaneOutput", "鏡像で保存"));
    mirrored->setObjectName(QStringLiteral("saveMirrored"));
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(mirrored, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    Profile::writeString(SaveFolderSection, SaveFolderKey, QFileInfo(path).absolutePath());
    saveComposite(frame, path, true, mirrored->isChecked());
}

bool PaneOutput::saveComposite(
    CMainFrame* frame, const QString& path, bool reportFailure, bool mirrored)
{
    if (!hasPhoto(frame))
        return false;
    int rows = 0, cols = 0;
    const QVector<int> paneSlots = shownSlots(frame, &rows, &cols);
    const CompositeRenderer renderer(frame->workspace(), paneSlots, rows, cols, mirrored);

    // The save runs on this thread; only a long one earns the busy cursor, so that
    // a quick save does not flicker it.
    QElapsedTimer clock;
    clock.start();
    bool busy = false;
    const bool saved = CompositeWriter::saveComposite(renderer, path, [&clock, &busy] {
        if (!busy && clock.elapsed() > BusyCursorDelayMs) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            busy = true;
        }
        return true;
    });
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    if (!saved && reportFailure) {
        QMessageBox box(QMessageBox::Warning, Res::text(Res::IdsAppTitle),
            Res::text(Res::IdsSaveFailed), QMessageBox::Ok, frame);
        box.exec();
    }
    return saved;
}

void PaneOutput::registerComposite(CMainFrame* frame)
{
    if (!hasPhoto(frame))
        return;
    const PhotoRegistration::Result result = PhotoRegistration::registerPicture(
        [frame](const QString& path) { return saveComposite(frame, path, false); },
        [frame] {
            return QMessageBox::question(frame, Res::text(Res::IdsAppTitle),
                       QCoreApplication::translate(
                           "PaneOutput", "この画像は登録済みです。もう一度登録しますか？"))
                == QMessageBox::Yes;
        });
    if (result.ok()) {
        frame->statusBar()->showMessage(result.message);
    } else if (result.outcome != PhotoRegistration::Cancelled) {
        QMessageBox box(QMessageBox::Warning, Res::text(Res::IdsAppTitle), result.message,
            QMessageBox::Ok, frame);
        box.exec();
    }
}

void PaneOutput::print(CMainFrame* frame, bool withDialog)
{
    if (!hasPhoto(frame))
        return;
    QPrinter* target = printer();
    chooseOrientation(frame->workspace(), target);
    if (withDialog) {
        QPrintDialog dialog(target, frame);
        OnPreparePrinting(&dialog);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    OnPrint(frame, target);
}

void PaneOutput::printPreview(CMainFrame* frame)
{
    if (!hasPhoto(frame))
        return;
    chooseOrientation(frame->workspace(), printer());
    QPrintPreviewDialog dialog(printer(), frame);
    // Its prompt promises the whole screen, and the page needs the room.
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [frame](QPrinter* preview) { OnPrint(frame, preview); });
    dialog.exec();
}

void PaneOutput::printerSetup(QWidget* parent)
{
    // The print dialog is the one that lets the user pick the printer (a page
    // set-up dialog cannot, and refuses Qt's own printers outright); here it only
    // stores the choice in the shared printer for later prints.
    QPrintDialog dialog(printer(), parent);
    dialog.setWindowTitle(QCoreApplication::translate("PaneOutput", "ﾌﾟﾘﾝﾀの設定"));
    OnPreparePrinting(&dialog);
    dialog.exec();
}

void PaneOutput::OnPreparePrinting(QAbstractPrintDialog* dialog)
{
    if (!dialog)
        return;
    dialog->setMinMax(1, 1);
    dialog->setFromTo(1, 1);
}

void PaneOutput::OnPrint(CMainFrame* frame, QPrinter* target)
{
    if (hasPhoto(frame))
        printPage(frame->workspace(), target, HostDialogs::currentPatient());
}

bool PaneOutput::printPage(const Workspace& ws, QPrinter* target, const QString& patientId)
{
    const PaneLayout& panes = ws.m_layout;
    if (!ws.hasPhoto() || !target)
        return false;
    const QSize printable = target->pageLayout().paintRectPixels(target->resolution()).size();
    const QSize photo(ws.photoWidth(), ws.photoHeight());
    const QSize grid
        = PrintLayout::bestGrid(photo, panes.rows(), panes.cols(), printable, target->resolution());
    const PrintLayout layout(ws, panes.shownSlots(), grid.height(), grid.width(), printable,
        target->resolution(), PrintLayout::headerText(patientId, QDate::currentDate()));
    QPainter painter;
    if (!layout.isValid() || !painter.begin(target))
        return false;
    layout.paint(&painter);
    return painter.end();
}

void PaneOutput::chooseOrientation(const Workspace& ws, QPrinter* target)
{
    const PaneLayout& panes = ws.m_layout;
    QPageLayout portrait = target->pageLayout();
    portrait.setOrientation(QPageLayout::Portrait);
    const QSize photo(ws.photoWidth(), ws.photoHeight());
    target->setPageOrientation(PrintLayout::bestOrientation(photo, panes.rows(), panes.cols(),
        portrait.paintRectPixels(target->resolution()).size(), target->resolution()));
}

QPrinter* PaneOutput::printer()
{
    if (!sharedPrinter) {
        sharedPrinter = new QPrinter(QPrinter::HighResolution);
        // Lets a scripted run print to a file without a printer.
        if (const QString file = qEnvironmentVariable("KESTRIN_PRINT_FILE"); !file.isEmpty()) {
            sharedPrinter->setOutputFormat(QPrinter::PdfFormat);
            sharedPrinter->setOutputFileName(file);
        }
        // Before the application object goes, while the print system is still up.
        qAddPostRoutine(dropSharedPrinter);
    }
    return sharedPrinter;
}
