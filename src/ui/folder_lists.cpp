// SPDX-License-Identifier: MIT
#include "folder_lists.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStorageInfo>
#include <algorithm>

#include "conversion/batch_conversion.h"
#include "conversion/key_file_list.h"
#include "window_support.h"

namespace zerka {
namespace {

constexpr int kPathRole = Qt::UserRole;

// What the kernel, systemd and containers mount for themselves (snap packages are
// squashfs images): no person's files live there, and a file manager does not show them.
constexpr const char *kPseudoFileSystems[] = {
    "autofs",    "binfmt_misc", "bpf",      "cgroup",     "cgroup2", "configfs",   "debugfs",
    "devpts",    "devtmpfs",    "efivarfs", "fuse.lxcfs", "fusectl", "hugetlbfs",  "mqueue",
    "nsfs",      "overlay",     "proc",     "pstore",     "ramfs",   "rpc_pipefs", "securityfs",
    "selinuxfs", "squashfs",    "sysfs",    "tmpfs",      "tracefs",
};

// Volumes mounted in these (or the folder itself) belong to the system: boot partitions,
// runtime folders (the desktop's own FUSE mounts among them), container bind mounts.
constexpr const char *kSystemFolders[] = {"/boot", "/dev", "/etc", "/proc", "/run",
                                          "/snap", "/sys", "/tmp", "/usr",  "/var"};

QString CleanPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// "/a/b" -> "/", "/a", "/a/b"
QStringList FoldersDownTo(const QString &path)
{
    QStringList folders;
    for (QDir dir(path);;) {
        folders.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    return folders;
}

QStringList KeyFilesIn(const QString &folder)
{
    QStringList names;
    try {
        for (const std::string &name : ListKeyFiles(ToNativePath(folder)))
            names.append(FromNativePath(name));
    } catch (const FileError &) {
        // A folder that cannot be listed shows no files, as in any file list; the batch
        // converts only what the list shows.
    }
    return names;
}

QString FolderDisplayName(const QString &folder)
{
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

}  // namespace

bool IsPersonVolume(const QString &root, const QByteArray &fileSystemType)
{
    if (std::any_of(std::begin(kPseudoFileSystems), std::end(kPseudoFileSystems),
                    [&fileSystemType](const char *type) { return fileSystemType == type; }))
        return false;
    if (root.contains(QLatin1String("/.")))
        return false;  // hidden on purpose by whoever mounted it
    if (root.startsWith(QLatin1String("/run/media/")))
        return true;  // where desktops mount a person's removable drives
    return std::none_of(
        std::begin(kSystemFolders), std::end(kSystemFolders), [&root](const char *folder) {
            const QLatin1String prefix(folder);
            return root == prefix || (root.startsWith(prefix) && root.at(prefix.size()) == '/');
        });
}

QStringList MountedRoots()
{
    QStringList volumes;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        // Containers mount single files (/etc/hosts); only folders are drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir() &&
            IsPersonVolume(volume.rootPath(), volume.fileSystemType()))
            volumes.append(volume.rootPath());
    }
    std::sort(volumes.begin(), volumes.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QStringList roots{QDir::rootPath()};
    if (QFileInfo(QDir::homePath()).isDir())
        roots.append(QDir::homePath());
    roots.append(volumes);
    roots.removeDuplicates();
    return roots;
}

QString VolumeRootOf(const QString &path, const QStringList &roots)
{
    const QString clean = CleanPath(path);
    QString best;
    for (const QString &root : roots) {
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        const bool holds = clean == root || clean.startsWith(prefix);
        if (holds && root.size() > best.size())
            best = root;
    }
    return best;
}

DriveList::DriveList(const QStringList &roots, QWidget *parent) : QComboBox(parent)
{
    for (const QString &root : roots)
        addItem(QDir::toNativeSeparators(root), root);
}

QString DriveList::drive() const { return currentData().toString(); }

void DriveList::setDrive(const QString &path)
{
    QStringList roots;
    for (int i = 0; i < count(); ++i)
        roots.append(itemData(i).toString());
    const int index = roots.indexOf(VolumeRootOf(path, roots));
    if (index >= 0)
        setCurrentIndex(index);
}

DirectoryList::DirectoryList(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(ToPixels(150));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this, &DirectoryList::openItem);
}

void DirectoryList::setPath(const QString &path)
{
    const QString clean = CleanPath(path);
    if (clean == path_)
        return;
    path_ = clean;
    rebuild();
    emit pathChanged();
}

void DirectoryList::refresh() { rebuild(); }

void DirectoryList::rebuild()
{
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem *parentItem = nullptr;
    for (const QString &folder : FoldersDownTo(path_)) {
        auto *item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, FolderDisplayName(folder));
        item->setIcon(0, openIcon);
        item->setData(0, kPathRole, folder);
        item->setExpanded(true);
        parentItem = item;
    }
    const QDir current(path_);
    const QStringList subfolders =
        current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        auto *item = new QTreeWidgetItem(parentItem);
        item->setText(0, name);
        item->setIcon(0, closedIcon);
        item->setData(0, kPathRole, current.absoluteFilePath(name));
    }
    setCurrentItem(parentItem);
}

void DirectoryList::openItem(QTreeWidgetItem *item)
{
    if (item)
        setPath(item->data(0, kPathRole).toString());
}

void DirectoryList::drawBranches(QPainter *, const QRect &, const QModelIndex &) const
{
    // No expand arrows: the tree is always open down to the current folder.
}

void DirectoryList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Backspace) {
        QDir dir(path_);
        if (dir.cdUp())
            setPath(dir.absolutePath());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileList::setPath(const QString &path)
{
    path_ = CleanPath(path);
    clear();
    addItems(KeyFilesIn(path_));
}

void FileList::refresh()
{
    const QStringList listed = KeyFilesIn(path_);
    if (listed == names())
        return;  // nothing to do, and the scroll position stays as the person left it
    const QString selected = fileName();
    const int scrolled = verticalScrollBar()->value();
    clear();
    addItems(listed);
    const QList<QListWidgetItem *> kept = findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !kept.isEmpty())
        setCurrentItem(kept.first());
    verticalScrollBar()->setValue(scrolled);
}

bool FileList::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && isEnabled())
        refresh();
    return QListWidget::event(event);
}

void FileList::changeEvent(QEvent *event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && isEnabled())
        refresh();
}

QString FileList::fileName() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

QStringList FileList::names() const
{
    QStringList listed;
    for (int i = 0; i < count(); ++i)
        listed.append(item(i)->text());
    return listed;
}

}  // namespace zerka
