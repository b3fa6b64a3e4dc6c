// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QListWidget>
#include <QStringList>
#include <QTreeWidget>

namespace zerka {

// The drives a person expects: "/", then the home folder, then the mounted volumes a file
// manager shows (see IsPersonVolume), sorted; no root twice.
QStringList MountedRoots();

// Whether a volume mounted at root with this file system type holds a person's files:
// not a pseudo file system the kernel or a container makes, nor one mounted in a
// system folder or a hidden one.
bool IsPersonVolume(const QString &root, const QByteArray &fileSystemType);

// The root among roots that holds path: the longest one that is path or a folder above it.
// Empty when none does.
QString VolumeRootOf(const QString &path, const QStringList &roots);

// The drive list: the machine's volumes by their root folder.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(const QStringList &roots, QWidget *parent = nullptr);

    QString drive() const;
    // Selects the volume holding path.
    void setDrive(const QString &path);
};

// The directory list: the folders from the root down to the current one, then the
// current one's subfolders. Double click or Enter opens a folder, Backspace goes up.
class DirectoryList : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget *parent = nullptr);

    QString path() const { return path_; }
    // Opens path and reports pathChanged when it differs from the current one.
    void setPath(const QString &path);
    // Reads the current folder's subfolders again.
    void refresh();

signals:
    void pathChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void drawBranches(QPainter *painter, const QRect &rect,
                      const QModelIndex &index) const override;

private:
    void rebuild();
    void openItem(QTreeWidgetItem *item);

    QString path_;
};

// The file list: the key files of one folder, as the batch lists them. Files come and
// go outside the program, so the list reads its folder again when its window is
// activated again and when it is enabled again after a batch; while disabled it belongs
// to the running batch and stays as it is.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const { return path_; }
    void setPath(const QString &path);
    // Reads the folder again; the selected name stays selected while the folder holds it.
    void refresh();
    // The selected name, or empty when none is selected.
    QString fileName() const;
    QStringList names() const;

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString path_;
};

}  // namespace zerka
