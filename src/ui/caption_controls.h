// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRect>
#include <QSize>
#include <QString>

class QPushButton;

namespace zerka {

// The font nearest to font in which text fits room, as QFontMetrics measures it (one
// line per LF, '&' marks a mnemonic): font itself when the text fits; otherwise, at the
// largest pixel size that allows it, the least narrowing down to 90 % width. Below that
// no text looks like its neighbours any more; the smallest size tried is the answer
// when nothing fits.
QFont FontToFit(const QFont &font, const QString &text, const QSize &room);

// Gives the button the font its caption fits in, within the style's frame around it.
void FitCaption(QPushButton &button);

// A frame drawn the way the window's controls were placed around it: the line on the
// frame's own edges, the title set into the top line. The style's group box puts its
// line below the title, where the first controls already sit. Only a picture: the
// controls it groups are its siblings, those whose place lies within its own.
class GroupFrame : public QGroupBox {
    Q_OBJECT
public:
    GroupFrame(const QString &title, QWidget *parent = nullptr);

    // In the frame's coordinates, with its current font.
    QRect titleRect() const;
    QRect lineRect() const;

    // Makes the title fit above the controls the frame groups and between its sides.
    void fitTitle();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize titleRoom() const;
};

// The read-only two-line box that names a loaded model file under its title, on the
// menu bar's colour. A name wider than the box is shown elided in the middle; the box
// keeps it whole in fullText() and shows it as its tooltip.
class NameBox : public QPlainTextEdit {
    Q_OBJECT
public:
    NameBox(const QString &title, QWidget *parent = nullptr);

    // name as the box shows it, path whole in its tooltip.
    void setFileName(const QString &name, const QString &path);
    // Title and name as set, on two lines broken by LF, as toPlainText() gives them.
    QString fullText() const;

    // Makes both lines fit, measured on the title.
    void fitTitle();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QSize textRoom() const;
    void showText();

    QString title_;
    QString name_;
};

}  // namespace zerka
