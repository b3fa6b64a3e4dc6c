// SPDX-License-Identifier: MIT
#include "frm_edit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "flex_grid.h"
#include "window/value_editor.h"
#include "window/window_layout.h"
#include "window_support.h"

namespace zerka {

frmEdit::frmEdit(FlexGrid &table, frmEditLogic &logic, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      table_(table), logic_(logic)
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QString::fromLatin1(kEditorCaption));
    setModal(false);

    Label1[0] = new QLabel(QString::fromLatin1(kEditorCurrentLabel), this);
    Label1[1] = new QLabel(QString::fromLatin1(kEditorNewLabel), this);
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
        box->setFixedWidth(ToPixels(kEditorBoxWidthTwips));

    cmdSave = new QPushButton(QString::fromLatin1(kEditorSaveCaption), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QString::fromLatin1(kEditorCancelCaption), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    for (QPushButton *button : {cmdSave, cmdCancel})
        button->setFixedWidth(ToPixels(kEditorButtonWidthTwips));

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

void frmEdit::bringForward()
{
    raise();
    activateWindow();
}

void frmEdit::showModeless(const QString &value)
{
    Form_Load(value);
    adjustSize();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

void frmEdit::Form_Load(const QString &value)
{
    Text1->setText(value);
    Text2->setText(value);
    Text2->setSelection(0, static_cast<int>(Text2->text().size()));
    Text2->setFocus();
}

void frmEdit::cmdSave_Click()
{
    GridModel &cells = table_.cells();
    const frmEditLogic::Saved saved = logic_.Save(table_.row(), table_.col(), cells.rowCount());
    cells.setText(saved.Row, saved.Col, Text2->text());
    table_.setCurrentCell(saved.NextRow, saved.Col);
    hide();
}

void frmEdit::cmdCancel_Click()
{
    logic_.Close();
    hide();
}

void frmEdit::closeEvent(QCloseEvent *event)
{
    logic_.Close();
    QDialog::closeEvent(event);
}

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
