// SPDX-License-Identifier: MIT
// zerka: the window. One set of tables lives as long as the window that works on it.

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/marker_date.h"
#include "keyframes/keyframe_tables.h"
#include "ui/frm_main.h"
#include "window/window_arguments.h"
#include "zerka_version.h"

namespace {

constexpr int kExitUsage = 2;

std::vector<std::string> ArgumentsOf(const QStringList &arguments)
{
    std::vector<std::string> texts;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        texts.push_back(arguments[i].toStdString());
    return texts;
}

// QApplication aborts when its platform cannot start, so the question is asked before it
// exists. "-platform NAME" on the command line wins over QT_QPA_PLATFORM, as in Qt.
bool HasDisplay(int argc, char **argv)
{
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        const QLatin1String arg(argv[i]);
        if (arg == QLatin1String("-platform") || arg == QLatin1String("--platform"))
            platform = argv[i + 1];
    }
    return zerka::HasDisplay(qgetenv("DISPLAY").toStdString(),
                             qgetenv("WAYLAND_DISPLAY").toStdString(), platform.toStdString());
}

int UsageError(const std::string &problem)
{
    std::fprintf(stderr, "%s\n", zerka::UsageErrorText(problem).c_str());
    return kExitUsage;
}

}  // namespace

int main(int argc, char **argv)
{
    // --help and --version answer without a display (help2man runs them at build time), so
    // they are read before QApplication, which needs one; its own options are still in the
    // arguments then, and only these two are looked for.
    {
        std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
        const zerka::WindowArguments early = zerka::ParseWindowArguments(arguments);
        if (early.Help) {
            std::fputs(zerka::WindowHelpText().c_str(), stdout);
            return EXIT_SUCCESS;
        }
        if (early.Version) {
            std::printf("%s\n", zerka::WindowVersionText().c_str());
            return EXIT_SUCCESS;
        }
    }
    if (!HasDisplay(argc, argv)) {
        std::fprintf(stderr, "%s\n", zerka::kNoDisplayText);
        return kExitUsage;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zerka"));
    QApplication::setApplicationVersion(QString::fromLatin1(zerka::kVersionText));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zerka.Zerka"));

    const zerka::WindowArguments arguments =
        zerka::ParseWindowArguments(ArgumentsOf(QApplication::arguments()));
    if (!arguments.Problem.empty())
        return UsageError(arguments.Problem);
    const QString folder = QString::fromStdString(arguments.Folder);
    if (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "%s\n", zerka::NotAFolderText(arguments.Folder).c_str());
        return kExitUsage;
    }

    zerka::KeyframeTables tables;
    zerka::frmMain window(tables, [] { return zerka::MarkerDate(); });
    if (!folder.isEmpty())
        window.openFolder(QFileInfo(folder).absoluteFilePath());
    window.show();
    return QApplication::exec();
}
