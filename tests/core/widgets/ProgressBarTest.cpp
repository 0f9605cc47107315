#include <map>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "core/widgets/DProgressBar.h"
#include "core/widgets/OleColor.h"
#include "core/widgets/ProgressBarLayout.h"
#include "core/widgets/PropertyBag.h"
#include "core/widgets/mN7GraphLight.h"
#include "core/widgets/miGraphApi.h"

using namespace Qt::StringLiterals;
using core::DProgressBar;

namespace {

// ---- layout arithmetic -------------------------------------------------------------------------

struct LayoutCase
{
    const char* name;
    core::ProgressBarLayoutInput in;
    double right;
    double barEnd;
    qint64 textX;
    qint64 textY;
};

core::ProgressBarLayoutInput bar(double value, double min = 0, double max = 100)
{
    core::ProgressBarLayoutInput in;
    in.scaleWidth = 3000;
    in.scaleHeight = 300;
    in.min = min;
    in.max = max;
    in.value = value;
    in.textWidth = 600;
    in.textHeight = 195;
    return in;
}

core::ProgressBarLayoutInput with(core::ProgressBarLayoutInput in, int alignment, int clearance = 0,
                                  double textWidth = 600)
{
    in.textAlignment = alignment;
    in.borderClearance = clearance;
    in.textWidth = textWidth;
    return in;
}

core::ProgressBarLayoutInput sized(core::ProgressBarLayoutInput in, double width)
{
    in.scaleWidth = width;
    return in;
}

TEST(ProgressBarLayout, BarEndTextPositionAndRounding)
{
    const LayoutCase cases[] = {
        {"half of 3000 twips", bar(50), 3000, 1500, 60, 52},
        {"min 50 max 100 value 75 covers half", bar(75, 50, 100), 3000, 1500, 60, 52},
        {"at min nothing is filled", bar(0), 3000, 0, 60, 52},
        {"below min nothing is filled", bar(-5), 3000, 0, 60, 52},
        {"at max all is filled", bar(100), 3000, 3000, 60, 52},
        {"above max all is filled", bar(250), 3000, 3000, 60, 52},
        {"max equal to min, value at it", bar(5, 5, 5), 3000, 0, 60, 52},
        {"max equal to min, value above", bar(6, 5, 5), 3000, 3000, 60, 52},
        // 2.5 pixels go down to 2, 3.5 pixels up to 4: halves to even.
        {"2.5 pixels", bar(37.5, 0, 3000), 3000, 30, 60, 52},
        {"3.5 pixels", bar(52.5, 0, 3000), 3000, 60, 60, 52},
        {"2.6 pixels", bar(39, 0, 3000), 3000, 45, 60, 52},
        {"clearance: filled from it, up to width less it", with(bar(100), 0, 60), 2940, 2940, 120, 52},
        {"clearance: empty bar ends at it", with(bar(0), 0, 60), 2940, 60, 120, 52},
        {"clearance: half", with(bar(50), 0, 60), 2940, 1500, 120, 52},
        {"right alignment", with(bar(0), 1), 3000, 0, 2340, 52},
        {"right alignment with clearance", with(bar(0), 1, 60), 2940, 60, 2220, 52},
        {"centre, quotient cut", with(bar(0), 2, 0, 601), 3000, 0, 1199, 52},
        {"centre, negative quotient cut toward zero", with(bar(0), 2, 0, 3601), 3000, 0, -300, 52},
        {"centre with clearance from the left edge", with(bar(0), 2, 60), 2940, 60, 1140, 52},
        {"text width half to even (down)", with(bar(0), 1, 0, 600.5), 3000, 0, 2340, 52},
        {"text width half to even (up)", with(bar(0), 1, 0, 601.5), 3000, 0, 2338, 52},
        {"unknown alignment", with(bar(0), 3), 3000, 0, 0, 52},
        {"negative alignment", with(bar(0), -1), 3000, 0, 0, 52},
        {"right edge halves to even", sized(bar(100), 3000.5), 3000, 3000, 60, 52},
        {"right edge halves to even (up)", sized(bar(100), 3001.5), 3002, 3002, 60, 52},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const core::ProgressBarLayout out = core::layoutProgressBar(c.in);
        EXPECT_EQ(out.right, c.right);
        EXPECT_EQ(out.bottom, 300 - c.in.borderClearance);
        EXPECT_EQ(out.barEnd, c.barEnd);
        EXPECT_EQ(out.textX, c.textX);
        EXPECT_EQ(out.textY, c.textY);
    }
}

TEST(ProgressBarLayout, BarAlwaysEndsOnAWholePixel)
{
    for (int value = 1; value < 100; ++value) {
        SCOPED_TRACE(value);
        const double end = core::CalcBarEnd(0, 100, value + 0.37, 60, 2977, 15);
        EXPECT_EQ(std::fmod(end - 60, 15.0), 0.0);
    }
}

TEST(ProgressBarLayout, ClipCoordinatesAreCutTowardZero)
{
    EXPECT_EQ(core::clipRectPixels(0, 0, 1500, 300, 15, 15), QRect(0, 0, 100, 20));
    EXPECT_EQ(core::clipRectPixels(14, 29, 31, 44, 15, 15), QRect(0, 1, 2, 1));
    EXPECT_EQ(core::clipRectPixels(60, 60, 2940, 240, 15, 12), QRect(4, 5, 192, 15));
}

// ---- colours ---------------------------------------------------------------------------------

TEST(OleColor, PlainColoursAreBgrAndSystemColoursComeFromThePalette)
{
    QPalette palette;
    palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
    palette.setColor(QPalette::HighlightedText, QColor(4, 5, 6));
    palette.setColor(QPalette::Button, QColor(7, 8, 9));
    palette.setColor(QPalette::ButtonText, QColor(10, 11, 12));
    EXPECT_EQ(core::colorFromOle(0x0000FF, palette), QColor(255, 0, 0));
    EXPECT_EQ(core::colorFromOle(0xFF0000, palette), QColor(0, 0, 255));
    EXPECT_EQ(core::colorFromOle(0x123456, palette), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(core::colorFromOle(core::vbHighlight, palette), QColor(1, 2, 3));
    EXPECT_EQ(core::colorFromOle(core::vbHighlightText, palette), QColor(4, 5, 6));
    EXPECT_EQ(core::colorFromOle(core::vbButtonFace, palette), QColor(7, 8, 9));
    EXPECT_EQ(core::colorFromOle(core::vbButtonText, palette), QColor(10, 11, 12));
}

// ---- the control -------------------------------------------------------------------------------

const QColor kFace(200, 200, 200);
const QColor kHighlight(0, 0, 200);
const QColor kHighlightText(255, 255, 255);
const QColor kButtonText(0, 0, 0);
constexpr quint32 kRed = 0x0000FF;
constexpr quint32 kGreen = 0x00FF00;

bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

bool isGreen(QRgb p)
{
    return qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60;
}

class ProgressBarControlTest : public ::testing::Test
{
protected:
    ProgressBarControlTest()
    {
        QPalette colours = control.palette();
        colours.setColor(QPalette::Button, kFace);
        colours.setColor(QPalette::Highlight, kHighlight);
        colours.setColor(QPalette::HighlightedText, kHighlightText);
        colours.setColor(QPalette::ButtonText, kButtonText);
        control.setPalette(colours);
        control.resize(200, 20);
    }

    QImage shown() { return control.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Pixels of a colour in columns [from, to) of the image.
    static int count(const QImage& image, int from, int to, bool (*test)(QRgb))
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = from; x < to; ++x)
                n += test(image.pixel(x, y)) ? 1 : 0;
        return n;
    }

    static int leftmostInk(const QImage& image, const QColor& back)
    {
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) != back)
                    return x;
        return -1;
    }

    DProgressBar control;
};

