#include "run/clsProgressBar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

namespace zdr::run::ui {
namespace {

const QColor kBack(255, 255, 192); // 0xC0FFFF
const QColor kBar(0, 0, 128);      // 0x800000
const QColor kMixed(0, 0, 191);    // bar OR NOT back
const QColor kWhite(255, 255, 255);

QImage bar(std::int32_t percentage, const QString& text, bool showPercentage, std::int32_t border = 0,
           std::optional<QFont> font = QFont(QStringLiteral("Arial"), 7))
{
    return clsProgressBar::DrawProgressBar(QSize(360, 13), percentage, text, font, showPercentage, 0xC0FFFF, 0x800000,
                                           clsProgressBar::kAlignCenter, clsProgressBar::kEndEllipsis, border, 96,
                                           QApplication::palette());
}

QColor at(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

int count(const QImage& image, const QColor& colour, int fromX = 0, int toX = -1)
{
    if (toX < 0)
        toX = image.width();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = fromX; x < toX; ++x)
            n += at(image, x, y) == colour;
    return n;
}

// source OR NOT destination, per channel
QColor orNot(const QColor& source, const QColor& destination)
{
    return QColor(source.red() | (255 - destination.red()), source.green() | (255 - destination.green()),
                  source.blue() | (255 - destination.blue()));
}

TEST(clsProgressBar, FilledPartIsBarOrNotPicture)
{
    const QImage empty = bar(0, QStringLiteral("Kopieren"), false);
    const QImage half = bar(50, QStringLiteral("Kopieren"), false);
    ASSERT_EQ(empty.size(), QSize(360, 13));
    EXPECT_EQ(at(empty, 300, 6), kBack);
    EXPECT_EQ(at(half, 20, 6), kMixed);
    EXPECT_EQ(at(half, 300, 6), kBack);
    const int textPixels = count(empty, kBar);
    EXPECT_GT(textPixels, 20) << "the text is drawn in the bar colour";
    // Every pixel left of the middle is the bar colour OR NOT the empty
    // picture's pixel; the rest is untouched.
    int whiteText = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 360; ++x) {
            const QColor before = at(empty, x, y);
            const QColor expected = x < 180 ? orNot(kBar, before) : before;
            ASSERT_EQ(at(half, x, y), expected) << x << "," << y;
            whiteText += x < 180 && before == kBar;
        }
    EXPECT_GT(whiteText, 0) << "the text crosses the middle";
    EXPECT_EQ(count(half, kWhite, 0, 180), whiteText) << "text under the fill turns white";
}

TEST(clsProgressBar, PercentageTexts)
{
    const QImage zero = bar(0, {}, true);
    EXPECT_GT(count(zero, kBar), 10) << "\"0%\" in the bar colour";
    EXPECT_EQ(count(zero, kMixed), 0) << "no filled part";
    const QImage full = bar(100, {}, true);
    EXPECT_EQ(count(full, kBar), 0);
    EXPECT_GT(count(full, kWhite), 10) << "\"100%\" white on the mixed colour";
    EXPECT_EQ(at(full, 359, 12), kMixed);
    // Without a font no text is drawn.
    EXPECT_EQ(count(bar(0, QStringLiteral("x"), true, 0, std::nullopt), kBack), 360 * 13);
}

TEST(clsProgressBar, Borders)
{
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(at(bar(0, {}, false, 0), 0, 0), kBack);
    EXPECT_EQ(at(bar(0, {}, false, 1), 0, 0), QColor(Qt::black));
    EXPECT_EQ(at(bar(0, {}, false, 1), 359, 12), QColor(Qt::black));
    EXPECT_EQ(at(bar(0, {}, false, 8), 0, 0), QColor(Qt::black));
    const QImage etched = bar(0, {}, false, 6); // sunken outer, raised inner
    auto role = [&palette](QPalette::ColorRole r) { return QColor(palette.color(r).rgb()); };
    EXPECT_EQ(at(etched, 0, 0), role(QPalette::Dark));
    EXPECT_EQ(at(etched, 359, 12), role(QPalette::Light));
    EXPECT_EQ(at(etched, 1, 1), role(QPalette::Light));
    EXPECT_EQ(at(etched, 358, 11), role(QPalette::Dark));
    const QImage raised = bar(100, {}, false, 5); // the border lies over the fill
    EXPECT_EQ(at(raised, 0, 0), role(QPalette::Midlight));
    EXPECT_EQ(at(raised, 359, 12), role(QPalette::Shadow));
}

TEST(clsProgressBar, ColoursAndTwips)
{
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(winColour(0xC0FFFF, palette), kBack);
    EXPECT_EQ(winColour(0x800000, palette), kBar);
    EXPECT_EQ(winColour(0x80000018, palette), palette.color(QPalette::ToolTipBase));
    const std::tuple<int, double, int> cases[] = {{5400, 96, 360}, {200, 96, 13}, {1, 96, 0},  {0, 96, 0},
                                                  {-3, 96, -3},    {25, 144, 2},  {35, 144, 4}};
    for (const auto& [twips, dpi, pixels] : cases)
        EXPECT_EQ(twipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
}

class BarOnCanvas : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.resize(400, 40);
        canvas.setAutoFillBackground(true);
        QPalette p = canvas.palette();
        p.setColor(QPalette::Window, Qt::green);
        canvas.setPalette(p);
        clsProgressBar::Settings s;
        s.canvas = &canvas;
        s.left = 10;
        s.top = 5;
        s.width = 200;
        s.height = 20;
        s.units = 0; // pixels
        s.font = QFont(QStringLiteral("Arial"), 7);
        s.borderStyle = 0;
        progress.sb_Init(s);
    }
    QColor canvasAt(int x, int y) { return QColor(canvas.grab().toImage().pixel(x, y)); }

