#include "ui/dialogs/caboutdlg.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("6005"));
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報(Kestrin)"));
    auto* layout = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/kestrin.png")).pixmap(32, 32));
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(QStringLiteral("Kestrin Version 1.0"), this);
    layout->addWidget(text, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignTop);
    layout->setContentsMargins(16, 14, 12, 14);
    layout->setSpacing(16);
}
