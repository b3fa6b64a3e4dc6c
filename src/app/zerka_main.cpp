// SPDX-License-Identifier: MIT
// zerka: the window. One set of tables lives as long as the window that works on it.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "app/marker_date.h"
#include "keyframes/keyframe_tables.h"
#include "ui/frm_main.h"
#include "zerka_version.h"

namespace {

constexpr int kExitUsage = 2;

// Qt platforms that draw into memory, a frame buffer or a remote viewer: none needs
// DISPLAY or WAYLAND_DISPLAY.
constexpr const char *kPlatformsWithoutDisplay[] = {"offscreen", "minimal", "minimalegl",  "vnc",
                                                    "linuxfb",   "eglfs",   "vkkhrdisplay"};

class CommandLine {
public:
    CommandLine()
        : help_(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                QStringLiteral("Display this help and exit.")),
          version_(QStringList{QStringLiteral("V"), QStringLiteral("version")},
                   QStringLiteral("Output version information and exit."))
    {
        parser_.setApplicationDescription(QStringLiteral(
            "Opens the Zerka window, which moves the keyframe animations (.key files) of a\n"
            "folder onto a rebuilt model hierarchy (.3do files) and writes them into the\n"
            "folder's New subfolder. zerka-cli does the same without a window.\n"
            "\n"
            "Qt's own options, such as -platform NAME, are accepted as well.\n"
            "\n"
            "Exit status: 0 once the window is closed, 2 for a wrong argument or when no\n"
            "display is available (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)."));
        // Qt's own options are single-dash words ("-platformpluginpath"); read as letters,
        // they would hold an h.
        parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser_.addOption(help_);
        parser_.addOption(version_);
        parser_.addPositionalArgument(
            QStringLiteral("FOLDER"),
            QStringLiteral("Folder to open the folder lists on; default: the current folder."),
            QStringLiteral("[FOLDER]"));
    }

    // False on an unknown option or a second folder; Qt's own options only count as known
    // once QApplication has taken them out of the arguments.
    bool parse(const QStringList &arguments)
    {
        return parser_.parse(arguments) && parser_.positionalArguments().size() <= 1;
    }
    QString errorText() const
    {
        const QString error = parser_.errorText();
        return error.isEmpty() ? QStringLiteral("too many arguments") : error;
    }
    bool wantsHelp() const { return parser_.isSet(help_); }
    bool wantsVersion() const { return parser_.isSet(version_); }
    QString helpText() const { return parser_.helpText(); }
    QString folder() const
    {
        const QStringList positional = parser_.positionalArguments();
        return positional.isEmpty() ? QString() : positional.first();
    }

private:
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
};

bool IsPlatformWithoutDisplay(const QString &platforms)
{
    // QT_QPA_PLATFORM may list fallbacks ("wayland;xcb") and give options ("vnc:size=800x600").
    for (const QString &entry : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        for (const char *known : kPlatformsWithoutDisplay)
            if (name == QLatin1String(known))
                return true;
    }
    return false;
}

// QApplication aborts when its platform cannot start, so the question is asked before it
// exists. "-platform NAME" on the command line wins over QT_QPA_PLATFORM, as in Qt.
bool HasDisplay(int argc, char **argv)
{
    QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        const QLatin1String arg(argv[i]);
        if (arg == QLatin1String("-platform") || arg == QLatin1String("--platform"))
            platform = QString::fromLocal8Bit(argv[i + 1]);
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || IsPlatformWithoutDisplay(platform);
}

int UsageError(const QString &problem)
{
    std::fprintf(stderr, "zerka: %s\nTry 'zerka --help' for more information.\n",
                 problem.toLocal8Bit().constData());
    return kExitUsage;
}

}  // namespace

int main(int argc, char **argv)
{
    // --help and --version answer without a display (help2man runs them at build time), so
    // they are read before QApplication, which needs one.
    {
        QCoreApplication probe(argc, argv);
        CommandLine commandLine;
        commandLine.parse(QCoreApplication::arguments());
        if (commandLine.wantsHelp()) {
            std::fputs(commandLine.helpText().toLocal8Bit().constData(), stdout);
            return EXIT_SUCCESS;
        }
        if (commandLine.wantsVersion()) {
            std::printf("zerka %s\n", zerka::kVersionText);
            return EXIT_SUCCESS;
        }
    }
    if (!HasDisplay(argc, argv)) {
        std::fputs("no display: set DISPLAY, or use zerka-cli\n", stderr);
        return kExitUsage;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zerka"));
    QApplication::setApplicationVersion(QString::fromLatin1(zerka::kVersionText));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zerka.Zerka"));

    CommandLine commandLine;
    if (!commandLine.parse(QApplication::arguments()))
        return UsageError(commandLine.errorText());
    const QString folder = commandLine.folder();
    if (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "zerka: %s: not a folder\n", folder.toLocal8Bit().constData());
        return kExitUsage;
    }

    zerka::KeyframeTables tables;
    zerka::frmMain window(tables, [] { return zerka::MarkerDate(); });
    if (!folder.isEmpty())
        window.openFolder(QFileInfo(folder).absoluteFilePath());
    window.show();
    return QApplication::exec();
}
