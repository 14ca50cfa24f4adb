#include "ui/frame/paneoutput.h"

#include "ui/frame/cmainframe.h"
#include "core/text/strings.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/output/photoregistration.h"
#include "core/output/printlayout.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
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

void PaneOutput::saveAs(CMainFrame* frame)
{
    if (!hasPhoto(frame))
        return;
    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setNameFilters({ QStringLiteral("JPG File(*.jpg)"), QStringLiteral("ALL File(*.*)") });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveComposite(frame, dialog.selectedFiles().constFirst());
}

bool PaneOutput::saveComposite(CMainFrame* frame, const QString& path, bool reportFailure)
{
    if (!hasPhoto(frame))
        return false;
    int rows = 0, cols = 0;
    const QVector<int> paneSlots = shownSlots(frame, &rows, &cols);
    const CompositeRenderer renderer(frame->workspace(), paneSlots, rows, cols);

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
                       QStringLiteral("この画像は登録済みです。もう一度登録しますか？"))
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
    QPrintPreviewDialog dialog(printer(), frame);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [frame](QPrinter* preview) { OnPrint(frame, preview); });
    dialog.exec();
}

void PaneOutput::printerSetup(QWidget* parent)
{
    QPageSetupDialog dialog(printer(), parent);
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
    if (!hasPhoto(frame) || !target)
        return;
    int rows = 0, cols = 0;
    const QVector<int> paneSlots = shownSlots(frame, &rows, &cols);
    const int printableWidth = target->pageLayout().paintRectPixels(target->resolution()).width();
    const PrintLayout layout(frame->workspace(), paneSlots, rows, cols, printableWidth);
    QPainter painter;
    if (!painter.begin(target))
        return;
    layout.paint(&painter);
    painter.end();
}

QPrinter* PaneOutput::printer()
{
    if (!sharedPrinter) {
        sharedPrinter = new QPrinter(QPrinter::HighResolution);
        // Before the application object goes, while the print system is still up.
        qAddPostRoutine(dropSharedPrinter);
    }
    return sharedPrinter;
}
