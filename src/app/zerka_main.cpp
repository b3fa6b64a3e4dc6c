// zerka: the window. One set of tables lives as long as the window that works on it.

#include <QApplication>

#include "keyframes/keyframe_tables.h"
#include "ui/frm_main.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zerka"));
    QApplication::setApplicationVersion(QStringLiteral("0.2"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zerka"));

    zerka::KeyframeTables tables;
    zerka::frmMain window(tables);
    window.show();
    return QApplication::exec();
}
