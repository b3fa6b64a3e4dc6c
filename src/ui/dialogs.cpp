// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "keyframes/keyframe_tables.h"
#include "window_support.h"

namespace zerka {
namespace {

// A box may open while an action shows the busy pointer; the person must still see
// an arrow over the box's buttons.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowWhileAsking() { QGuiApplication::restoreOverrideCursor(); }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;
};

}  // namespace

void QtDialogs::showMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kAppCaption), WithLfBreaks(text),
                    QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    ArrowWhileAsking arrow;
    box.exec();
}

std::unique_ptr<QFileDialog> MakeHierarchyDialog(QWidget *parent, const QString &startFolder)
{
    auto dialog =
        std::make_unique<QFileDialog>(parent, QStringLiteral("Load Hierarchy from 3do..."),
                                      startFolder, QStringLiteral("3do Files (*.3do)"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("3do"));
    dialog->selectFile(QStringLiteral("*.3do"));
    return dialog;
}

QString QtDialogs::openHierarchyFile(QWidget *parent, const QString &startFolder)
{
    const std::unique_ptr<QFileDialog> dialog = MakeHierarchyDialog(parent, startFolder);
    ArrowWhileAsking arrow;
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        throw FileError(ErrorCode::Cancelled, {}, 0, "no model file was chosen");
    return dialog->selectedFiles().constFirst();
}

}  // namespace zerka