TEST_F(ProgressBarControlTest, FirstPlacementDefaults)
{
    DProgressBar fresh;
    EXPECT_EQ(fresh.Min(), 0);
    EXPECT_EQ(fresh.Max(), 100);
    EXPECT_EQ(fresh.Value(), 0);
    EXPECT_EQ(fresh.Text(), QString());
    EXPECT_EQ(fresh.TextIndent(), 60);
    EXPECT_EQ(fresh.TextAlignment(), 0);
    EXPECT_EQ(fresh.BorderClearance(), 0);
    EXPECT_EQ(fresh.BarColor(), 0x8000000DU);
    EXPECT_EQ(fresh.TextOverBarColor(), 0x8000000EU);
    EXPECT_EQ(fresh.TextOverBackColor(), 0x80000012U);
    EXPECT_EQ(fresh.Font().family(), core::GetDefaultFont().family());
    EXPECT_EQ(fresh.faceDrawCount(), 1); // placement draws the face exactly once
}

TEST_F(ProgressBarControlTest, EmptyFullAndHalfBarColours)
{
    const int width = control.width();
    control.setValue(0);
    QImage image = shown();
    for (int x = 0; x < width; ++x)
        ASSERT_EQ(image.pixelColor(x, 10), kFace) << x;

    control.setValue(100);
    image = shown();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(image.pixelColor(x, y), kHighlight) << x << "," << y;

    control.setValue(50);
    image = shown();
    const int end =
        static_cast<int>(core::CalcBarEnd(0, 100, 50, 0, width * core::TwipsPerPixelX(), core::TwipsPerPixelX()))
        / core::TwipsPerPixelX();
    EXPECT_EQ(end, 100);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(image.pixelColor(x, y), x < end ? kHighlight : kFace) << x << "," << y;
    }
}

