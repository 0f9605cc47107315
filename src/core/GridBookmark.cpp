#include "GridBookmark.h"

#include <limits>

#include "base/Error.h"
#include "core/mErrorHandling.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

// The main window holds the procedure; the options dialog uses it too.
constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";
constexpr int kOverflowNumber = 6;

// One 32-bit step: the result, or "Overflow" when it leaves the range.
qint32 within(qint64 value)
{
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw Error(kOverflowNumber, u"Overflow"_s);
    return static_cast<qint32>(value);
}

qint32 add(qint32 a, qint32 b)
{
    return within(qint64{a} + b);
}

qint32 subtract(qint32 a, qint32 b)
{
    return within(qint64{a} - b);
}

} // namespace

void TDBGridArrayed_OnUnboundGetRelativeBookmark(qint32 aCount, const GridBookmark& aStartLocation, qint32 aoffset,
                                                 GridBookmark& rNewLocation, qint32& rApproximatePosition,
                                                 qint32 aBaseIndex)
{
    try {
        const qint32 last = subtract(add(aCount, aBaseIndex), 1);
        GridBookmark answer;
        if (aStartLocation) {
            const qint32 candidate = add(*aStartLocation, aoffset);
            if (candidate >= aBaseIndex && candidate <= last)
                answer = candidate;
        } else if (aoffset < 0) {
            const qint32 candidate = add(add(aCount, 1), aoffset);
            if (candidate >= aBaseIndex)
                answer = candidate;
        } else if (aoffset <= last) {
            answer = aoffset;
        }
        rNewLocation = answer;
        if (answer)
            rApproximatePosition = add(subtract(*answer, aBaseIndex), 1);
    } catch (...) {
        PropagateError(kModule, u"TDBGridArrayed_OnUnboundGetRelativeBookmark");
    }
}

} // namespace core
