// SPDX-License-Identifier: MIT
#include "frm_edit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "flex_grid.h"
#include "window_support.h"

namespace zerka {
namespace {

constexpr int kBoxWidthTwips = 1455;
constexpr int kButtonWidthTwips = 1215;

}  // namespace

frmEdit::frmEdit(FlexGrid &table, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      table_(table)
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Edit Value"));
    setModal(false);

    Label1[0] = new QLabel(QStringLiteral("Current Value:"), this);
    Label1[1] = new QLabel(QStringLiteral("Change to:"), this);
    for (QLabel *label : Label1) {
        label->setObjectName(QStringLiteral("Label1"));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Label1[0]->setProperty("index", 0);
    Label1[1]->setProperty("index", 1);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEnabled(false);
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    for (QLineEdit *box : {Text1, Text2})
        box->setFixedWidth(ToPixels(kBoxWidthTwips));

    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    for (QPushButton *button : {cmdSave, cmdCancel})
        button->setFixedWidth(ToPixels(kButtonWidthTwips));

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label1[0], 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(Label1[1], 1, 0);
    layout->addWidget(Text2, 1, 1);
    layout->addWidget(cmdSave, 2, 0);
    layout->addWidget(cmdCancel, 2, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, cmdSave);
    setTabOrder(cmdSave, cmdCancel);

    connect(cmdSave, &QPushButton::clicked, this, &frmEdit::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEdit::cmdCancel_Click);
}

void frmEdit::showModeless()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    Form_Load();
    adjustSize();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

void frmEdit::Form_Load()
{
    Text1->setText(EditValue);
    Text2->setText(EditValue);
    Text2->setSelection(0, static_cast<int>(Text2->text().size()));
    Text2->setFocus();
}

void frmEdit::cmdSave_Click()
{
    GridModel &cells = table_.cells();
    const int row = table_.row();
    const int col = table_.col();
    cells.setText(row, col, Text2->text());
    table_.setCurrentCell(std::min(row + 1, cells.rowCount() - 1), col);
    hide();
}

void frmEdit::cmdCancel_Click() { hide(); }

void frmEdit::keyPressEvent(QKeyEvent *event)
{
    // Esc is bound to no button here: it neither cancels nor closes.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zerka
