// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QAbstractItemView>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>
#include <vector>

#include "keyframes/keyframe_tables.h"
#include "ui/dialogs.h"
#include "ui/frm_main.h"

namespace zerka::testing {

// Answers the window's boxes instead of a person: records every message (a summary's
// text among them, its details apart) and the folder each file dialog starts in, and
// answers file dialogs in turn; an empty answer cancels.
class ScriptedDialogs final : public Dialogs {
public:
    QStringList Messages;
    QStringList SummaryDetails;  // one per summary box
    QStringList StartFolders;
    std::deque<QString> FileAnswers;

    void showMessage(QWidget *, const QString &text) override
    {
        Messages.append(text);
        if (OnMessage)
            OnMessage();
    }
    std::function<void()> OnMessage;  // runs while the box would be up

    bool showSummary(QWidget *parent, const QString &text, const QString &details,
                     bool offerAgain) override
    {
        SummaryDetails.append(details);
        Offered.append(offerAgain);
        showMessage(parent, text);
        return offerAgain && !AgainAnswers.empty();
    }
    // Each answer presses "Convert again…" and ticks the boxes as given; none presses OK.
    std::deque<std::vector<bool>> AgainAnswers;
    QList<bool> Offered;  // one per summary box
    QList<QStringList> AgainLabels;
    std::optional<std::vector<bool>> askConvertAgain(QWidget *, const QStringList &labels,
                                                     const std::vector<bool> &) override
    {
        AgainLabels.append(labels);
        std::vector<bool> answer = AgainAnswers.front();
        AgainAnswers.pop_front();
        return answer;
    }

    std::optional<QString> openHierarchyFile(QWidget *, const QString &startFolder) override
    {
        StartFolders.append(startFolder);
        QString answer = FileAnswers.empty() ? QString() : FileAnswers.front();
        if (!FileAnswers.empty())
            FileAnswers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;  // an empty answer cancels
        return answer;
    }
};

// A window on fresh tables whose boxes a test answers.
struct WindowUnderTest {
    KeyframeTables Tables;
    frmMain Window{Tables, [] { return std::string("01/02/70 00:00:00"); }};
    ScriptedDialogs *Boxes;

    WindowUnderTest()
    {
        auto dialogs = std::make_unique<ScriptedDialogs>();
        Boxes = dialogs.get();
        Window.setDialogs(std::move(dialogs));
    }

    template <typename T> T *control(const char *name)
    {
        return Window.findChild<T *>(QString::fromLatin1(name));
    }
};

// A person's double click: the first click presses the item, the second opens it.
inline void DoubleClickAt(QAbstractItemView *view, const QRect &itemRect)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, itemRect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, itemRect.center());
}

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A key file with one node per count, node k named "meshk"; entry e of node k sits at
// x = k, y = e, z = 0.5 on frame 10 (e - 1).
inline QByteArray KeyFileText(const std::vector<int> &entryCounts)
{
    QByteArray text = "SECTION: HEADER\r\nFLAGS 0x0000\r\nFRAMES 100\r\n\r\n"
                      "SECTION: KEYFRAME NODES\r\n\r\nNODES " +
                      QByteArray::number(int(entryCounts.size())) + "\r\n\r\n";
    for (std::size_t k = 1; k <= entryCounts.size(); ++k) {
        text += "NODE " + QByteArray::number(int(k) - 1) + "\r\nMESH NAME mesh" +
                QByteArray::number(int(k)) + "\r\nENTRIES " +
                QByteArray::number(entryCounts[k - 1]) + "\r\n\r\n";
        for (int e = 1; e <= entryCounts[k - 1]; ++e) {
            text += QByteArray("    ") + QByteArray::number(e - 1) + ":  " +
                    QByteArray::number(10 * (e - 1)) + "  0x0000  " + QByteArray::number(int(k)) +
                    ".000000  " + QByteArray::number(e) +
                    ".000000  0.500000  0.000000  0.000000  0.000000\r\n";
            text += "                 0.100000  0.200000  0.000000  0.000000  0.000000  "
                    "0.000000\r\n";
        }
        text += "\r\n";
    }
    return text;
}

struct ModelNode {
    const char *Name;
    const char *X;
    const char *Y;
    const char *Z;
};

// A model file: some geometry, then the hierarchy section with one record per node.
inline QByteArray ModelFileText(const std::vector<ModelNode> &nodes)
{
    QByteArray text = "SECTION: GEOMETRY\r\nVERTICES 1\r\n  0: 1.0 2.0 3.0\r\n\r\n"
                      "SECTION: HIERARCHYDEF\r\nHIERARCHY NODES " +
                      QByteArray::number(int(nodes.size())) + "\r\n";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        text += "  " + QByteArray::number(int(i)) + ":  0x0000 0x00001 0 -1 -1 -1 0 " + nodes[i].X +
                " " + nodes[i].Y + " " + nodes[i].Z + " 0 0 0 0 0 0 " + nodes[i].Name + "\r\n";
    }
    return text;
}

}  // namespace zerka::testing
