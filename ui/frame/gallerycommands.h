// The frame's three gallery commands: add a picture to the gallery, edit the
// selected entry, delete the selected entry. Each changes exactly one catalogue
// line, tells the user when the change could not be saved, and then shows the
// catalogue as it really is. Picture files are never deleted or renamed.
#pragma once

class QBrackListDiag;
class QString;
class QWidget;

class GalleryCommands {
public:
    // Asks for a picture file, then adds it through the add dialog and reloads
    // the list when the dialog ended with OK.
    static void Add(QWidget* frame, QBrackListDiag* list);
    // The part of Add after the file was chosen. True when the dialog ended with
    // OK; a picture that cannot be read is refused before the dialog opens.
    static bool AddPicture(QWidget* frame, QBrackListDiag* list, const QString& path);
    // Edits the selected entry. Nothing without a selection or on cancel.
    static void Edit(QWidget* frame, QBrackListDiag* list);
    // Removes the selected entry's line once the user has confirmed. Nothing
    // without a selection.
    static void Delete(QWidget* frame, QBrackListDiag* list);

    // The file dialog's filter: image files by the extensions the gallery accepts.
    static QString ImageFilter();
};
