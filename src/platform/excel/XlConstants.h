#pragma once

namespace platform::excel {

// Horizontal alignment with the numbers that automation clients pass.
enum class XlHAlign : int
{
    General = 1,
    Left = -4131,
    Center = -4108,
    Right = -4152,
    Fill = 5,
    Justify = -4130,
    CenterAcrossSelection = 7,
    Distributed = -4117,
};

// Vertical alignment with the numbers that automation clients pass.
enum class XlVAlign : int
{
    Top = -4160,
    Center = -4108,
    Bottom = -4107,
    Justify = -4130,
    Distributed = -4117,
};

// Limits of one worksheet and of its contents.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;
inline constexpr int kMaxTextLength = 32767;
inline constexpr int kMaxSheetNameLength = 31;
inline constexpr double kMaxColumnWidth = 255.0;
inline constexpr double kMaxRowHeight = 409.0;
inline constexpr double kStandardColumnWidth = 8.43;
inline constexpr double kStandardRowHeight = 15.0;

// The number format that keeps whatever is written into a cell as text.
inline constexpr char16_t kTextFormat[] = u"@";
inline constexpr char16_t kGeneralFormat[] = u"General";

} // namespace platform::excel
