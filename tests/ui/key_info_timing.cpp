// SPDX-License-Identifier: MIT
// Times "Get Keyframe Info" on the largest key file the tables hold: 100 nodes of 100
// entries, that is 20,102 table rows and a dump of 10,000 entry lines. Only reports.

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "keyframes/key_file_reader.h"
#include "ui/flex_grid.h"
#include "ui/folder_lists.h"
#include "ui/key_info_views.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

class KeyInfoTiming : public QObject {
    Q_OBJECT

private slots:
    void reportGetKeyframeInfoOnTheLargestFile()
    {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("largest.key"), KeyFileText(std::vector<int>(100, 100)));
        WindowUnderTest w;
        w.Window.show();
        auto *files = w.control<FileList>("File1");
        files->setPath(dir.path());
        files->setCurrentRow(0);

        QElapsedTimer timer;
        timer.start();
        w.control<QPushButton>("cmdListMesh")->click();
        const qint64 elapsed = timer.elapsed();

        QVERIFY(w.Boxes->Messages.isEmpty());
        QCOMPARE(w.control<FlexGrid>("fgNodes")->rows(), 20102);
        qInfo("Get Keyframe Info, 100 nodes x 100 entries: %lld ms", elapsed);

        // Where the time goes: reading the file, then filling both views.
        timer.restart();
        LoadKeyFile(w.Tables, dir.filePath("largest.key").toStdString());
        const qint64 reading = timer.elapsed();
        timer.restart();
        ShowKeyInfo(KeyInfoDumpText(w.Tables), LayOutKeyTable(w.Tables),
                    *w.control<QPlainTextEdit>("Text1"), *w.control<FlexGrid>("fgNodes"));
        qInfo("  reading the file: %lld ms, filling both views: %lld ms", reading, timer.elapsed());
    }
};

QTEST_MAIN(KeyInfoTiming)
#include "key_info_timing.moc"
