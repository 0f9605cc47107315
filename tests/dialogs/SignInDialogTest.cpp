#include <optional>

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "DialogsFixture.h"
#include "core/MsgBox.h"
#include "dialogs/frmDiadocAutorization2.h"
#include "platform/diadoc/SandboxService.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;
using dialogs::frmDiadocAutorization2;

namespace {

const QString kBaseCaption = u"Ларимо-9: Фетчлинг. Авторизация"_s;
const QString kSaveQuestion = u"Данные были изменены.\r\n\r\nСохранить изменения?"_s;
const QString kSignInKey = u"Software\\Quorvel Labs\\N7_Fetchling\\frmDiadocAutorization"_s;

QJsonObject certificate(const QString& thumbprint, const QString& name, const QString& end, const QJsonValue& qualified)
{
    QJsonObject c{
        {u"thumbprint"_s, thumbprint}, {u"name"_s, name}, {u"beginDate"_s, u"2024-01-01"_s}, {u"endDate"_s, end}};
    if (!qualified.isUndefined())
        c.insert(u"qualified"_s, qualified);
    return c;
}

// Two certificates to list, one listed twice, and three that must not be listed: ended a second
// before now, not qualified, qualification unknown.
QJsonArray certificates()
{
    return {certificate(u"AAAA"_s, u"Алексеев"_s, u"2026-01-01T00:00:00"_s, true),
            certificate(u"BBBB"_s, u"Борисова"_s, u"2025-01-10T12:00:00"_s, true),
            certificate(u"CCCC"_s, u"Сидоров"_s, u"2025-01-10T11:59:59"_s, true),
            certificate(u"DDDD"_s, u"Дмитриев"_s, u"2026-01-01T00:00:00"_s, false),
            certificate(u"EEEE"_s, u"Егоров"_s, u"2026-01-01T00:00:00"_s, QJsonValue::Undefined),
            certificate(u"AAAA"_s, u"Алексеев (копия)"_s, u"2027-01-01T00:00:00"_s, true)};
}

class SignInDialogTest : public ::testing::Test, public dialogstest::DialogsFixture
{
protected:
    template <typename T> T* child(const QString& name) const
    {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* edit(const QString& name) const { return child<QLineEdit>(name); }
    QRadioButton* option(const QString& name) const { return child<QRadioButton>(name); }
    QTreeWidget* tree() const { return child<QTreeWidget>(u"theTreeViewCertificates"_s); }
    QPushButton* button(const QString& name) const { return child<QPushButton>(name); }
    QStringList nodeKeys() const
    {
        QStringList keys;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            keys.append(tree()->topLevelItem(i)->data(0, Qt::UserRole).toString());
        return keys;
    }
    QTreeWidgetItem* node(int index) const { return tree()->topLevelItem(index); }
    void tick(int index, bool on) const { node(index)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); }
    int placement(const QString& name) const { return registry.utility.RegistryGetLong(kSignInKey, name, -12345); }

    SignInDialogTest() { writeCertificateSandbox(certificates()); }

