// SPDX-License-Identifier: MIT
#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

#include "conversion/hierarchy_reader.h"
#include "ui/dialogs.h"
#include "ui/summary_box.h"
#include "window/summary_box_text.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

namespace {

const QString kLongReason = "joint 7 is " + QString("very_long_joint_name_").repeated(20);

// A file that failed for reason.
FileOutcome Outcome(const QString &name, const QString &reason)
{
    FileOutcome file(name.toStdString());
    file.Reason = reason.toStdString();
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

    void convertAgainIsASecondButtonAndItsDialogTicksWhatItIsTold()
    {
        const auto box = MakeSummaryBox(nullptr, "Converted:  1", "details", true);
        auto *again = box->findChild<QAbstractButton *>("convertAgain");
        QVERIFY(again);
        QCOMPARE(again->text(), QString::fromUtf8("Convert &again\u2026"));
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
        QTimer::singleShot(0, again, &QAbstractButton::click);
        box->exec();
        QCOMPARE(box->clickedButton(), again);
        QVERIFY(!MakeSummaryBox(nullptr, "Converted:  1", "details")->findChild<QAbstractButton *>(
            "convertAgain"));

        const auto dialog = MakeConvertAgainDialog(nullptr, {"follow", "head \u2192 sensor"}, {true, false});
        QCOMPARE(dialog->windowTitle(), QString("Convert again"));
        const auto choices = dialog->findChildren<QCheckBox *>("choice");
        QCOMPARE(choices.size(), 2);
        QVERIFY(choices[0]->isChecked());
        QVERIFY(!choices[1]->isChecked());
        auto *convert = dialog->findChild<QPushButton *>("cmdConvert");
        QVERIFY(convert->isDefault());
        QTimer::singleShot(0, convert, &QAbstractButton::click);
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
    }

    // Under the offscreen tests the screen is 640 x 360: shown, the details do not fit.
    void summaryBoxKeepsWithinItsScreenWithAndWithoutDetails()
    {
        std::vector<FileOutcome> files;
        for (int n = 1; n <= 40; ++n)
            files.push_back(Outcome(FailedName(n), kLongReason));
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const QFontMetrics metrics(QApplication::font());
        const BatchBox composed = ComposeBatchBox(ran(files), [&](const std::string &line) {
            return ElideToWidth(metrics, QString::fromStdString(line), SummaryLineWidth(available))
                .toStdString();
        });
        const auto box = MakeSummaryBox(nullptr, QString::fromStdString(composed.Text),
                                        QString::fromStdString(composed.Details));
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
