#include "VbText.h"

namespace core {

QString Trim(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.sliced(first, last - first).toString();
}

QString RTrim(QStringView text)
{
    qsizetype last = text.size();
    while (last > 0 && text[last - 1] == u' ')
        --last;
    return text.first(last).toString();
}

} // namespace core
