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

    void mountedRootsStartWithTheFileSystemRoot()
    {
        QStringList roots = MountedRoots();
        QVERIFY(!roots.isEmpty());
        QCOMPARE(roots.first(), QString("/"));
        QCOMPARE(roots.removeDuplicates(), 0);
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
