#include "MsgBox.h"

#include <array>

namespace core::msgbox {

namespace {

struct Buttons
{
    int count;
    std::array<int, 3> answers;
};

Buttons buttonsOf(int style)
{
    switch (style & kButtonsMask) {
    case vbOKCancel:
        return {2, {vbOK, vbCancel, 0}};
    case vbAbortRetryIgnore:
        return {3, {vbAbort, vbRetry, vbIgnore}};
    case vbYesNoCancel:
        return {3, {vbYes, vbNo, vbCancel}};
    case vbYesNo:
        return {2, {vbYes, vbNo, 0}};
    case vbRetryCancel:
        return {2, {vbRetry, vbCancel, 0}};
    default:
        return {1, {vbOK, 0, 0}};
    }
}

} // namespace

int buttonCount(int style)
{
    return buttonsOf(style).count;
}

int buttonAnswer(int style, int position)
{
    const Buttons buttons = buttonsOf(style);
    if (position < 0 || position >= buttons.count)
        return buttons.answers[0];
    return buttons.answers[static_cast<std::size_t>(position)];
}

int defaultAnswer(int style)
{
    const int position = (style & kDefaultButtonMask) / vbDefaultButton2;
    return buttonAnswer(style, position);
}

} // namespace core::msgbox
