#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

namespace core {

class UiServices;

// Small conversions with the system's own rules and the two fixed-style message boxes.
namespace mN7CommonCalc {

// The value as a 32-bit whole number: numbers round to the nearest, halves to the even one;
// texts are read as numbers ("&H" and "&O" prefixes and exponents included); a date gives its day
// number counted from 30 December 1899, rounded the same way; an invalid QVariant (an empty value)
// gives 0. A value that cannot be converted (a null value, a text that is no number, a value
// outside the 32-bit range) gives the default.
int CLngDef(const QVariant& value, int defaultValue);

// The greatest and least of the values; ties keep the earlier value. Numbers compare by value,
// texts character by character, and a number is less than a text. An empty list is a subscript
// error.
QVariant MaxOfList(const QVariantList& values);
QVariant MinOfList(const QVariantList& values);

// A warning box with an OK button, and a Yes/No/Cancel question; both keep the mouse pointer.
void WarningMsgBox(UiServices& ui, const QString& prompt, const QString& title);
int QuestionMsgBox(UiServices& ui, const QString& prompt, const QString& title);

} // namespace mN7CommonCalc

} // namespace core
