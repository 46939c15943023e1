#include "run/clsProgressBar.h"

#include "base/NumberFormat.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <array>

namespace zdr::run::ui {

namespace {

int rounded(double value) { return static_cast<int>(base::roundHalfEven(value)); }

// The system's colour indexes that have a palette role.
QPalette::ColorRole systemRole(std::uint32_t index)
{
    struct Entry {
        std::uint32_t index;
        QPalette::ColorRole role;
    };
    static constexpr std::array<Entry, 15> entries = {{
        {0x02, QPalette::Highlight},
        {0x04, QPalette::Window},
        {0x05, QPalette::Base},
        {0x06, QPalette::Shadow},
        {0x08, QPalette::Text},
        {0x0D, QPalette::Highlight},
        {0x0E, QPalette::HighlightedText},
        {0x0F, QPalette::Button},
        {0x10, QPalette::Dark},
        {0x12, QPalette::ButtonText},
        {0x14, QPalette::Light},
        {0x15, QPalette::Shadow},
        {0x16, QPalette::Midlight},
        {0x17, QPalette::ToolTipText},
        {0x18, QPalette::ToolTipBase},
    }};
    for (const Entry& e : entries)
        if (e.index == index)
            return e.role;
    return QPalette::Window;
}

// Edge bits: 1 raised outer, 2 sunken outer, 4 raised inner, 8 sunken inner.
int edgeOfStyle(std::int32_t style)
{
    switch (style) {
    case 2: return 2;
    case 3: return 10;
    case 4: return 1;
    case 5: return 5;
    case 6: return 6;
    case 7: return 9;
    default: return 0;
    }
}

void drawRing(QPainter& p, QRect r, const QColor& topLeft, const QColor& bottomRight)
{
    p.setPen(topLeft);
    p.drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
    p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p.setPen(bottomRight);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.bottom(), r.right(), r.top());
}

void drawBorder(QPainter& p, QSize size, std::int32_t style, const QPalette& palette)
{
    const QRect all(QPoint(0, 0), size);
    if (style == 1 || style == 8) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(all.adjusted(0, 0, -1, -1));
        return;
    }
    const int edge = edgeOfStyle(style);
    if (edge == 0)
        return;
    const QColor highlight = palette.color(QPalette::Light);
    const QColor light = palette.color(QPalette::Midlight);
    const QColor shadow = palette.color(QPalette::Dark);
    const QColor darkShadow = palette.color(QPalette::Shadow);
    if (edge & 1)
        drawRing(p, all, light, darkShadow);
    else if (edge & 2)
        drawRing(p, all, shadow, highlight);
    const QRect inner = all.adjusted(1, 1, -1, -1);
    if (edge & 4)
        drawRing(p, inner, highlight, shadow);
    else if (edge & 8)
        drawRing(p, inner, darkShadow, light);
}

QString barText(const QString& text, bool showPercentage, std::int32_t percentage)
{
    const QString percent = QString::number(percentage) + QLatin1Char('%');
    if (!showPercentage)
        return text;
    return text.isEmpty() ? percent : text + QLatin1Char(' ') + percent;
}

} // namespace

