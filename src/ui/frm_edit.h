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
class frmEditLogic;

// The value editor: changes the text of the keyframe table's current cell by the rules of
// frmEditLogic. Only the table changes; the loaded key file and anything written from it
// do not.
class frmEdit : public QDialog {
    Q_OBJECT
public:
    frmEdit(FlexGrid &table, frmEditLogic &logic, QWidget *parent);

    // Shows the editor, both boxes holding value, without blocking the window.
    void showModeless(const QString &value);
    // An editor open already only comes forward.
    void bringForward();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load(const QString &value);
    void cmdSave_Click();
    void cmdCancel_Click();

    FlexGrid &table_;
    frmEditLogic &logic_;
    std::array<QLabel *, 2> Label1{};
    QLineEdit *Text1;
    QLineEdit *Text2;
    QPushButton *cmdSave;
    QPushButton *cmdCancel;
};

}  // namespace zerka
