// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <string>

namespace zerka {

// Control positions are kept in twips, as the window was laid out; the screen mapping
// is fixed at 15 twips per pixel, so the client area of 9990 x 4200 twips is 666 x 280.
inline constexpr int kTwipsPerPixel = 15;

struct TwipRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

int ToPixels(int twips);
QRect ToPixels(const TwipRect &rect);
QSize ToPixels(int widthTwips, int heightTwips);

// The caption of the window and of every message box.
inline constexpr const char *kAppCaption = "Zerka";

// Paths between Qt and the core: the core works on the file system's own bytes.
std::string ToNativePath(const QString &path);
QString FromNativePath(const std::string &path);

// The window composes its texts with CR LF, as files and message boxes expect; Qt's
// text boxes and labels break lines on LF alone.
QString WithLfBreaks(QString text);
// The core's texts break lines with LF alone: the window's boxes take them with CR LF.
QString WithCrLfBreaks(QString text);

}  // namespace zerka
