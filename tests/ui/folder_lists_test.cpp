// SPDX-License-Identifier: MIT
#include <QtTest>

#include "ui/folder_lists.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

class FolderListsTest : public QObject {
    Q_OBJECT

private slots:
    void volumeRootIsTheLongestRootAbovePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("root");
        QTest::newRow("inside a mount") << "/home/ann/keys"
                                        << "/home";
        QTest::newRow("the mount itself") << "/home"
                                          << "/home";
        QTest::newRow("a sibling sharing a prefix") << "/homework/keys"
                                                    << "/";
        QTest::newRow("a deeper mount wins") << "/media/usb/keys"
                                             << "/media/usb";
        QTest::newRow("dots are resolved") << "/home/../media/usb"
                                           << "/media/usb";
    }

    void volumeRootIsTheLongestRootAbovePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, root);
        QCOMPARE(VolumeRootOf(path, {"/", "/home", "/media/usb"}), root);
    }

    void mountedRootsStartWithTheFileSystemRootAndHome()
    {
        QStringList roots = MountedRoots();
        QVERIFY(roots.size() >= 2);
        QCOMPARE(roots.first(), QString("/"));
        QCOMPARE(roots.at(1), QDir::homePath());
        QCOMPARE(roots.removeDuplicates(), 0);
    }

    void personVolumesAreTheOnesAFileManagerShows_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a USB stick") << "/media/ann/USB" << QByteArray("vfat") << true;
        QTest::newRow("a stick under /run/media")
            << "/run/media/ann/USB" << QByteArray("exfat") << true;
        QTest::newRow("a disk in /mnt") << "/mnt/data" << QByteArray("ext4") << true;
        QTest::newRow("a network share") << "/home/ann/share" << QByteArray("fuse.sshfs") << true;
        QTest::newRow("cgroup v2") << "/sys/fs/cgroup" << QByteArray("cgroup2") << false;
        QTest::newRow("tmpfs anywhere") << "/mnt/scratch" << QByteArray("tmpfs") << false;
        QTest::newRow("a snap package") << "/snap/core22/1380" << QByteArray("squashfs") << false;
        QTest::newRow("a container root") << "/" << QByteArray("overlay") << false;
        QTest::newRow("the runtime folder") << "/run/user/1000/doc" << QByteArray("fuse") << false;
        QTest::newRow("a hidden mount") << "/home/ann/.cache/x" << QByteArray("ext4") << false;
        QTest::newRow("a name starting like a system folder")
            << "/varied" << QByteArray("ext4") << true;
    }

    void personVolumesAreTheOnesAFileManagerShows()
    {
        QFETCH(QString, root);
        QFETCH(QByteArray, type);
        QFETCH(bool, shown);
        QCOMPARE(IsPersonVolume(root, type), shown);
    }

    void directoryListWalksDownAndUpByKeyboardAndMouse()
    {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("Sub/x.key"), "");
        WriteBytes(dir.filePath("sub2/y.key"), "");
        QDir().mkpath(dir.filePath(".hidden"));
        DirectoryList list;
        list.resize(300, 400);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy changes(&list, &DirectoryList::pathChanged);
        list.setPath(dir.path());

        // The current folder is current; its two visible subfolders follow it.
        QTreeWidgetItem *current = list.currentItem();
        QCOMPARE(current->childCount(), 2);
        QCOMPARE(current->child(0)->text(0), QString("Sub"));

        QTest::keyClick(&list, Qt::Key_Down);
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(list.path(), dir.filePath("Sub"));
        QTest::keyClick(&list, Qt::Key_Backspace);
        QCOMPARE(list.path(), dir.path());

        QTreeWidgetItem *sub2 = list.currentItem()->child(1);
        DoubleClickAt(&list, list.visualItemRect(sub2));
        QCOMPARE(list.path(), dir.filePath("sub2"));
        QCOMPARE(changes.count(), 4);
    }
};

QTEST_MAIN(FolderListsTest)
#include "folder_lists_test.moc"
