// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zerka {

class FlexGrid;

// The value editor: changes the text of the keyframe table's current cell. Only the
// table changes; the loaded key file and anything written from it do not.
class frmEdit : public QDialog {
    Q_OBJECT
public:
    frmEdit(FlexGrid &table, QWidget *parent);

    // The current cell's text when the editor was last asked for.
    QString EditValue;

    // Shows the editor for EditValue without blocking the window. An editor that is open
    // already only comes forward; its boxes keep the values it was opened with.
    void showModeless();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void cmdSave_Click();
    void cmdCancel_Click();

    FlexGrid &table_;
    std::array<QLabel *, 2> Label1{};
    QLineEdit *Text1;
    QLineEdit *Text2;
    QPushButton *cmdSave;
    QPushButton *cmdCancel;
};

}  // namespace zerka
