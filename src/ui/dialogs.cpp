// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>

#include "window/convert_again.h"
#include "window_support.h"

namespace zerka {
namespace {

// A box may open while an action shows the busy pointer; the person must still see
// an arrow over the box's buttons.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowWhileAsking() { QGuiApplication::restoreOverrideCursor(); }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;
};

// rect, no larger than available and moved as little as it takes to lie within it.
QRect FitWithin(QRect rect, const QRect &available)
{
    rect.setSize(rect.size().boundedTo(available.size()));
    rect.moveLeft(std::clamp(rect.left(), available.left(),
                             available.left() + available.width() - rect.width()));
    rect.moveTop(std::clamp(rect.top(), available.top(),
                            available.top() + available.height() - rect.height()));
    return rect;
}

// QMessageBox sizes itself when shown, when its layout changes and when its details are
// shown or hidden, wrapping lines wider than half the screen and growing as tall as its
// text and details need; this box then takes the size over, so that it fits its screen.
class SummaryBox final : public QMessageBox {
public:
    static constexpr int kDetailsColumns = 100;
    static constexpr int kDetailsLines = 20;

    SummaryBox(QWidget *parent, const QString &text, const QString &details)
        : QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kAppCaption), WithLfBreaks(text),
                      QMessageBox::Ok, parent)
    {
        setTextFormat(Qt::PlainText);  // a file name or a reason is never markup
        if (details.isEmpty())
            return;
        setDetailedText(WithLfBreaks(details));
        if (QTextEdit *area = detailsArea()) {
            // The report's tables line up in columns only unwrapped, in a fixed font.
            area->setLineWrapMode(QTextEdit::NoWrap);
            area->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            // Room for a report's lines and a screenful of them, as far as the screen
            // has it: QMessageBox's own few lines as wide as the summary hide most of a
            // warning behind a scroll bar.
            const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
            const QFontMetrics metrics = area->fontMetrics();
            int width = kDetailsColumns * metrics.horizontalAdvance(QLatin1Char('x'));
            int height = kDetailsLines * metrics.lineSpacing();
            if (screen) {
                width = std::min(width, screen->availableGeometry().width() * 4 / 5);
                height = std::min(height, screen->availableGeometry().height() / 2);
            }
            area->setMinimumWidth(width);
            area->setFixedHeight(std::max(height, area->maximumHeight()));
            detailsHeight_ = area->maximumHeight();
        }
        // QMessageBox sizes the box anew when its details are shown or hidden, on the
        // click; connected after its own handler, this one runs after it.
        if (auto *buttons = findChild<QDialogButtonBox *>())
            connect(buttons, &QDialogButtonBox::clicked, this, [this] {
                if (isVisible())
                    fitToScreen(Anchor::TopLeft);
            });
    }

protected:
    bool event(QEvent *event) override
    {
        const bool handled = QMessageBox::event(event);
        if (event->type() == QEvent::LayoutRequest && isVisible())
            fitToScreen(Anchor::TopLeft);
        return handled;
    }

    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        fitToScreen(Anchor::Center);  // QDialog has just centred the box as QMessageBox sized it
    }

private:
    QTextEdit *detailsArea() const { return findChild<QTextEdit *>(); }

    QSize laidOutSize() const
    {
        layout()->activate();
        return layout()->totalMinimumSize();
    }

    // What stays in place when the box changes size: it opens centred, and later grows
    // and shrinks downwards as QMessageBox would have it.
    enum class Anchor { Center, TopLeft };

    void fitToScreen(Anchor anchor)
    {
        const QScreen *screen = this->screen();
        if (!screen || !layout())
            return;
        // The lines come elided to the screen's width; wrapped, they would take two lines.
        if (auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            label->setWordWrap(false);
        const QRect available = screen->availableGeometry();
        const QSize frame = frameGeometry().size() - size();
        const QSize room = available.size() - frame;

        QSize wanted = laidOutSize();
        QTextEdit *area = detailsArea();
        if (area && area->isVisible() && detailsHeight_ > 0) {
            const int fewLines = 3 * area->fontMetrics().lineSpacing();
            const int height = std::clamp(area->maximumHeight() - (wanted.height() - room.height()),
                                          std::min(fewLines, detailsHeight_), detailsHeight_);
            if (height != area->maximumHeight()) {
                area->setFixedHeight(height);
                area->parentWidget()->layout()->activate();  // the box's layout learns of it
                wanted = laidOutSize();
            }
        }
        const QRect before = frameGeometry();
        setFixedSize(wanted.boundedTo(room));
        QRect placed(before.topLeft(), size() + frame);
        if (anchor == Anchor::Center)
            placed.moveCenter(before.center());
        move(FitWithin(placed, available).topLeft());
        // Each change above asks for another layout, which QMessageBox would answer by
        // sizing the box its own way again.
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
    }

    int detailsHeight_ = 0;  // as QMessageBox makes the area; a short screen takes some back
};

}  // namespace

