#include "ui/frame/gallerycommands.h"

#include "core/gallery/gallerycatalogue.h"
#include "core/host/imagekit.h"
#include "core/text/strings.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/dialogs/cbracketdlg.h"
#include "ui/dialogs/cbracketeditdlg.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

void warn(QWidget* frame, const QString& text)
{
    QMessageBox::warning(frame, Res::text(Res::IdsAppTitle), text);
}

// Reloads after a change, or after a refusal that found the file changed:
// either way the list shows the catalogue as it now is.
void showResult(QWidget* frame, QBrackListDiag* list, const GalleryChange& change)
{
    if (!change.ok())
        warn(frame, change.message());
    list->ReloadGallery();
}

} // namespace

void GalleryCommands::Add(QWidget* frame, QBrackListDiag* list)
{
    // Only the description shows, so the long pattern list does not crowd the
    // box; the patterns still filter. The dialog itself insists that the file exists.
    const QString path = QFileDialog::getOpenFileName(frame,
        QCoreApplication::translate("GalleryCommands", "開く"), QString(), ImageFilter(), nullptr,
        QFileDialog::HideNameFilterDetails | QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    AddPicture(frame, list, path);
}

bool GalleryCommands::AddPicture(QWidget* frame, QBrackListDiag* list, const QString& path)
{
    ImageKit probe;
    if (!probe.openImage(path)) {
        warn(frame,
            QCoreApplication::translate(
                "GalleryCommands", "画像を読み込めません。ギャラリーには何も追加されていません。\n")
                + path);
        return false;
    }
    CBracketDlg dialog(frame);
    dialog.m_strImagePath = path;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (list) {
        list->ReloadGallery();
        list->SelectEntry(dialog.WrittenPicture());
    }
    return true;
}

void GalleryCommands::Edit(QWidget* frame, QBrackListDiag* list)
{
    const GalleryEntry* selected = list ? list->SelectedEntry() : nullptr;
    if (!selected)
        return;
    const GalleryEntry before = *selected;
    CBracketEditDlg dialog(frame);
    dialog.m_strBracket = before.bracketName;
    dialog.m_strMaterial = before.material;
    dialog.m_strWire = before.wire;
    dialog.m_strVendor = before.vendor;
    dialog.m_strMemo = before.memo;
    dialog.m_strSide = before.side;
    dialog.m_strCatalogueFile = GalleryCatalogue::CatalogueFile();
    if (dialog.exec() != QDialog::Accepted)
        return;
    GalleryEntry after = before;
    after.bracketName = dialog.m_strBracket;
    after.material = dialog.m_strMaterial;
    after.wire = dialog.m_strWire;
    after.vendor = dialog.m_strVendor;
    after.memo = dialog.m_strMemo;
    after.side = dialog.m_strSide;
    showResult(frame, list,
        GalleryCatalogue::EditEntry(
            GalleryCatalogue::GalleryFolder(), GalleryCatalogue::CatalogueFile(), before, after));
}

void GalleryCommands::Delete(QWidget* frame, QBrackListDiag* list)
{
    const GalleryEntry* selected = list ? list->SelectedEntry() : nullptr;
    if (!selected)
        return;
    const GalleryEntry entry = *selected;
    const auto answer = QMessageBox::question(frame, Res::text(Res::IdsAppTitle),
        QCoreApplication::translate(
            "GalleryCommands", "「%1」をギャラリーから削除しますか？\n画像ファイル %2 は残ります。")
            .arg(entry.bracketName, entry.pictureName()),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    showResult(frame, list,
        GalleryCatalogue::DeleteEntry(
            GalleryCatalogue::GalleryFolder(), GalleryCatalogue::CatalogueFile(), entry));
}

QString GalleryCommands::ImageFilter()
{
    return QCoreApplication::translate(
        "GalleryCommands", "画像ファイル (*.bmp *.jpg *.jpeg *.png)");
}
