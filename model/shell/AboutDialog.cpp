#include "AboutDialog.h"

#include "Resources.h"
#include "StringTable.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Model"));
    auto* icon = new QToolButton(this);
    icon->setIcon(ProgramIcon());
    icon->setIconSize(QSize(32, 32));
    icon->setAutoRaise(true);
    icon->setFocusPolicy(Qt::NoFocus);
    auto* text = new QLabel(QString::fromUtf8(LoadResourceString(IDS_ABOUT_VERSION)), this);
    text->setObjectName(QStringLiteral("versionLabel"));
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}
