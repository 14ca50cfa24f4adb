// The dialog that edits the gallery entry selected in the bracket list: its
// bracket, material, wire, vendor and memo texts and whether it is inner or outer.
#pragma once

#include <QDialog>

class BracketTextGroup;

class CBracketEditDlg : public QDialog {
    Q_OBJECT

public:
    explicit CBracketEditDlg(QWidget* parent = nullptr);

    // Filled by the caller before the dialog is shown, and read back by it after
    // the dialog ended with OK (never empty then).
    QString m_strBracket;
    QString m_strMaterial;
    QString m_strWire;
    QString m_strVendor;
    QString m_strMemo;
    QString m_strSide; // "inner" or "outer"
    // The catalogue the texts go to, whose encoding decides what can be typed.
    QString m_strCatalogueFile;

    // Takes the boxes' texts, or refuses empty ones or characters the catalogue
    // cannot hold and stays open.
    void accept() override;

    BracketTextGroup* Texts() const { return m_texts; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();

    BracketTextGroup* m_texts;
    bool m_bInitialised = false;
};
