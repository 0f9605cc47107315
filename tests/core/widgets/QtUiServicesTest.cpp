#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "core/widgets/QtUiServices.h"
#include "platform/family/ErrorDialog.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace {

// Presses the button with the given text of the next modal box once it is shown.
void pressWhenShown(const QString& buttonText)
{
    QTimer::singleShot(0, [buttonText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) {
            if (box->standardButton(button) != QMessageBox::NoButton && button->text().remove(u'&') == buttonText) {
                button->click();
                return;
            }
        }
        FAIL() << "no button " << buttonText.toStdString();
    });
}

} // namespace

TEST(QtUiServices, UnattendedBoxesDoNotWaitAndGoToTheSink)
{
    core::QtUiServices ui(true);
    QStringList lines;
    ui.setUnattendedSink([&lines](const QString& line) { lines.append(line); });

    EXPECT_EQ(ui.msgBox(u"Продолжить?"_s, vbYesNoCancel | vbDefaultButton2, u"Вопрос"_s), vbNo);
    EXPECT_EQ(ui.inputBox(u"Пароль"_s, u"Архив"_s, u"x"_s), u"x"_s);
    EXPECT_EQ(ui.browseForFolder(u"Выберите папку"_s, u"/tmp"_s), QString());
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(u"Вопрос: Продолжить?"_s));
    EXPECT_EQ(ui.createErrorDialog(), nullptr) << "no error dialog waits in an unattended run";
}

TEST(QtUiServices, AttendedBoxAnswersTheButtonPressed)
{
    core::QtUiServices ui(false);
    pressWhenShown(u"No"_s);
    EXPECT_EQ(ui.msgBox(u"Удалить?"_s, vbYesNo | vbQuestion, u"Вопрос"_s), vbNo);
    pressWhenShown(u"Retry"_s);
    EXPECT_EQ(ui.msgBox(u"Повторить?"_s, vbRetryCancel, u"Вопрос"_s), vbRetry);
}

TEST(QtUiServices, ReportInAnUnattendedRunEndsWithoutAWindow)
{
    core::QtUiServices ui(true);
    QStringList lines;
    ui.setUnattendedSink([&lines](const QString& line) { lines.append(line); });
    try {
        throw core::Error(1, u"сбой"_s);
    } catch (...) {
        core::ReportError(ui, u"frmDiadocUnloadDocs", u"Timer_Timer");
    }
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(u"Сбой программы: [N7_Fetchling::frmDiadocUnloadDocs.Timer_Timer]\r\nсбой"_s));
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
}

TEST(QtUiServices, MousePointerIsRestored)
{
    core::QtUiServices ui(false);
    ui.setMousePointer(core::MousePointer::Hourglass);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ui.setMousePointer(core::MousePointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