QColor winColour(std::uint32_t value, const QPalette& palette)
{
    if (value & 0x80000000u)
        return palette.color(systemRole(value & 0xFFu));
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

int twipsToPixels(int twips, double dotsPerInch)
{
    if (twips <= 0 || dotsPerInch <= 0)
        return twips;
    return rounded(twips / (1440.0 / dotsPerInch));
}

clsProgressBar::clsProgressBar(QObject* parent) : QObject(parent) {}

clsProgressBar::~clsProgressBar()
{
    if (canvas_) {
        canvas_->removeEventFilter(this);
        if (Visible())
            erase();
    }
}

void clsProgressBar::sb_Init(const Settings& settings)
{
    if (canvas_)
        canvas_->removeEventFilter(this);
    s_ = settings;
    canvas_ = settings.canvas;
    if (canvas_)
        canvas_->installEventFilter(this);
}

void clsProgressBar::setValuePercentage(std::int32_t percentage)
{
    s_.percentage = std::clamp(percentage, 0, 100);
    Paint();
}

std::int32_t clsProgressBar::limited(std::int64_t value) const
{
    if (value <= s_.maximum)
        return static_cast<std::int32_t>(std::max<std::int64_t>(value, INT32_MIN));
    if (s_.flags & kFlagWrap)
        return s_.minimum < 1 ? 0 : s_.minimum;
    return s_.maximum;
}

void clsProgressBar::setPercentageFromValue()
{
    // A maximum of 0 or less has no share; the bar then stays empty.
    setValuePercentage(s_.maximum > 0 ? rounded(s_.value * 100.0 / s_.maximum) : 0);
}

void clsProgressBar::setValue(std::int32_t value)
{
    s_.value = limited(value);
    setPercentageFromValue();
}

void clsProgressBar::Add(std::int32_t increment)
{
    if (increment == 0)
        increment = s_.step == 0 ? 1 : s_.step;
    s_.value = limited(static_cast<std::int64_t>(s_.value) + increment);
    setPercentageFromValue();
}

void clsProgressBar::Ready() { setValuePercentage(100); }

void clsProgressBar::ReInit()
{
    setValuePercentage(s_.minimum >= 1 && s_.maximum > 0 ? rounded(s_.minimum * 100.0 / s_.maximum) : 0);
}

void clsProgressBar::setVisible(bool visible)
{
    if (visible) {
        s_.flags |= kFlagVisible;
        return;
    }
    if (Visible())
        erase();
    s_.flags &= ~kFlagVisible;
}

void clsProgressBar::setTop(std::int32_t top)
{
    if (!Visible()) {
        s_.top = top;
        return;
    }
    setVisible(false);
    s_.top = top;
    setVisible(true);
    Paint();
}

void clsProgressBar::Paint()
{
    if (Visible() && canvas_)
        canvas_->update(pixelRect());
}

void clsProgressBar::erase()
{
    if (canvas_)
        canvas_->update(pixelRect());
}

QRect clsProgressBar::pixelRect() const
{
    if (s_.units != 1 || !canvas_)
        return {s_.left, s_.top, s_.width, s_.height};
    const double dpiX = canvas_->logicalDpiX();
    const double dpiY = canvas_->logicalDpiY();
    return {twipsToPixels(s_.left, dpiX), twipsToPixels(s_.top, dpiY), twipsToPixels(s_.width, dpiX),
            twipsToPixels(s_.height, dpiY)};
}

QImage clsProgressBar::render() const
{
    const double dpiY = canvas_ ? canvas_->logicalDpiY() : 96.0;
    const QPalette palette = canvas_ ? canvas_->palette() : QPalette();
    return DrawProgressBar(pixelRect().size(), s_.percentage, s_.text, s_.font, s_.showPercentage, s_.backColour,
                           s_.barColour, s_.alignment, s_.moreTextFlags, s_.borderStyle, dpiY, palette);
}

QImage clsProgressBar::DrawProgressBar(QSize size, std::int32_t percentage, const QString& text,
                                       const std::optional<QFont>& font, bool showPercentage, std::uint32_t backColour,
                                       std::uint32_t barColour, std::int32_t alignment, std::int32_t moreTextFlags,
                                       std::int32_t borderStyle, double dotsPerInchY, const QPalette& palette)
{
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    const QColor back = winColour(backColour, palette);
    const QColor bar = winColour(barColour, palette);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(back);
    QPainter p(&picture);

    const QString shown = barText(text, showPercentage, percentage);
    if (font && !shown.isEmpty()) {
        QFont f = *font;
        f.setPixelSize(std::max(1, rounded(font->pointSizeF() * dotsPerInchY / 72.0)));
        // Solid glyphs: each text pixel is the bar colour, so under the fill it
        // turns white and stays readable.
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        p.setPen(bar);
        const QRect textRect(4, 3, size.width() - 8, size.height() - 6);
        Qt::TextElideMode elide = Qt::ElideNone;
        if (moreTextFlags & (kEndEllipsis | kWordEllipsis))
            elide = Qt::ElideRight;
        else if (moreTextFlags & kPathEllipsis)
            elide = Qt::ElideMiddle;
        const QString fitted =
            elide == Qt::ElideNone ? shown : QFontMetrics(f).elidedText(shown, elide, std::max(0, textRect.width()));
        const int horizontal = (alignment & kAlignCenter)
            ? Qt::AlignHCenter
            : ((alignment & kAlignRight) ? Qt::AlignRight : Qt::AlignLeft);
        // Centred in the bar's height even where the font is taller than the
        // text rectangle; cut at its left and right edges only.
        p.save();
        p.setClipRect(QRect(textRect.left(), 0, std::max(0, textRect.width()), size.height()));
        p.drawText(textRect, horizontal | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, fitted);
        p.restore();
    }

    const int filled = std::clamp(rounded(size.width() / 100.0 * percentage), 0, size.width());
    if (filled > 0) {
        p.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
        p.fillRect(QRect(0, 0, filled, size.height()), bar);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    drawBorder(p, size, borderStyle, palette);
    return picture;
}

bool clsProgressBar::eventFilter(QObject* watched, QEvent* event)
{
    // The canvas's background is filled before its paint event; the bar goes
    // on top, and the canvas's own painting (none for a plain widget) follows.
    if (watched == canvas_ && event->type() == QEvent::Paint && Visible()) {
        QPainter p(canvas_);
        p.drawImage(pixelRect().topLeft(), render());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zdr::run::ui