    QWidget canvas;
    clsProgressBar progress;
};

TEST_F(BarOnCanvas, ValueLimitsAndSteps)
{
    progress.setValuePercentage(150);
    EXPECT_EQ(progress.ValuePercentage(), 100);
    progress.setValuePercentage(-5);
    EXPECT_EQ(progress.ValuePercentage(), 0);

    progress.setValue(120);
    EXPECT_EQ(progress.value(), 100);
    clsProgressBar::Settings s = progress.settings();
    s.flags |= clsProgressBar::kFlagWrap;
    progress.sb_Init(s);
    progress.setValue(120);
    EXPECT_EQ(progress.value(), 0);
    s.minimum = 10;
    progress.sb_Init(s);
    progress.setValue(120);
    EXPECT_EQ(progress.value(), 10);
    EXPECT_EQ(progress.ValuePercentage(), 10);

    s = progress.settings();
    s.value = 40;
    s.step = 0;
    s.maximum = 200;
    progress.sb_Init(s);
    progress.Add(0);
    EXPECT_EQ(progress.value(), 41);
    EXPECT_EQ(progress.ValuePercentage(), 20); // 20.5 -> 20
    s = progress.settings();
    s.step = 5;
    progress.sb_Init(s);
    progress.Add(0);
    EXPECT_EQ(progress.value(), 46);
    progress.Add(3);
    EXPECT_EQ(progress.value(), 49);
    EXPECT_EQ(progress.ValuePercentage(), 24); // 24.5 -> 24

    progress.ReInit(); // minimum 10 of 200
    EXPECT_EQ(progress.ValuePercentage(), 5);
    EXPECT_EQ(progress.value(), 49);
    progress.Ready();
    EXPECT_EQ(progress.ValuePercentage(), 100);

    s.maximum = 0; // no share of nothing, and no division by zero
    progress.sb_Init(s);
    progress.setValue(0);
    EXPECT_EQ(progress.ValuePercentage(), 0);
}

TEST_F(BarOnCanvas, PaintsOnlyWhileVisible)
{
    progress.setValuePercentage(100);
    EXPECT_EQ(canvasAt(2, 2), QColor(Qt::green));
    EXPECT_EQ(canvasAt(12, 7), kMixed);
    EXPECT_EQ(canvasAt(209, 24), kMixed);
    EXPECT_EQ(canvasAt(210, 25), QColor(Qt::green));

    progress.setVisible(false);
    EXPECT_FALSE(progress.Visible());
    EXPECT_EQ(canvasAt(12, 7), QColor(Qt::green));
    progress.setValuePercentage(50);
    EXPECT_EQ(canvasAt(12, 7), QColor(Qt::green));

    progress.setVisible(true);
    progress.setTop(15);
    EXPECT_EQ(progress.Top(), 15);
    EXPECT_EQ(canvasAt(12, 7), QColor(Qt::green));
    EXPECT_EQ(canvasAt(12, 17), kMixed);
}

TEST_F(BarOnCanvas, TwipsAreConvertedAtTheCanvasResolution)
{
    clsProgressBar::Settings s = progress.settings();
    s.units = 1;
    s.left = 1;
    s.top = 1;
    s.width = 5400;
    s.height = 200;
    progress.sb_Init(s);
    const double dpiX = canvas.logicalDpiX();
    const double dpiY = canvas.logicalDpiY();
    EXPECT_EQ(
        progress.pixelRect(),
        QRect(twipsToPixels(1, dpiX), twipsToPixels(1, dpiY), twipsToPixels(5400, dpiX), twipsToPixels(200, dpiY)));
    if (dpiX == 96 && dpiY == 96)
        EXPECT_EQ(progress.pixelRect(), QRect(0, 0, 360, 13));
}

} // namespace
} // namespace zdr::run::ui
