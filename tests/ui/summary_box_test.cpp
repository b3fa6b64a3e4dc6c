// SPDX-License-Identifier: MIT
#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

#include "conversion/hierarchy_reader.h"
#include "ui/summary_box.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

Q_DECLARE_METATYPE(zerka::BatchResult)

namespace {

constexpr int kLineWidth = 400;
const QString kLongReason = "joint 7 is " + QString("very_long_joint_name_").repeated(20);

// A converted file when reason is empty, else one that failed for it.
FileOutcome Outcome(const QString &name, const QString &reason,
                    std::vector<std::string> warnings = {})
{
    FileOutcome file;
    file.Name = name.toStdString();
    file.Converted = reason.isEmpty();
    file.Reason = reason.toStdString();
    file.Warnings = std::move(warnings);
    return file;
}

QString FailedName(int n) { return QString("f%1.key").arg(n, 2, 10, QChar('0')); }

}  // namespace

class SummaryBoxTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::shared_ptr<const JointTies> ties_;

    // Joint 1 is head in the old model and sensor in the new one: the report suggests
    // a rename for it.
    BatchResult ran(std::vector<FileOutcome> files) const
    {
        BatchResult result;
        result.Ran = true;
        result.Files = std::move(files);
        result.Ties = ties_;
        return result;
    }

