// SPDX-License-Identifier: MIT
#include "window_support.h"

#include <QFile>

namespace zerka {

QRect ToPixels(const TwipRect &rect)
{
    return QRect(ToPixels(rect.Left), ToPixels(rect.Top), ToPixels(rect.Width),
                 ToPixels(rect.Height));
}

QSize ToPixels(int widthTwips, int heightTwips)
{
    return QSize(ToPixels(widthTwips), ToPixels(heightTwips));
}

std::string ToNativePath(const QString &path) { return QFile::encodeName(path).toStdString(); }

QString FromNativePath(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString WithLfBreaks(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace zerka