    frmDiadocAutorization2 dialog{ui, options, diadoc, clock};
};

TEST_F(SignInDialogTest, ListsQualifiedCertificatesStillValidOncePerThumbprint)
{
    dialogstest::whenShown([&] {
        EXPECT_EQ(nodeKeys(), (QStringList{u"AAAA"_s, u"BBBB"_s}));
        EXPECT_EQ(node(0)->text(0), u"Алексеев (действителен c 01.01.2024 по 01.01.2026)"_s);
        EXPECT_EQ(node(0)->checkState(0), Qt::Unchecked);
        EXPECT_TRUE(option(u"theOptionCertificate"_s)->isEnabled());
        testsupport::screenshot(dialog, u"signin-dialog"_s);
        button(u"theCancel"_s)->click();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

TEST_F(SignInDialogTest, SigningInStoresTheSettingsWithThePasswordExactlyAsTyped)
{
    options.Set_TypeDiadocAccount(1);
    options.Set_Login(u"buh"_s);
    options.Set_Password(u"старый"_s);
    options.Set_Certificate(u"BBBB"_s);
    options.Set_AutomaticAutorization(0);
    dialogstest::whenShown([&] {
        EXPECT_EQ(dialog.windowTitle(), kBaseCaption);
        EXPECT_TRUE(option(u"theOptionLoginPassword"_s)->isChecked());
        EXPECT_EQ(edit(u"theLogin"_s)->text(), u"buh"_s);
        EXPECT_EQ(edit(u"thePassword"_s)->text(), u"старый"_s);
        EXPECT_EQ(node(1)->checkState(0), Qt::Checked) << "the stored certificate is ticked";
        EXPECT_FALSE(tree()->isEnabled());
        const auto* automatic = child<QCheckBox>(u"theAutomaticAutorization"_s);
        EXPECT_FALSE(automatic->isChecked());
        EXPECT_TRUE(automatic->isEnabled());

        edit(u"theLogin"_s)->setText(u"  buh@romashka.ru "_s);
        edit(u"thePassword"_s)->setText(u" пароль с пробелами  "_s);
        edit(u"theDiadocServerURL"_s)->setText(u"  "_s + sandboxFolder() + u" "_s);
        EXPECT_EQ(dialog.windowTitle(), kBaseCaption + u" *"_s);
        button(u"theButtomAutorization"_s)->click();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(options.Get_TypeDiadocAccount(), 1);
    EXPECT_EQ(options.Get_Login(), u"buh@romashka.ru"_s);
    EXPECT_EQ(options.GetDefault_Password(), u" пароль с пробелами  "_s);
    EXPECT_EQ(options.Get_DiadocServerURL(), sandboxFolder());
    EXPECT_EQ(options.GetDefault_Certificate(), u"BBBB"_s) << "the ticked certificate is stored with either kind";
    EXPECT_EQ(options.Get_AutomaticAutorization(), 0);
    // The store keeps the credentials transformed, never as typed.
    EXPECT_NE(registry.utility.RegistryGetString(kSignInKey, u"XP"_s, QString()), u" пароль с пробелами  "_s);
    EXPECT_EQ(registry.utility.RegistryGetString(kSignInKey, u"P"_s, QString()), QString());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SignInDialogTest, FailingCertificateStoreStillOpensTheDialogForLogin)
{
    platform::diadoc::FaultRule rule;
    rule.operation = u"GetPersonalCertificates"_s;
    rule.text = u"Хранилище сертификатов недоступно"_s;
    factory.service(sandboxFolder())->addFault(rule);
    options.Set_TypeDiadocAccount(2);
    dialogstest::whenShown([&] {
        EXPECT_EQ(tree()->topLevelItemCount(), 0);
        EXPECT_FALSE(option(u"theOptionCertificate"_s)->isEnabled());
        EXPECT_TRUE(tree()->toolTip().contains(rule.text));
        option(u"theOptionLoginPassword"_s)->click();
        edit(u"theLogin"_s)->setText(u"buh"_s);
        EXPECT_TRUE(button(u"theButtomAutorization"_s)->isEnabled());
        button(u"theButtomAutorization"_s)->click();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(options.Get_TypeDiadocAccount(), 1);
    EXPECT_EQ(options.Get_Login(), u"buh"_s);
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

TEST_F(SignInDialogTest, CertificateKindWithoutCertificatesLeavesBothKindsUnselected)
{
    writeCertificateSandbox({});
    options.Set_TypeDiadocAccount(2);
    dialogstest::whenShown([&] {
        EXPECT_FALSE(option(u"theOptionLoginPassword"_s)->isChecked());
        EXPECT_FALSE(option(u"theOptionCertificate"_s)->isChecked());
        EXPECT_FALSE(option(u"theOptionCertificate"_s)->isEnabled());
        for (const QString& name : {u"theLogin"_s, u"thePassword"_s})
            EXPECT_FALSE(edit(name)->isEnabled()) << name.toStdString();
        EXPECT_FALSE(tree()->isEnabled());
        EXPECT_FALSE(button(u"theButtomAutorization"_s)->isEnabled());

        option(u"theOptionLoginPassword"_s)->click();
        EXPECT_TRUE(edit(u"theLogin"_s)->isEnabled());
        EXPECT_FALSE(button(u"theButtomAutorization"_s)->isEnabled()) << "no login yet";
        edit(u"theLogin"_s)->setText(u"   "_s);
        EXPECT_TRUE(button(u"theButtomAutorization"_s)->isEnabled()) << "blanks count as a login";
        button(u"theButtomAutorization"_s)->click();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(options.Get_Login(), QString()) << "a login of blanks is stored empty";
}

TEST_F(SignInDialogTest, AtMostOneCertificateIsTickedAndTickingMarksNothingModified)
{
    options.Set_TypeDiadocAccount(2);
    dialogstest::whenShown([&] {
        EXPECT_TRUE(option(u"theOptionCertificate"_s)->isChecked());
        EXPECT_TRUE(tree()->isEnabled());
        EXPECT_FALSE(edit(u"theLogin"_s)->isEnabled());
        QPushButton* signIn = button(u"theButtomAutorization"_s);
        EXPECT_FALSE(signIn->isEnabled());
        tick(0, true);
        EXPECT_TRUE(signIn->isEnabled());
        tick(1, true);
        EXPECT_EQ(node(0)->checkState(0), Qt::Unchecked);
        EXPECT_EQ(node(1)->checkState(0), Qt::Checked);
        tick(1, false);
        EXPECT_FALSE(signIn->isEnabled());
        tick(0, true);
        EXPECT_EQ(dialog.windowTitle(), kBaseCaption);
        button(u"theCancel"_s)->click();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(ui.boxes.empty()) << "a changed tick alone asks nothing";
    EXPECT_EQ(options.GetDefault_Certificate(), QString());
}

TEST_F(SignInDialogTest, ExitWithChangesAsksWhetherToSave)
{
    struct Case
    {
        int answer;
        bool stored;
    };
    for (const Case c : {Case{vbYes, true}, Case{vbNo, false}}) {
        SCOPED_TRACE(c.answer);
        options.Set_Password(u"было"_s);
        frmDiadocAutorization2 exitDialog(ui, options, diadoc, clock);
        ui.expectBox(c.answer);
        dialogstest::whenShown([&] {
            exitDialog.findChild<QLineEdit*>(u"thePassword"_s)->setText(u"стало"_s);
            exitDialog.findChild<QPushButton*>(u"theCancel"_s)->click();
        });
        EXPECT_FALSE(exitDialog.Execute()) << "leaving by Exit never signs in";
        EXPECT_EQ(options.GetDefault_Password(), c.stored ? u"стало"_s : u"было"_s);
        ASSERT_EQ(ui.boxes.size(), 1U);
        EXPECT_EQ(ui.boxes[0].prompt, kSaveQuestion);
        EXPECT_EQ(ui.boxes[0].style, vbQuestion | vbYesNoCancel);
        EXPECT_EQ(ui.boxes[0].title, kBaseCaption);
        ui.boxes.clear();
    }
}

TEST_F(SignInDialogTest, CancelToTheSaveQuestionKeepsTheDialogOpen)
{
    ui.expectBox(vbCancel);
    ui.expectBox(vbNo);
    bool stayedOpen = false;
    QString caption;
    dialogstest::whenShown([&] {
        edit(u"theDiadocServerURL"_s)->setText(u"file:///elsewhere"_s);
        button(u"theCancel"_s)->click();
        stayedOpen = dialog.isVisible();
        caption = dialog.windowTitle();
        button(u"theCancel"_s)->click();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(caption, kBaseCaption + u" *"_s);
    EXPECT_EQ(options.Get_DiadocServerURL(), sandboxFolder());
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

TEST_F(SignInDialogTest, SaveStoresAndClearsTheMark)
{
    ui.expectBox(vbOK);
    dialogstest::whenShown([&] {
        child<QCheckBox>(u"theAutomaticAutorization"_s)->setChecked(false);
        EXPECT_EQ(dialog.windowTitle(), kBaseCaption + u" *"_s);
        button(u"theSave"_s)->click();
        EXPECT_EQ(dialog.windowTitle(), kBaseCaption);
        EXPECT_TRUE(dialog.isVisible());
        button(u"theCancel"_s)->click();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(options.Get_AutomaticAutorization(), 0);
    ASSERT_EQ(ui.boxes.size(), 1U) << "after saving, Exit asks nothing";
    EXPECT_EQ(ui.boxes[0].prompt, u"Информация сохранена."_s);
    EXPECT_EQ(ui.boxes[0].style, vbInformation | vbOKOnly);
    EXPECT_EQ(ui.boxes[0].title, kBaseCaption);
}

TEST_F(SignInDialogTest, ClosingFromTheFrameAsksAndStoresThePlacement)
{
    ui.expectBox(vbCancel);
    ui.expectBox(vbNo);
    bool stayedOpen = false;
    QRect frame;
    QSize inner;
    dialogstest::whenShown([&] {
        dialog.move(40, 30);
        dialog.resize(760, 500);
        frame = dialog.frameGeometry();
        inner = dialog.size();
        edit(u"theLogin"_s)->setText(u"новый"_s);
        dialog.close();
        stayedOpen = dialog.isVisible();
        dialog.close();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(options.Get_Login(), QString());
    EXPECT_EQ(placement(u"WindowState"_s), 0);
    EXPECT_EQ(placement(u"Left"_s), frame.x() * 15);
    EXPECT_EQ(placement(u"Top"_s), frame.y() * 15);
    // The size without the frame, as the next opening applies it.
    EXPECT_EQ(placement(u"Width"_s), inner.width() * 15);
    EXPECT_EQ(placement(u"Height"_s), inner.height() * 15);
}

TEST_F(SignInDialogTest, ButtonsStoreNoPlacement)
{
    dialogstest::whenShown([&] { button(u"theCancel"_s)->click(); });
    dialog.Execute();
    EXPECT_EQ(placement(u"WindowState"_s), -12345);
    EXPECT_EQ(placement(u"Left"_s), -12345);
}

TEST_F(SignInDialogTest, WithoutStoredPlacementTheDialogOpensCentredAtItsDesignSize)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size() * 15;
    QRect frame;
    QSize inner;
    dialogstest::whenShown([&] {
        frame = dialog.frameGeometry();
        inner = dialog.size();
        button(u"theCancel"_s)->click();
    });
    dialog.Execute();
    // Centred in whole twips, then drawn in pixels.
    const int left = (screen.width() - 11235) / 2;
    const int top = (screen.height() - 7830) / 2;
    EXPECT_EQ(frame.x(), qRound(left / 15.0));
    EXPECT_EQ(frame.y(), qRound(top / 15.0));
    // 11235 x 7830 with the frame it was designed with, whatever frame the desktop draws.
    EXPECT_EQ(inner, QSize(10995 / 15, 7260 / 15));
}

// Opens the dialog, waits until the desktop has framed it, moves and sizes it when asked, and
// closes it from its frame; answers its frame's place and its size without the frame.
std::pair<QRect, QSize> openAndClose(frmDiadocAutorization2& opened, const std::optional<QRect>& placeTo = {})
{
    std::pair<QRect, QSize> seen;
    dialogstest::whenShown([&] {
        // A window manager frames the window some time after it is shown; an offscreen one at once.
        if (QGuiApplication::platformName() == u"xcb"_s) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return opened.frameGeometry() != opened.geometry(); }, 2000));
        }
        if (placeTo) {
            opened.move(placeTo->topLeft());
            opened.resize(placeTo->size());
            QTest::qWait(QGuiApplication::platformName() == u"xcb"_s ? 300 : 0);
        }
        seen = {opened.frameGeometry(), opened.size()};
        opened.close();
    });
    opened.Execute();
    return seen;
}

TEST_F(SignInDialogTest, OpeningAgainAfterClosingFromTheFrameKeepsThePlaceAndTheSize)
{
    struct Case
    {
        const char* name;
        std::optional<QRect> placeTo;
    };
    // The design size first, before anything is stored.
    for (const Case& c : {Case{"design", std::nullopt}, Case{"moved and sized", QRect(60, 50, 800, 560)}}) {
        SCOPED_TRACE(c.name);
        frmDiadocAutorization2 first(ui, options, diadoc, clock);
        const auto [firstFrame, firstInner] = openAndClose(first, c.placeTo);
        EXPECT_NE(firstFrame.size(), firstInner) << "the test needs a framed window";
        for (int again = 0; again < 3; ++again) {
            frmDiadocAutorization2 next(ui, options, diadoc, clock);
            const auto [frame, inner] = openAndClose(next);
            EXPECT_EQ(inner, firstInner) << "opening " << again + 2;
            EXPECT_EQ(frame, firstFrame) << "opening " << again + 2;
        }
    }
}

TEST_F(SignInDialogTest, StoredWindowStates)
{
    struct Case
    {
        int stored;
        bool maximized;
    };
    for (const Case c : {Case{1, false}, Case{7, false}, Case{2, true}}) {
        SCOPED_TRACE(c.stored);
        registry.utility.RegistrySetValue(kSignInKey, u"WindowState"_s, c.stored);
        registry.utility.RegistrySetValue(kSignInKey, u"Left"_s, 1500);
        frmDiadocAutorization2 placed(ui, options, diadoc, clock);
        bool maximized = false;
        dialogstest::whenShown([&] {
            maximized = placed.isMaximized();
            placed.close();
        });
        placed.Execute();
        EXPECT_EQ(maximized, c.maximized);
        EXPECT_EQ(placement(u"WindowState"_s), c.maximized ? 2 : 0);
        if (c.maximized) {
            EXPECT_EQ(placement(u"Left"_s), 1500) << "a maximized dialog keeps the last normal place";
        }
    }
}

TEST_F(SignInDialogTest, EscapeAndEnterDoNotLeaveTheDialog)
{
    bool open = false;
    dialogstest::whenShown([&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        // The analyzer takes the fixture itself for null after the key event; it cannot be.
        QTest::keyClick(edit(u"theLogin"_s), Qt::Key_Return); // NOLINT(clang-analyzer-core.CallAndMessage)
        open = dialog.isVisible();
        button(u"theCancel"_s)->click();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(open);
}

TEST_F(SignInDialogTest, PasswordIsShownOnlyWhileTheButtonIsHeld)
{
    dialogstest::whenShown([&] {
        QLineEdit* password = edit(u"thePassword"_s);
        QToolButton* view = child<QToolButton>(u"theViewPassword"_s);
        EXPECT_EQ(view->toolTip(), u"Посмотреть пароль"_s);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);

        QTest::mousePress(view, Qt::LeftButton);
        EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
        QTest::mouseRelease(view, Qt::LeftButton);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(view->isChecked());

        QTest::keyPress(view, Qt::Key_Return);
        EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
        EXPECT_TRUE(view->isChecked());
        QTest::keyRelease(view, Qt::Key_Return);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(view->isChecked());

        QTest::keyPress(view, Qt::Key_Space);
        EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
        QTest::keyRelease(view, Qt::Key_Space);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);

        QTest::keyPress(view, Qt::Key_A);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password) << "other keys change nothing";

        // Shown, then the button loses the focus without a release: masked again.
        QTest::mousePress(view, Qt::LeftButton);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(view, &focusOut);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);

        // Shown, then the dialog is no longer the active window.
        QTest::keyPress(view, Qt::Key_Return);
        QWidget other;
        other.show();
        other.activateWindow();
        for (int i = 0; i < 50 && dialog.isActiveWindow(); ++i)
            QTest::qWait(10);
        QEvent deactivated(QEvent::ActivationChange);
        QApplication::sendEvent(&dialog, &deactivated);
        EXPECT_FALSE(dialog.isActiveWindow());
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(view->isChecked());
        other.close();
        button(u"theCancel"_s)->click();
    });
    dialog.Execute();
}

TEST_F(SignInDialogTest, AutomaticSignInOutOfRangeReadsAsTicked)
{
    registry.utility.RegistrySetValue(kSignInKey, u"AutomaticAutorization"_s, 5);
    bool ticked = false;
    dialogstest::whenShown([&] {
        ticked = child<QCheckBox>(u"theAutomaticAutorization"_s)->isChecked();
        button(u"theCancel"_s)->click();
    });
    dialog.Execute();
    EXPECT_TRUE(ticked);
}

TEST_F(SignInDialogTest, LayoutAtTheDesignSizeAndTheLeastSize)
{
    dialogstest::whenShown([&] {
        dialog.resize(733, 484); // 10995 x 7260 twips
        QApplication::processEvents();
        EXPECT_EQ(button(u"theButtomAutorization"_s)->geometry(), QRect(172, 441, 129, 33));
        EXPECT_EQ(button(u"theSave"_s)->geometry(), QRect(311, 441, 120, 33));
        EXPECT_EQ(button(u"theCancel"_s)->geometry(), QRect(441, 441, 120, 33));
        EXPECT_EQ(child<QLabel>(u"theTitle"_s)->geometry(), QRect(0, 10, 733, 25));
        EXPECT_EQ(child<QTabWidget>(u"theTabs"_s)->geometry(), QRect(10, 45, 713, 386));

        const QWidget* panel = child<QWidget>(u"thePanelAutorization"_s);
        const QRect url = edit(u"theDiadocServerURL"_s)->geometry();
        EXPECT_EQ(url.left(), 10);
        EXPECT_EQ(url.width(), panel->width() - 20);
        EXPECT_EQ(panel->height() - (url.top() + url.height()), 10);
        const QRect label = child<QLabel>(u"theLabelDiadocServerURL"_s)->geometry();
        EXPECT_EQ(label.top() + label.height(), url.top());
        const QRect automatic = child<QCheckBox>(u"theAutomaticAutorization"_s)->geometry();
        EXPECT_EQ(label.top() - (automatic.top() + automatic.height()), 10);
        const QRect certificates = tree()->geometry();
        EXPECT_EQ(automatic.top() - (certificates.top() + certificates.height()), 10);
        EXPECT_EQ(panel->width() - (certificates.left() + certificates.width()), 10);
        testsupport::screenshot(dialog, u"signin-dialog-design-size"_s);

        dialog.resize(300, 200);
        QApplication::processEvents();
        // 10050 x 6180 twips with the frame it was designed with, whatever frame the desktop draws.
        EXPECT_EQ(dialog.size(), QSize((10050 - 240) / 15, (6180 - 570) / 15));
        button(u"theCancel"_s)->click();
    });
    dialog.Execute();
}

} // namespace
