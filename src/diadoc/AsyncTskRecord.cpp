#include "AsyncTskRecord.h"

using namespace Qt::StringLiterals;

namespace diadoc {

bool AsyncTskRecord::CanItemizingByDates() const
{
    return DateFrom != 0.0 && DateTo != 0.0 && DateTo - DateFrom > 0.0;
}

bool AsyncTskRecord::CanItemizingByType() const
{
    return CategoryType == u"Any"_s;
}

} // namespace diadoc