TEST_F(ProgressBarControlTest, TextChangesColourWhereTheBarEnds)
{
    control.setTextOverBarColor(kRed);
    control.setTextOverBackColor(kGreen);
    control.setTextAlignment(2);
    control.setText(u"MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"_s);

    control.setValue(50);
    QImage image = shown();
    EXPECT_GT(count(image, 0, 100, isRed), 0);
    EXPECT_EQ(count(image, 0, 100, isGreen), 0);
    EXPECT_GT(count(image, 100, 200, isGreen), 0);
    EXPECT_EQ(count(image, 100, 200, isRed), 0);

    control.setValue(0);
    image = shown();
    EXPECT_EQ(count(image, 0, 200, isRed), 0);
    EXPECT_GT(count(image, 0, 200, isGreen), 0);

    control.setValue(100);
    image = shown();
    EXPECT_GT(count(image, 0, 200, isRed), 0);
    EXPECT_EQ(count(image, 0, 200, isGreen), 0);
}

TEST_F(ProgressBarControlTest, ClearanceKeepsAMarginOfBackgroundOnEverySide)
{
    control.setBorderClearance(60);
    control.setValue(100);
    const QImage image = shown();
    const int margin = 60 / core::TwipsPerPixelX();
    const int marginY = 60 / core::TwipsPerPixelY();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inside =
                x >= margin && x < image.width() - margin && y >= marginY && y < image.height() - marginY;
            ASSERT_EQ(image.pixelColor(x, y), inside ? kHighlight : kFace) << x << "," << y;
        }
    }
}

TEST_F(ProgressBarControlTest, TextStartsWhereTheAlignmentSays)
{
    control.setText(u"M"_s);
    const int tpp = core::TwipsPerPixelX();

    control.setTextAlignment(3);
    const int atZero = leftmostInk(shown(), kFace);
    EXPECT_GE(atZero, 0);
    EXPECT_LE(atZero, 2);

    control.setTextAlignment(0);
    EXPECT_EQ(leftmostInk(shown(), kFace) - atZero, 60 / tpp);

    control.setBorderClearance(60);
    EXPECT_EQ(leftmostInk(shown(), kFace) - atZero, 120 / tpp);
}

TEST_F(ProgressBarControlTest, SmallValueChangesAreDropped)
{
    control.setValue(10);
    const int draws = control.faceDrawCount();
    control.setValue(10.0005);
    EXPECT_EQ(control.Value(), 10);
    control.setValue(10.001);
    EXPECT_EQ(control.Value(), 10);
    EXPECT_EQ(control.faceDrawCount(), draws);
    control.setValue(10.002);
    EXPECT_EQ(control.Value(), 10.002);
    EXPECT_EQ(control.faceDrawCount(), draws + 1);
}

TEST_F(ProgressBarControlTest, EveryOtherWriteRedrawsWithoutRangeCheck)
{
    int draws = control.faceDrawCount();
    control.setMin(500);
    control.setMax(-3);
    control.setTextIndent(-100);
    control.setTextAlignment(99);
    control.setBorderClearance(-15);
    EXPECT_EQ(control.Min(), 500);
    EXPECT_EQ(control.Max(), -3);
    EXPECT_EQ(control.TextIndent(), -100);
    EXPECT_EQ(control.TextAlignment(), 99);
    EXPECT_EQ(control.BorderClearance(), -15);
    EXPECT_EQ(control.faceDrawCount(), draws + 5);
    // Rendering a hidden widget sends it resize events, which redraw: look at a shown one.
    control.show();
    QApplication::processEvents();
    draws = control.faceDrawCount();
    const QImage first = control.grab().toImage();
    control.repaint();
    EXPECT_EQ(control.grab().toImage(), first);
    EXPECT_EQ(control.faceDrawCount(), draws); // a plain repaint shows the kept face
}

