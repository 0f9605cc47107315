#include <vector>

#include <gtest/gtest.h>

#include "diadoc/AccessTest.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;
using Kind = diadoc::AccessTest::Kind;

namespace {

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);

struct AccessCase
{
    const char* name;
    QString key;
    QString password;
    QString inn;
    // Lines that must be told, in this order, with their kinds.
    std::vector<diadoc::AccessTest::Line> expected;
};

// The access test without a window: its steps are told as lines of their kinds, the heading of a
// step before its outcome, and the run always ends with its closing line.
TEST(AccessTestTest, TheStepsAreToldAsLinesOfTheirKinds)
{
    const AccessCase cases[] = {
        {"all through",
         u"*************5e"_s,
         u"Ромашка2024"_s,
         u"7701234567"_s,
         {{u"Проверка наличия на компьютере библиотеки Диадок API."_s, Kind::Step},
          {u"Тестовое соединение с сервером Диадок установлено успешно."_s, Kind::Success},
          {u"Рабочее соединение пользователя с сервером Диадок (авторизация) прошло успешно."_s, Kind::Success},
          {u"Запрос пробного списка исходящих документов вернул "_s, Kind::Success}}},
        {"no key",
         QString(),
         u"Ромашка2024"_s,
         QString(),
         {{u"Не указан Ключ Диадок API.\r\nДля проверки необходимо указать Ключ Диадок API в окне "
           u"\"Авторизация в Диадок\"."_s,
           Kind::Failure}}},
        {"wrong password",
         u"*************5e"_s,
         u"не тот"_s,
         QString(),
         {{u"Установка рабочего соединения с сервером Диадок (авторизация) не удалась."_s, Kind::Failure},
          {u"Получено сообщение: \""_s, Kind::Failure}}},
    };
    for (const AccessCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::VirtualClock clock(QDateTime(QDate(2025, 1, 10), QTime(12, 0)));
        platform::diadoc::SandboxClientFactory factory([&clock] { return clock.nowMs(); });
        const diadoc::AccessTest test(factory, clock);
        diadoc::AccessTest::Arguments arguments;
        arguments.keyDiadocAPI = c.key;
        arguments.diadocServerURL = kSample;
        arguments.authorizationType = 1;
        arguments.login = u"buh@romashka.ru"_s;
        arguments.password = c.password;
        arguments.inn = c.inn;
        std::vector<diadoc::AccessTest::Line> lines;
        test.run(arguments, [&lines](const diadoc::AccessTest::Line& line) { lines.push_back(line); });

        ASSERT_GE(lines.size(), 3U);
        EXPECT_EQ(lines.front().text, u"2025.01.10 12:00:00"_s);
        EXPECT_EQ(lines.back().text, u"\r\nПроверки завершены."_s);
        EXPECT_EQ(lines.back().kind, Kind::Step);
        std::size_t next = 0;
        for (const auto& line : lines) {
            if (next < c.expected.size() && line.text.startsWith(c.expected[next].text)) {
                EXPECT_EQ(line.kind, c.expected[next].kind) << line.text.toStdString();
                ++next;
            }
        }
        EXPECT_EQ(next, c.expected.size()) << "a line is missing or out of order";
        for (const auto& line : lines)
            EXPECT_FALSE(line.text.contains(c.password)) << "the password is never told";
    }
}

} // namespace
