// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <string>

#include "window/window_layout.h"

namespace zerka {

// The Qt window maps twips to pixels at 96 DPI and lets Qt scale them on denser screens.
QRect ToPixels(const TwipRect &rect);
QSize ToPixels(int widthTwips, int heightTwips);

// Paths between Qt and the core: the core works on the file system's own bytes.
std::string ToNativePath(const QString &path);
QString FromNativePath(const std::string &path);

// The window composes its texts with CR LF, as files and message boxes expect; Qt's
// text boxes and labels break lines on LF alone.
QString WithLfBreaks(QString text);

}  // namespace zerka
