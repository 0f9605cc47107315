#pragma once

#include <QString>
#include <QStringView>

// The system's Trim, LTrim and RTrim: they remove the blank (U+0020) only. Tabs, line ends and
// other white space belong to the text, which QString::trimmed() would not respect.
namespace core {

QString Trim(QStringView text);
QString RTrim(QStringView text);

} // namespace core
