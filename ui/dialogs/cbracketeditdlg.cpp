#include "ui/dialogs/cbracketeditdlg.h"

#include "ui/dialogs/adjustmentcontrols.h"
#include "ui/dialogs/brackettextgroup.h"

#include <QLineEdit>
#include <QPushButton>

CBracketEditDlg::CBracketEditDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("6014"));
    setWindowTitle(tr("編集"));
    setFont(AdjustmentControls::dialogFont(font()));

    // Created in the order of the keyboard focus chain.
    m_texts = new BracketTextGroup(this);
    m_texts->PlaceAt(9, 5);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    const int buttonTop = 5 + BracketTextGroup::Height() + 10;
    ok->setGeometry(BracketTextGroup::DialogRect(this, 115, buttonTop, 50, 14));
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setAutoDefault(false);
    cancel->setGeometry(BracketTextGroup::DialogRect(this, 170, buttonTop, 50, 14));

    setFixedSize(BracketTextGroup::DialogRect(this, 0, 0, 230, buttonTop + 20).size());

    connect(ok, &QPushButton::clicked, this, &CBracketEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBracketEditDlg::reject);
}

void CBracketEditDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CBracketEditDlg::OnInitDialog()
{
    m_texts->SetTexts(m_strBracket, m_strMaterial, m_strWire);
    m_texts->SetDetails(m_strVendor, m_strMemo, m_strSide);
    m_texts->BracketBox()->setFocus(Qt::OtherFocusReason);
}

void CBracketEditDlg::accept()
{
    m_texts->Texts(m_strBracket, m_strMaterial, m_strWire);
    m_texts->Details(m_strVendor, m_strMemo, m_strSide);
    if (!m_texts->CheckFilled() || !m_texts->CheckWritable(m_strCatalogueFile))
        return;
    QDialog::accept();
}
