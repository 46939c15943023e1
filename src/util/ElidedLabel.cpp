#include "util/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>

#include <cmath>

namespace zdr::util::ui {

namespace {

// The text laid out in width: each line of it wrapped at blanks, or
// anywhere where a word is longer than the width. Returns the height.
int layOut(const QString& text, const QFont& font, int width, QPainter* painter, QPointF origin)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(1, width));
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        if (painter)
            layout.draw(painter, origin);
    }
    return static_cast<int>(std::ceil(y));
}

} // namespace

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setTextFormat(Qt::PlainText); }

QString ElidedLabel::shownText() const
{
    if (wrapped_)
        return text();
    const int width = contentsRect().width() - 2 * margin();
    QStringList lines = text().split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = fontMetrics().elidedText(line, Qt::ElideMiddle, width);
    return lines.join(QLatin1Char('\n'));
}

void ElidedLabel::setWrapped(bool on)
{
    wrapped_ = on;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(on);
    setSizePolicy(policy);
    fitHeight();
    updateGeometry();
    update();
}

bool ElidedLabel::hasHeightForWidth() const { return wrapped_ || QLabel::hasHeightForWidth(); }

int ElidedLabel::heightForWidth(int width) const
{
    if (!wrapped_)
        return QLabel::heightForWidth(width);
    const QMargins frame = contentsMargins();
    const int inner = width - frame.left() - frame.right() - 2 * margin();
    return layOut(text(), font(), inner, nullptr, {}) + frame.top() + frame.bottom() + 2 * margin();
}

QSize ElidedLabel::minimumSizeHint() const
{
    QSize hint = QLabel::minimumSizeHint();
    if (wrapped_)
        hint.setHeight(heightForWidth(width()));
    return hint;
}

void ElidedLabel::fitHeight()
{
    const int wanted = wrapped_ ? heightForWidth(width()) : 0;
    if (wanted != minimumHeight())
        setMinimumHeight(wanted);
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    fitHeight();
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect place = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (wrapped_) {
        // A new text may need more lines than the label has yet.
        fitHeight();
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
        layOut(text(), font(), place.width(), &painter, place.topLeft());
        return;
    }
    style()->drawItemText(&painter, place, static_cast<int>(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}

bool ElidedLabel::event(QEvent* event)
{
    // A tool tip of its own wins; otherwise a shortened text shows whole.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (isElided())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

} // namespace zdr::util::ui
