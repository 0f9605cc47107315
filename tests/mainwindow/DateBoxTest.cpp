#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QPalette>
#include <QTest>

#include "MainWindowFixture.h"
#include "mainwindow/DateBox.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

const QDate kBefore(2024, 3, 10);

// One whole date typed over a date box's selected text, and what the box then holds.
struct TypedCase
{
    const char* name;
    const char* typed;
    Qt::Key finish; // the key after the text; Key_unknown for none
    QDate expected;
    bool refused;
};

void PrintTo(const TypedCase& c, std::ostream* out)
{
    *out << c.name;
}

class DateBoxWindowTest : public MainWindowFixture
{
protected:
    DateBoxWindowTest()
        : m_window(load())
    {
        m_window->show();
        QCoreApplication::processEvents();
    }

    // The window's date boxes, found as a user's tool finds them.
    std::vector<QDateEdit*> dateBoxes() const
    {
        return {m_window->findChild<QDateEdit*>(u"theDateFrom"_s), m_window->findChild<QDateEdit*>(u"theDateTo"_s)};
    }

    // Selects the box's whole text as the user does, with Ctrl+A, and types.
    static void typeOver(QDateEdit& box, const char* typed, Qt::Key finish)
    {
        box.setFocus();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&box, QString::fromLatin1(typed));
        if (finish != Qt::Key_unknown)
            QTest::keyClick(&box, finish);
    }

    static bool marked(const QDateEdit& box)
    {
        return box.palette().color(QPalette::Base) != QPalette().color(QPalette::Base);
    }

    std::unique_ptr<TestWindow> m_window;
};

class DateBoxTest : public DateBoxWindowTest, public testing::WithParamInterface<TypedCase>
{
};

} // namespace

TEST_P(DateBoxTest, AWholeDateTypedOverTheSelectionIsThatDateOrIsRefused)
{
    const TypedCase& c = GetParam();
    for (QDateEdit* box : dateBoxes()) {
        ASSERT_NE(box, nullptr);
        SCOPED_TRACE(box->objectName().toStdString());
        box->setDate(kBefore);
        typeOver(*box, c.typed, c.finish);
        EXPECT_EQ(box->date(), c.expected);
        EXPECT_EQ(box->text(), c.expected.toString(u"dd.MM.yyyy"_s));
        const auto* dateBox = qobject_cast<const DateBox*>(box);
        ASSERT_NE(dateBox, nullptr);
        EXPECT_EQ(dateBox->isRefused(), c.refused);
        // Seen as refused: a marked box that tells why.
        EXPECT_EQ(marked(*box), c.refused);
        EXPECT_EQ(box->toolTip().contains(QString::fromLatin1(c.typed).replace(u'/', u'.')), c.refused)
            << box->toolTip().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Typed, DateBoxTest,
    testing::Values(TypedCase{"WithDots", "15.03.2024", Qt::Key_unknown, QDate(2024, 3, 15), false},
                    TypedCase{"WithoutDots", "15032024", Qt::Key_unknown, QDate(2024, 3, 15), false},
                    TypedCase{"ShortDayAndMonth", "1.3.2024", Qt::Key_unknown, QDate(2024, 3, 1), false},
                    TypedCase{"OtherSeparators", "05/11/2023", Qt::Key_unknown, QDate(2023, 11, 5), false},
                    TypedCase{"TheDateItHad", "10.03.2024", Qt::Key_unknown, kBefore, false},
                    TypedCase{"LeapDay", "29.02.2024", Qt::Key_unknown, QDate(2024, 2, 29), false},
                    TypedCase{"NoSuchDay", "31.02.2024", Qt::Key_unknown, kBefore, true},
                    TypedCase{"NoLeapDay", "29022023", Qt::Key_unknown, kBefore, true},
                    TypedCase{"NoSuchMonth", "01.13.2024", Qt::Key_unknown, kBefore, true},
                    TypedCase{"UnfinishedThenEnter", "1503", Qt::Key_Return, kBefore, true},
                    TypedCase{"UnfinishedThenTab", "15.03", Qt::Key_Tab, kBefore, true},
                    TypedCase{"GivenUpWithEscape", "15.03.20", Qt::Key_Escape, kBefore, false}),
    [](const testing::TestParamInfo<TypedCase>& row) { return std::string(row.param.name); });

TEST_F(DateBoxWindowTest, ARefusedDateStaysMarkedUntilTheBoxTakesAnotherDate)
{
    auto* box = qobject_cast<DateBox*>(m_window->controls().theDateFrom);
    ASSERT_NE(box, nullptr);
    box->setDate(kBefore);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, u"31.04.2024"_s);
    ASSERT_TRUE(box->isRefused());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(box->isRefused()) << "Enter on the kept date takes nothing new";
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, u"30.04.2024"_s);
    EXPECT_FALSE(box->isRefused());
    EXPECT_EQ(box->date(), QDate(2024, 4, 30));
}

TEST_F(DateBoxWindowTest, ArrowsAndCalendarStillWork)
{
    QDateEdit* box = m_window->controls().theDateTo;
    box->setDate(kBefore);
    box->setFocus();
    // The arrows step the part the cursor stands in: the day, where a box takes the focus.
    box->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->date(), QDate(2024, 3, 11));
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->date(), QDate(2024, 3, 9));
    // A whole date typed, then the arrows step from it.
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, u"15.03.2024"_s);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->date(), QDate(2024, 3, 16)) << "the arrows step the day, as before the typing";

    // The calendar opens from the box's button and its choice lands in the box.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
    QCalendarWidget* calendar = box->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(calendar->isVisible());
    calendar->setSelectedDate(QDate(2024, 2, 29));
    EXPECT_EQ(box->date(), QDate(2024, 2, 29));
    calendar->window()->hide();
}

} // namespace mainwindow::test
