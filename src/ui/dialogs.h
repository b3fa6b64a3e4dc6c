// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QMessageBox;
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

    // The box after a batch: like showMessage, with details (CR LF too) behind its
    // "Show Details..." button unless they are empty. It fits the screen it is on.
    virtual void showSummary(QWidget *parent, const QString &text, const QString &details) = 0;

    // Asks for the model file of a hierarchy, starting in startFolder, and returns its
    // path; none when the person cancels.
    virtual std::optional<QString> openHierarchyFile(QWidget *parent,
                                                     const QString &startFolder) = 0;
};

// The real boxes: QMessageBox and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    void showMessage(QWidget *parent, const QString &text) override;
    void showSummary(QWidget *parent, const QString &text, const QString &details) override;
    std::optional<QString> openHierarchyFile(QWidget *parent,
                                             const QString &startFolder) override;
};

// The summary box QtDialogs shows, set up but not shown. Once laid out, and again when
// its details are shown or hidden, it keeps within the available geometry of its
// screen: its lines stay as they come (elided, never wrapped), and when the screen is too
// short the details area gives up height and scrolls.
std::unique_ptr<QMessageBox> MakeSummaryBox(QWidget *parent, const QString &text,
                                            const QString &details);

// The dialog QtDialogs asks for a model file with, set up but not shown: it opens in
// startFolder with "*.3do" in its name field.
std::unique_ptr<QFileDialog> MakeHierarchyDialog(QWidget *parent, const QString &startFolder);

}  // namespace zerka