std::unique_ptr<QMessageBox> MakeSummaryBox(QWidget *parent, const QString &text,
                                            const QString &details, bool offerAgain)
{
    auto box = std::make_unique<SummaryBox>(parent, text, details);
    if (offerAgain) {
        box->addButton(QString::fromUtf8(kConvertAgainButton), QMessageBox::ActionRole)
            ->setObjectName(QStringLiteral("convertAgain"));
        box->setDefaultButton(QMessageBox::Ok);
    }
    return box;
}

std::unique_ptr<QDialog> MakeConvertAgainDialog(QWidget *parent, const QStringList &labels,
                                                const std::vector<bool> &ticked)
{
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("frmConvertAgain"));
    dialog->setWindowTitle(QString::fromUtf8(kConvertAgainCaption));
    auto *layout = new QGridLayout(dialog.get());
    for (int i = 0; i < labels.size(); ++i) {
        auto *choice = new QCheckBox(labels[i], dialog.get());
        choice->setObjectName(QStringLiteral("choice"));
        choice->setChecked(static_cast<std::size_t>(i) < ticked.size() && ticked[static_cast<std::size_t>(i)]);
        layout->addWidget(choice, i, 0, 1, 2);
    }
    auto *convert = new QPushButton(QString::fromUtf8(kConvertAgainConvert), dialog.get());
    convert->setObjectName(QStringLiteral("cmdConvert"));
    convert->setDefault(true);
    auto *cancel = new QPushButton(QString::fromUtf8(kConvertAgainCancel), dialog.get());
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);
    // Laid out as the value editor is: two buttons of its width below the boxes.
    for (QPushButton *button : {convert, cancel})
        button->setFixedWidth(ToPixels(kEditorButtonWidthTwips));
    layout->addWidget(convert, static_cast<int>(labels.size()), 0);
    layout->addWidget(cancel, static_cast<int>(labels.size()), 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    QObject::connect(convert, &QPushButton::clicked, dialog.get(), &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog.get(), &QDialog::reject);
    return dialog;
}

std::optional<std::vector<bool>> QtDialogs::askConvertAgain(QWidget *parent,
                                                            const QStringList &labels,
                                                            const std::vector<bool> &ticked)
{
    const std::unique_ptr<QDialog> dialog = MakeConvertAgainDialog(parent, labels, ticked);
    ArrowWhileAsking arrow;
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<bool> chosen;
    for (const QCheckBox *choice : dialog->findChildren<QCheckBox *>(QStringLiteral("choice")))
        chosen.push_back(choice->isChecked());
    return chosen;
}

bool QtDialogs::showSummary(QWidget *parent, const QString &text, const QString &details,
                            bool offerAgain)
{
    const std::unique_ptr<QMessageBox> box = MakeSummaryBox(parent, text, details, offerAgain);
    box->setWindowModality(Qt::ApplicationModal);
    ArrowWhileAsking arrow;
    box->exec();
    const QAbstractButton *clicked = box->clickedButton();
    return clicked && clicked->objectName() == QLatin1String("convertAgain");
}

void QtDialogs::showMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kAppCaption), WithLfBreaks(text),
                    QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    ArrowWhileAsking arrow;
    box.exec();
}

std::unique_ptr<QFileDialog> MakeHierarchyDialog(QWidget *parent, const QString &startFolder)
{
    auto dialog =
        std::make_unique<QFileDialog>(parent, QString::fromLatin1(kHierarchyDialogTitle),
                                      startFolder, QString::fromLatin1(kHierarchyFilterName));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("3do"));
    dialog->selectFile(QString::fromLatin1(kHierarchyPattern));
    return dialog;
}

std::optional<QString> QtDialogs::openHierarchyFile(QWidget *parent, const QString &startFolder)
{
    const std::unique_ptr<QFileDialog> dialog = MakeHierarchyDialog(parent, startFolder);
    ArrowWhileAsking arrow;
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

}  // namespace zerka
