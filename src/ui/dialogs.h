// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QDialog;
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
    // "Show Details..." button unless they are empty. It fits the screen it is on. With
    // offerAgain it has a "Convert again…" button beside OK; true when that was pressed.
    virtual bool showSummary(QWidget *parent, const QString &text, const QString &details,
                             bool offerAgain) = 0;

    // The dialog of "Convert again…": a check box per label, ticked as told, Convert and
    // Cancel. The boxes ticked at Convert; none on Cancel.
    virtual std::optional<std::vector<bool>> askConvertAgain(
        QWidget *parent, const QStringList &labels, const std::vector<bool> &ticked) = 0;

    // Asks for the model file of a hierarchy, starting in startFolder, and returns its
    // path; none when the person cancels.
    virtual std::optional<QString> openHierarchyFile(QWidget *parent,
                                                     const QString &startFolder) = 0;
};

// The real boxes: QMessageBox and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    void showMessage(QWidget *parent, const QString &text) override;
    bool showSummary(QWidget *parent, const QString &text, const QString &details,
                     bool offerAgain) override;
    std::optional<std::vector<bool>> askConvertAgain(QWidget *parent, const QStringList &labels,
                                                     const std::vector<bool> &ticked) override;
    std::optional<QString> openHierarchyFile(QWidget *parent,
                                             const QString &startFolder) override;
};

// The summary box QtDialogs shows, set up but not shown. Once laid out, and again when
// its details are shown or hidden, it keeps within the available geometry of its
// screen: its lines stay as they come (elided, never wrapped), and when the screen is too
// short the details area gives up height and scrolls.
std::unique_ptr<QMessageBox> MakeSummaryBox(QWidget *parent, const QString &text,
                                            const QString &details, bool offerAgain = false);

// The dialog of "Convert again…", set up but not shown: fixed in size, its check boxes
// named "choice", then Convert (the default) and Cancel.
std::unique_ptr<QDialog> MakeConvertAgainDialog(QWidget *parent, const QStringList &labels,
                                                const std::vector<bool> &ticked);

// The dialog QtDialogs asks for a model file with, set up but not shown: it opens in
// startFolder with "*.3do" in its name field.
std::unique_ptr<QFileDialog> MakeHierarchyDialog(QWidget *parent, const QString &startFolder);

}  // namespace zerka
