#pragma once

#include <QString>

namespace platform::excel {

// Error numbers and texts the spreadsheet application raises to its automation clients.
namespace error {

inline constexpr int kApplicationDefined = 1004;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kObjectDisconnected = -2147417848;

inline constexpr char16_t kApplicationDefinedText[] = u"Application-defined or object-defined error";
inline constexpr char16_t kSubscriptOutOfRangeText[] = u"Subscript out of range";
inline constexpr char16_t kObjectDisconnectedText[] =
    u"Automation error\r\nThe object invoked has disconnected from its clients.";
inline constexpr char16_t kInvalidSheetNameText[] =
    u"You typed an invalid name for a sheet or chart. Make sure that:\r\n\r\n"
    u"\u2022 The name that you type does not exceed 31 characters.\r\n"
    u"\u2022 The name does not contain any of the following characters: : \\ / ? * [ or ]\r\n"
    u"\u2022 You did not leave the name blank.";
inline constexpr char16_t kSheetNameTakenText[] = u"That name is already taken. Try a different one.";

// Raises the application's error with the given number and text.
[[noreturn]] void raise(int number, const QString& text);
[[noreturn]] void raiseApplicationDefined();

} // namespace error

} // namespace platform::excel
