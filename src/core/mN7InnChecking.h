#pragma once

#include <QString>

namespace core {

// Checks of a taxpayer number (INN): its length by kind of taxpayer (1 a person, 12 characters;
// 2 an organisation, 10 characters) and its check digits. No state.

int GetInnCorrectLength(int kind);
bool IsInnLengthCorrect(int kind, const QString& inn);
// The check digit ("0" to "9") of at most 11 digits; a character that is not a digit counts as 0,
// and a longer text fails with "Subscript out of range".
QString GetCRCDigit(const QString& digits);
// True only for a number of its kind's length, made of ASCII digits, whose check digits agree.
bool IsInnCRCCorrect(int kind, const QString& inn);

} // namespace core