private slots:
    void initTestCase()
    {
        WriteBytes(dir_.filePath("old.3do"),
                   ModelFileText({{"mesh1", "0.0", "0.0", "0.0"}, {"head", "0.0", "0.0", "0.0"}}));
        WriteBytes(dir_.filePath("new.3do"), ModelFileText({{"mesh1", "1.0", "0.0", "0.0"},
                                                            {"sensor", "0.0", "0.0", "0.0"}}));
        KeyframeTables tables;
        LoadHierarchy(tables, dir_.filePath("old.3do").toStdString(), true, "old.3do");
        LoadHierarchy(tables, dir_.filePath("new.3do").toStdString(), false, "new.3do");
        ties_ = std::make_shared<const JointTies>(tables, MatchOptions{});
    }

    void composesTextAndDetails_data()
    {
        QTest::addColumn<BatchResult>("result");
        QTest::addColumn<bool>("summary");
        // The box's lines; one ending in "…" is that beginning, elided.
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("inDetails");  // none: the box has no details

        const QString notNumber = "NODE 'x' is not a number (line 2)";
        std::vector<FileOutcome> files{
            Outcome("a.key", {},
                    {"1 node is on a joint the new model numbers differently; "
                     "--renumber follows it"}),
            Outcome("b.key", {}, {"already converted by Zerka", "no node matches the new model"}),
            Outcome("c.key", {}), Outcome(FailedName(1), kLongReason)};
        QStringList lines{"Converted:  3", "Not Converted:  40", "", "f01.key: joint 7 is…"};
        QStringList inDetails{"f01.key: " + kLongReason + "\r\n"};
        for (int n = 2; n <= 40; ++n) {
            files.push_back(Outcome(FailedName(n), notNumber));
            if (n <= 10)
                lines << FailedName(n) + ": " + notNumber;
            inDetails << FailedName(n) + ": " + notNumber + "\r\n";
        }
        lines << "\u2026 and 30 more"
              << ""
              << "2 files with warnings";
        inDetails << "a.key: 1 node is on a joint the new model numbers differently; "
                     "zerka-cli --renumber follows it\r\n"
                  << "b.key: already converted by Zerka\r\nb.key: no node matches the new model\r\n"
                  << "Joints of old.3do (2) and new.3do (2), tied by number and name:\r\n"
                  << "perhaps zerka-cli --rename head=sensor"
                  << "f40.key: not converted: ";
        QTest::newRow("forty failures, two files with warnings")
            << ran(files) << true << lines << inDetails;

        QTest::newRow("one file with warnings")
            << ran({Outcome("a.key", {}, {"made for a model of 3 joints"})}) << true
            << QStringList{"Converted:  1", "Not Converted:  0", "", "1 file with warnings"}
            << QStringList{"a.key: made for a model of 3 joints\r\n\r\nJoints of "};
        QTest::newRow("all converted cleanly: the counts alone")
            << ran({Outcome("a.key", {}), Outcome("b.key", {})}) << true
            << QStringList{"Converted:  2", "Not Converted:  0"} << QStringList{};
        BatchResult empty = ran({});
        empty.Warnings = {"old.3do and new.3do have the same joints in the same places: nothing "
                          "will move",
                          "keys: no .key files"};
        QTest::newRow("the batch's own warnings: a line each, no file's")
            << empty << true
            << QStringList{"Converted:  0", "Not Converted:  0", "",
                           "old.3do and new.3do have the same joints\u2026",
                           "keys: no .key files"}
            << QStringList{"nothing will move\r\nkeys: no .key files\r\n\r\nJoints of "};
        BatchResult notRun;
        notRun.NotRunReason = "cannot make the folder New in /keys: Permission denied";
        QTest::newRow("did not run: the reason alone")
            << notRun << false << QStringList{QString::fromStdString(notRun.NotRunReason)}
            << QStringList{};
    }

    void composesTextAndDetails()
    {
        QFETCH(BatchResult, result);
        QFETCH(bool, summary);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, inDetails);
        const QFontMetrics metrics(QApplication::font());
        const BatchBox box = ComposeBatchBox(result, metrics, kLineWidth);

        QCOMPARE(box.Ran, summary);
        const QStringList shown = box.Text.split("\r\n");
        QCOMPARE(shown.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QVERIFY2(metrics.horizontalAdvance(shown[i]) <= kLineWidth, qPrintable(shown[i]));
            if (lines[i].endsWith(u'…'))
                QVERIFY2(shown[i].startsWith(lines[i].chopped(1)) && shown[i].endsWith(u'…'),
                         qPrintable(shown[i]));
            else
                QCOMPARE(shown[i], lines[i]);
        }
        QVERIFY(!box.Text.contains(QRegularExpression("[^\r]\n")));

        QCOMPARE(box.Details.isEmpty(), inDetails.isEmpty());
        for (const QString &part : inDetails)
            QVERIFY2(box.Details.contains(part), qPrintable(part));
        QVERIFY(!box.Details.contains(QRegularExpression("[^\r]\n")));
        // Every option is named as the command line's.
        QCOMPARE(box.Details.count("--ren"), box.Details.count("zerka-cli --ren"));
    }

    // Under the offscreen tests the screen is 640 x 360: shown, the details do not fit.
    void summaryBoxKeepsWithinItsScreenWithAndWithoutDetails()
    {
        std::vector<FileOutcome> files;
        for (int n = 1; n <= 40; ++n)
            files.push_back(Outcome(FailedName(n), kLongReason));
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const BatchBox composed = ComposeBatchBox(ran(files), QFontMetrics(QApplication::font()),
                                                  SummaryLineWidth(available));
        const auto box = MakeSummaryBox(nullptr, composed.Text, composed.Details);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        QAbstractButton *details = nullptr;
        for (QAbstractButton *button : box->buttons())
            if (button != ok)
                details = button;
        QVERIFY(details);

        for (const char *state : {"details hidden", "details shown", "details hidden again"}) {
            QCoreApplication::sendPostedEvents();
            QVERIFY2(available.contains(box->frameGeometry()), state);
            QVERIFY2(box->rect().contains(QRect(ok->mapTo(box.get(), QPoint()), ok->size())),
                     state);
            const auto *label = box->findChild<QLabel *>("qt_msgbox_label");
            // Every line whole on one line: elided to the screen, never wrapped or cut.
            const QSize whole = label->sizeHint();
            QVERIFY2(!label->wordWrap() && label->width() >= whole.width() &&
                         label->height() >= whole.height(),
                     state);
            details->click();
        }
        QCoreApplication::sendPostedEvents();
        const auto *area = box->findChild<QTextEdit *>();
        QVERIFY(area->isVisible());
        QVERIFY(area->verticalScrollBar()->maximum() > 0);
        QVERIFY(area->toPlainText().contains("f40.key: " + kLongReason));
    }
};

QTEST_MAIN(SummaryBoxTest)
#include "summary_box_test.moc"
