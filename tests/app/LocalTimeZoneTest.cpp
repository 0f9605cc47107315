#include <gtest/gtest.h>

#include <time.h>

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include "app/LocalTimeZone.h"

using namespace Qt::StringLiterals;

namespace {

// Leaves TZ as the test found it.
class LocalTimeZoneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_wasSet = qEnvironmentVariableIsSet("TZ");
        m_old = qgetenv("TZ");
    }
    void TearDown() override
    {
        if (m_wasSet)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

    static QString localTexts()
    {
        // Moments around the changes of summer time, and a wall-clock time that may not exist.
        QString texts = QString::number(QDateTime(QDate(2024, 3, 31), QTime(2, 30)).toSecsSinceEpoch()) + u'\n';
        for (const qint64 seconds : {0LL, 1711846800LL, 1729990800LL, 1735689599LL})
            texts += QDateTime::fromSecsSinceEpoch(seconds).toString(u"yyyy-MM-dd HH:mm:ss t"_s) + u'\n';
        return texts;
    }

private:
    bool m_wasSet = false;
    QByteArray m_old;
};

TEST_F(LocalTimeZoneTest, PinningNamesTheSystemZoneFileAndChangesNoLocalTime)
{
    if (!QFile::exists(u"/etc/localtime"_s))
        GTEST_SKIP() << "this system has no /etc/localtime";
    qunsetenv("TZ");
    tzset();
    const QString before = localTexts();
    const QByteArray zone = QTimeZone::systemTimeZoneId();

    ASSERT_TRUE(app::LocalTimeZone::pin());
    EXPECT_EQ(qgetenv("TZ"), QByteArray(":/etc/localtime"));
    EXPECT_EQ(localTexts(), before);
    EXPECT_EQ(QTimeZone::systemTimeZoneId(), zone);
}

TEST_F(LocalTimeZoneTest, AZoneTheUserChoseStays)
{
    qputenv("TZ", "Europe/Moscow");
    EXPECT_FALSE(app::LocalTimeZone::pin());
    EXPECT_EQ(qgetenv("TZ"), QByteArray("Europe/Moscow"));
}

} // namespace
