// SPDX-License-Identifier: MIT
#include "caption_controls.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QtMath>
#include <algorithm>
#include <qdrawutil.h>

namespace zerka {
namespace {

constexpr int kNarrowestStretch = 90;
constexpr int kSmallestPixelSize = 6;

constexpr int kTitleIndent = 6;  // from each side of the frame to the title's gap
constexpr int kTitleGap = 2;  // free of line on either side of the title's text

bool Fits(const QFont &font, const QString &text, const QSize &room)
{
    const QSize needed = QFontMetrics(font).size(Qt::TextShowMnemonic, text);
    return needed.width() <= room.width() && needed.height() <= room.height();
}

}  // namespace

QFont FontToFit(const QFont &font, const QString &text, const QSize &room)
{
    if (Fits(font, text, room))
        return font;
    const int size = QFontInfo(font).pixelSize();
    QFont tried = font;
    for (int pixels = size; pixels >= kSmallestPixelSize; --pixels) {
        if (pixels < size)
            tried.setPixelSize(pixels);
        for (int stretch = 100; stretch >= kNarrowestStretch; --stretch) {
            tried.setStretch(stretch);
            if (Fits(tried, text, room))
                return tried;
        }
    }
    return tried;
}

void FitCaption(QPushButton &button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (button.autoDefault() || button.isDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect label =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    button.setFont(FontToFit(button.font(), button.text(), label.size()));
}

GroupFrame::GroupFrame(const QString &title, QWidget *parent) : QGroupBox(title, parent) { }

QRect GroupFrame::titleRect() const
{
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, title());
    return QRect(kTitleIndent, 0, text.width() + 2 * kTitleGap, text.height());
}

QRect GroupFrame::lineRect() const { return rect().adjusted(0, titleRect().height() / 2, 0, 0); }

QSize GroupFrame::titleRoom() const
{
    int firstControlTop = height();
    for (const QWidget *control :
         parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->isWindow() || qobject_cast<const GroupFrame *>(control))
            continue;
        if (geometry().contains(control->geometry()))
            firstControlTop = std::min(firstControlTop, control->y() - y());
    }
    return QSize(width() - 2 * (kTitleIndent + kTitleGap), firstControlTop);
}

void GroupFrame::fitTitle() { setFont(FontToFit(font(), title(), titleRoom())); }

void GroupFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect title = titleRect();
    painter.setClipRegion(QRegion(rect()).subtracted(title));
    qDrawShadeRect(&painter, lineRect(), palette(), true, 1, 0);  // etched, two pixels wide
    painter.setClipping(false);
    style()->drawItemText(&painter, title, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), this->title(), QPalette::WindowText);
}

NameBox::NameBox(const QString &title, QWidget *parent) : QPlainTextEdit(parent), title_(title)
{
    setReadOnly(true);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);  // two lines must fit in 35 pixels
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QApplication::palette("QMenuBar").color(QPalette::Window));
    setPalette(colours);
    showText();
}

void NameBox::setFileName(const QString &name, const QString &path)
{
    name_ = name;
    setToolTip(path);
    showText();
}

QString NameBox::fullText() const { return title_ + QLatin1Char('\n') + name_; }

void NameBox::fitTitle() { setFont(FontToFit(font(), title_ + QLatin1Char('\n'), textRoom())); }

QSize NameBox::textRoom() const
{
    // The viewport is sized only once the box is shown; the frame is known at once.
    const int margin = qCeil(document()->documentMargin());
    return contentsRect().size() - QSize(2 * margin + cursorWidth(), 2 * margin);
}

void NameBox::showText()
{
    setPlainText(title_ + QLatin1Char('\n') +
                 fontMetrics().elidedText(name_, Qt::ElideMiddle, textRoom().width()));
}

void NameBox::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    showText();
}

void NameBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showText();
}

}  // namespace zerka
