#pragma once

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class QPalette;

namespace zdr::run::ui {

// A colour as the program stores it: 0x00BBGGRR, or a system colour
// 0x800000nn (nn the system's colour index) taken from the palette.
QColor winColour(std::uint32_t value, const QPalette& palette);

// Twips to pixels at a resolution (15 twips a pixel at 96 dpi), rounded
// halves to even; a value of 0 or less stays as it is.
int twipsToPixels(int twips, double dotsPerInch);

// A horizontal progress bar drawn into a rectangle of another widget (the
// canvas), with an optional text, e.g. the percentage. The picture is
// composed off-screen; the part of the text under the filled part appears
// inverted (white on the mixed colour), as the raster operation "source OR
// NOT destination" of the bar colour over the picture gives.
class clsProgressBar : public QObject {
    Q_OBJECT
public:
    static constexpr std::int32_t kFlagVisible = 2;
    static constexpr std::int32_t kFlagWrap = 4; // a value above the maximum starts at the minimum

    // DrawText flags the bar understands.
    static constexpr std::int32_t kAlignCenter = 1;
    static constexpr std::int32_t kAlignRight = 2;
    static constexpr std::int32_t kPathEllipsis = 0x4000;
    static constexpr std::int32_t kEndEllipsis = 0x8000;
    static constexpr std::int32_t kWordEllipsis = 0x40000;

    // The twenty settings, in the order sb_Init takes them.
    struct Settings {
        QWidget* canvas = nullptr;
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t percentage = 0;
        std::int32_t flags = kFlagVisible;
        std::int32_t minimum = 0;
        std::int32_t maximum = 100;
        std::int32_t value = 0;
        std::int32_t step = 0;
        QString text;
        std::optional<QFont> font; // without a font no text is drawn
        bool showPercentage = true;
        std::uint32_t backColour = 0xC0FFFF;
        std::uint32_t barColour = 0x800000;
        std::int32_t alignment = kAlignCenter;
        std::int32_t moreTextFlags = kEndEllipsis;
        std::int32_t borderStyle = 0; // 0 none, 1 and 8 a black frame, 2..7 an edge
        std::int32_t units = 1;       // 1: twips, otherwise pixels
    };

    explicit clsProgressBar(QObject* parent = nullptr);
    ~clsProgressBar() override;

    // Stores the settings and starts drawing into the canvas; draws nothing yet.
    void sb_Init(const Settings& settings);

    std::int32_t ValuePercentage() const { return s_.percentage; }
    // Values above 100 are drawn as 100 (and below 0 as 0); then Paint.
    void setValuePercentage(std::int32_t percentage);
    std::int32_t value() const { return s_.value; }
    void setValue(std::int32_t value);
    // Adds the increment (0: the step; a step of 0: 1).
    void Add(std::int32_t increment);
    void Ready();
    // Back to the minimum's percentage; the value stays.
    void ReInit();
    bool Visible() const { return (s_.flags & kFlagVisible) != 0; }
    // True: the next paint draws the bar; False erases a visible bar.
    void setVisible(bool visible);
    std::int32_t Top() const { return s_.top; }
    void setTop(std::int32_t top);
    // Asks the canvas to repaint the bar (the canvas paints at its own pace).
    void Paint();

    const Settings& settings() const { return s_; }
    // The bar's rectangle on the canvas in pixels.
    QRect pixelRect() const;
    // The bar's picture as Paint puts it on the canvas.
    QImage render() const;

    // Composes a bar picture of the given pixel size.
    static QImage DrawProgressBar(QSize size, std::int32_t percentage, const QString& text,
                                  const std::optional<QFont>& font, bool showPercentage, std::uint32_t backColour,
                                  std::uint32_t barColour, std::int32_t alignment, std::int32_t moreTextFlags,
                                  std::int32_t borderStyle, double dotsPerInchY, const QPalette& palette);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::int32_t limited(std::int64_t value) const;
    void setPercentageFromValue();
    void erase();

    Settings s_;
    QPointer<QWidget> canvas_;
};

} // namespace zdr::run::ui
