#include "ui/frame/gallerycommands.h"

#include "ui/dialogs/cbracketdlg.h"
#include "ui/dialogs/cbracketeditdlg.h"
#include "core/gallery/gallerycatalogue.h"
#include "ui/bars/qbracklistdiag.h"

#include <QFileDialog>

void GalleryCommands::Add(QWidget* frame, QBrackListDiag* list)
{
    // Only the description shows, so the long pattern list does not crowd the
    // box; the patterns still filter. The dialog itself insists that the file exists.
    const QString path
        = QFileDialog::getOpenFileName(frame, QStringLiteral("開く"), QString(), ImageFilter(),
            nullptr, QFileDialog::HideNameFilterDetails | QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    AddPicture(frame, list, path);
}

bool GalleryCommands::AddPicture(QWidget* frame, QBrackListDiag* list, const QString& path)
{
    CBracketDlg dialog(frame);
    dialog.m_strImagePath = path;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (list)
        list->ReloadGallery();
    return true;
}

void GalleryCommands::Edit(QWidget* frame, QBrackListDiag* list)
{
    QString bracket, material, wire;
    if (!list || !list->SelectedTexts(bracket, material, wire))
        return;
    CBracketEditDlg dialog(frame);
    dialog.m_strBracket = bracket;
    dialog.m_strMaterial = material;
    dialog.m_strWire = wire;
    if (dialog.exec() != QDialog::Accepted)
        return;
    list->UpdateSelected(std::nullopt, dialog.m_strBracket, dialog.m_strMaterial, dialog.m_strWire);
    // A failed rewrite leaves the old file as it was and is not reported; the
    // list keeps the change until the next reload.
    list->SaveCatalogue(GalleryCatalogue::CatalogueFile());
}

void GalleryCommands::Delete(QWidget*, QBrackListDiag* list)
{
    // Without a selection a rewrite would still drop the lines whose pictures
    // are missing, which no one asked for.
    if (!list || list->SelectedIndex() < 0)
        return;
    list->DeleteSelected();
    list->SaveCatalogue(GalleryCatalogue::CatalogueFile());
}

QString GalleryCommands::ImageFilter()
{
    return QStringLiteral("画像ファイル (*.bmp *.jpg *.jpeg *.png)");
}
