// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace zerka {

// The message boxes and the file dialog of the window, behind one interface so that
// tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box captioned "Zerka" with the OK button only; text may break lines
    // with CR LF.
    virtual void showMessage(QWidget *parent, const QString &text) = 0;

    // Asks for the model file of a hierarchy, starting in startFolder, and returns its
    // path. Throws FileError code 32755 (Cancelled) when the person cancels.
    virtual QString openHierarchyFile(QWidget *parent, const QString &startFolder) = 0;
};

// The real boxes: QMessageBox and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    void showMessage(QWidget *parent, const QString &text) override;
    QString openHierarchyFile(QWidget *parent, const QString &startFolder) override;
};

// The dialog QtDialogs asks for a model file with, set up but not shown: it opens in
// startFolder with "*.3do" in its name field.
std::unique_ptr<QFileDialog> MakeHierarchyDialog(QWidget *parent, const QString &startFolder);

}  // namespace zerka
