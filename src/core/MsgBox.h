#pragma once

// Message-box styles and answers with the numbers that the system's callers pass and test.
namespace core::msgbox {

inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton1 = 0;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

inline constexpr int kButtonsMask = 0x0F;
inline constexpr int kIconMask = 0xF0;
inline constexpr int kDefaultButtonMask = 0xF00;

// Answers of the buttons of a style, in the order they are shown.
int buttonAnswer(int style, int position);
int buttonCount(int style);
// The answer of the style's default button: what an unattended run takes.
int defaultAnswer(int style);

} // namespace core::msgbox

namespace core {

// Screen mouse pointers that the system sets.
enum class MousePointer
{
    Default = 0,
    Arrow = 1,
    Hourglass = 11,
};

} // namespace core
