#include "UnboundBookmark.h"

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

constexpr int kOverflowNumber = 6;

[[noreturn]] void overflow()
{
    throw core::Error(kOverflowNumber, u"Overflow"_s);
}

int plus(int a, int b)
{
    int sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        overflow();
    return sum;
}

int minus(int a, int b)
{
    int difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        overflow();
    return difference;
}

} // namespace

void TDBGridArrayed_OnUnboundGetRelativeBookmark(int aCount, const std::optional<int>& aStartLocation, int aoffset,
                                                 std::optional<int>& rNewLocation, int& rApproximatePosition,
                                                 int aBaseIndex)
{
    const int last = minus(plus(aCount, aBaseIndex), 1);
    std::optional<int> answer;
    if (aStartLocation) {
        const int candidate = plus(*aStartLocation, aoffset);
        if (candidate >= aBaseIndex && candidate <= last)
            answer = candidate;
    } else if (aoffset < 0) {
        const int candidate = plus(plus(aCount, 1), aoffset);
        if (candidate >= aBaseIndex)
            answer = candidate;
    } else if (aoffset <= last) {
        answer = aoffset;
    }
    rNewLocation = answer;
    if (answer)
        rApproximatePosition = plus(minus(*answer, aBaseIndex), 1);
}

} // namespace dialogs
