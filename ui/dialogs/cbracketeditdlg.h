// The dialog that edits the three texts (bracket, material, wire) of the gallery
// entry selected in the bracket list.
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

    // Takes the boxes' texts, or refuses empty ones and stays open.
    void accept() override;

    BracketTextGroup* Texts() const { return m_texts; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();

    BracketTextGroup* m_texts;
    bool m_bInitialised = false;
};