TEST_F(ProgressBarControlTest, AssignedFontIsCopiedNotKept)
{
    QFont given(u"DejaVu Serif"_s, 13);
    given.setWeight(QFont::Medium);
    given.setItalic(true);
    given.setUnderline(true);
    control.assignFont(given);
    EXPECT_EQ(control.Font().family(), u"DejaVu Serif"_s);
    EXPECT_EQ(control.Font().pointSize(), 13);
    EXPECT_TRUE(control.Font().italic());
    EXPECT_TRUE(control.Font().underline());
    EXPECT_FALSE(control.Font().strikeOut());
    EXPECT_EQ(control.Font().weight(), QFont::Normal); // the weight is not copied, only bold or not

    given.setPointSize(30);
    given.setItalic(false);
    EXPECT_EQ(control.Font().pointSize(), 13);
    EXPECT_TRUE(control.Font().italic());

    const int draws = control.faceDrawCount();
    control.Font().setPointSize(20); // the control's own font: no redraw
    EXPECT_EQ(control.faceDrawCount(), draws);
    EXPECT_EQ(control.Font().pointSize(), 20);
}

// A property bag held in memory, remembering the order of writes.
class MemoryBag final : public core::PropertyBag
{
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const override
    {
        const auto found = values.find(name);
        return found == values.end() ? defaultValue : found->second;
    }
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) override
    {
        order.push_back(name);
        values[name] = value;
        defaults[name] = defaultValue;
    }

    std::map<QString, QVariant> values;
    std::map<QString, QVariant> defaults;
    std::vector<QString> order;
};

TEST_F(ProgressBarControlTest, SavedPropertiesRoundTripInTheirOrder)
{
    control.setMin(5);
    control.setMax(50);
    control.setValue(20);
    control.setText(u"Протокол"_s);
    control.setTextIndent(90);
    control.setTextAlignment(2);
    control.setBarColor(kRed);
    control.setTextOverBarColor(kGreen);
    control.setTextOverBackColor(0x123456);
    control.assignFont(QFont(u"DejaVu Sans Mono"_s, 11));
    control.setBorderClearance(30);

    MemoryBag bag;
    control.WriteProperties(bag);
    const std::vector<QString> expectedOrder = {u"Min"_s,
                                                u"Max"_s,
                                                u"Value"_s,
                                                u"Text"_s,
                                                u"TextIndent"_s,
                                                u"TextAlignment"_s,
                                                u"BarColor"_s,
                                                u"TextOverBarColor"_s,
                                                u"TextOverBackColor"_s,
                                                u"Font"_s,
                                                u"BorderClearance"_s};
    EXPECT_EQ(bag.order, expectedOrder);
    EXPECT_EQ(bag.defaults[u"Max"_s].toDouble(), 100);
    EXPECT_EQ(bag.defaults[u"TextIndent"_s].toInt(), 60);
    EXPECT_EQ(bag.defaults[u"BarColor"_s].toUInt(), 0x8000000DU);

    DProgressBar loaded;
    const int draws = loaded.faceDrawCount();
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.faceDrawCount(), draws + 1); // a load draws exactly once
    EXPECT_EQ(loaded.Min(), 5);
    EXPECT_EQ(loaded.Max(), 50);
    EXPECT_EQ(loaded.Value(), 20);
    EXPECT_EQ(loaded.Text(), u"Протокол"_s);
    EXPECT_EQ(loaded.TextIndent(), 90);
    EXPECT_EQ(loaded.TextAlignment(), 2);
    EXPECT_EQ(loaded.BarColor(), kRed);
    EXPECT_EQ(loaded.TextOverBarColor(), kGreen);
    EXPECT_EQ(loaded.TextOverBackColor(), 0x123456U);
    EXPECT_EQ(loaded.Font().family(), u"DejaVu Sans Mono"_s);
    EXPECT_EQ(loaded.Font().pointSize(), 11);
    EXPECT_EQ(loaded.BorderClearance(), 30);
}

TEST_F(ProgressBarControlTest, MissingSavedNamesReadAsDefaults)
{
    control.setMax(7);
    control.setText(u"x"_s);
    MemoryBag empty;
    control.ReadProperties(empty);
    EXPECT_EQ(control.Max(), 100);
    EXPECT_EQ(control.Text(), QString());
    EXPECT_EQ(control.TextIndent(), 60);
    EXPECT_EQ(control.TextOverBackColor(), 0x80000012U);
}

TEST(ProgressBarScreenshot, EmptyHalfAndFull)
{
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    const std::pair<double, QString> states[] = {{0, u"0 %"_s}, {50, u"Запись протокола: 50 %"_s}, {100, u"100 %"_s}};
    for (const auto& [value, text] : states) {
        auto* control = new DProgressBar(&window);
        control->setFixedSize(320, 22);
        control->setTextAlignment(2);
        control->setText(text);
        control->setValue(value);
        column->addWidget(control);
    }
    window.adjustSize();
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    const QString file = QDir::current().filePath(u"progressbar.png"_s);
    EXPECT_TRUE(picture.save(file)) << file.toStdString();
}

} // namespace
