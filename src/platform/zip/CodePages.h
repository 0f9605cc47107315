#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The two 8-bit code pages that archives bring: CP866 for entry names written by DOS-era
// tools without the UTF-8 flag, windows-1251 for the file names of the zip name list.
namespace platform::zip::codepages {

QString fromCp866(QByteArrayView bytes);
QString fromCp1251(QByteArrayView bytes);
// Characters that windows-1251 lacks become "?", the conversion's default character.
QByteArray toCp1251(QStringView text);

} // namespace platform::zip::codepages
