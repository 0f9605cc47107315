#include <gtest/gtest.h>

#include "diadoc/AsyncTskRecord.h"
#include "diadoc/VbDate.h"
#include "platform/diadoc/DiadocAsyncResult.h"

using namespace Qt::StringLiterals;
using diadoc::AsyncTskRecord;
using diadoc::VbDate;

namespace {

class NeverDone final : public platform::diadoc::DiadocAsyncResult
{
public:
    bool IsCompleted() override { return false; }
    platform::diadoc::Variant Result() override { return {}; }
};

double day(int y, int m, int d)
{
    return VbDate::fromDateTime(QDateTime(QDate(y, m, d), QTime(0, 0)));
}

} // namespace

TEST(AsyncTskRecordTest, ANewRequestHasNoResultYet)
{
    const AsyncTskRecord record;
    EXPECT_EQ(record.DocumentsCount, -1) << "not 0: nothing has been read";
    EXPECT_EQ(record.State, 0);
    EXPECT_FALSE(record.TaskObject);
    EXPECT_EQ(record.DateFrom, 0.0);
    EXPECT_EQ(record.DateTo, 0.0);
    EXPECT_FALSE(record.ExcludeSubdepartments);
    EXPECT_FALSE(record.Top100);
    for (const QString* text :
         {&record.KeyОрганизацииВКоллекции, &record.CategoryType, &record.CategoryClass, &record.CategoryStatus,
          &record.DepartmentId, &record.DepartmentName, &record.ErrorNumber, &record.ErrorDescription,
          &record.ErrorSource, &record.ErrorPlace, &record.LastErrorDescription})
        EXPECT_TRUE(text->isEmpty());
    EXPECT_FALSE(record.CanItemizingByDates());
    EXPECT_FALSE(record.CanItemizingByType());
}

TEST(AsyncTskRecordTest, OnlyAPeriodOfMoreThanOneDayCanBeSplitByDates)
{
    const struct
    {
        const char* what;
        double from;
        double to;
        bool can;
    } cases[] = {
        {"January", day(2024, 1, 1), day(2024, 1, 31), true},
        {"two days", day(2024, 1, 1), day(2024, 1, 2), true},
        {"half a day is still a span", day(2024, 1, 1), day(2024, 1, 1) + 0.5, true},
        {"one day", day(2024, 1, 1), day(2024, 1, 1), false},
        {"no start", 0.0, day(2024, 1, 31), false},
        {"no end", day(2024, 1, 1), 0.0, false},
        {"no dates", 0.0, 0.0, false},
        {"a period backwards", day(2024, 1, 31), day(2024, 1, 1), false},
        {"before 1899 up to the day after", -2.0, 1.0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AsyncTskRecord record;
        record.DateFrom = c.from;
        record.DateTo = c.to;
        EXPECT_EQ(record.CanItemizingByDates(), c.can);
    }
}

TEST(AsyncTskRecordTest, OnlyExactlyAnyCanBeSplitByType)
{
    for (const auto& [type, can] :
         {std::pair{u"Any"_s, true}, std::pair{u"any"_s, false}, std::pair{u"ANY"_s, false},
          std::pair{u"Any "_s, false}, std::pair{u""_s, false}, std::pair{u"Nonformalized"_s, false}}) {
        SCOPED_TRACE(type.toStdString());
        AsyncTskRecord record;
        record.CategoryType = type;
        EXPECT_EQ(record.CanItemizingByType(), can);
    }
}

TEST(AsyncTskRecordTest, ReleasingTheRecordDropsItsOperation)
{
    auto operation = std::make_shared<NeverDone>();
    const std::weak_ptr<NeverDone> watch = operation;
    auto record = std::make_shared<AsyncTskRecord>();
    record->TaskObject = std::move(operation);
    EXPECT_FALSE(watch.expired());
    record.reset();
    EXPECT_TRUE(watch.expired());
}
