#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QTest>

#include "SignInFixture.h"
#include "core/MsgBox.h"
#include "core/widgets/mN7GraphLight.h"
#include "mainwindow/OrganisationTree.h"
#include "mainwindow/SSSplitter.h"
#include "mainwindow/SignInLabel.h"

namespace mainwindow::test {

namespace {

const QString kNotSignedIn = u"Вы не авторизованы в Диадок. Требуется авторизация."_s;
const QString kCertificateName =
    u"Иванов Иван Иванович, 7701000001 - 770101001, ООО «Альфа» (действителен c 01.01.2024 по 01.01.2030)"_s;
const QString kByLogin = u"с логином \"buh@alfa.example\""_s;
const QString kByCertificate = u"по сертификату "_s + kCertificateName;
const QColor kDarkRed(128, 0, 0);

// Types text key by key; QTest's own typing knows only Latin letters.
void typeText(QWidget& widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&widget, &release);
    }
}

QJsonArray listFault(const QString& effect, const QString& text = {})
{
    return {QJsonObject{{u"operation"_s, u"GetOrganizationList"_s}, {u"effect"_s, effect}, {u"text"_s, text}}};
}

} // namespace

class MainWindowSignInTest : public SignInFixture
{
protected:
    void expectLabel(const TestWindow& window, const QString& text, int top, int height, bool failed)
    {
        const QLabel& label = *window.controls().theLabelAuthorization;
        EXPECT_EQ(label.text(), text);
        EXPECT_EQ(window.signInLabel().topTwips(), top);
        EXPECT_EQ(label.y(), top / core::TwipsPerPixelY());
        // Only a window that is shown lays its strip out for the text.
        if (!window.isVisible() || label.heightForWidth(label.width()) <= height / core::TwipsPerPixelY()) {
            EXPECT_EQ(window.signInLabel().heightTwips(), height);
            EXPECT_EQ(label.height(), height / core::TwipsPerPixelY());
        } else {
            expectWholeText(window);
        }
        EXPECT_EQ(label.palette().color(QPalette::WindowText),
                  failed ? kDarkRed : QGuiApplication::palette().color(QPalette::WindowText));
    }

    // A text longer than its place: the strip grows to hold it whole, and the panes start below it.
    static void expectWholeText(const TestWindow& window)
    {
        const MainWindowControls& c = window.controls();
        const QLabel& label = *c.theLabelAuthorization;
        EXPECT_GE(label.height(), label.heightForWidth(label.width())) << "the whole text shows";
        EXPECT_EQ(label.y() + label.height(), c.theBoxAuthorization->height()) << "down to the strip's bottom";
        EXPECT_GE(c.theBoxAuthorization->height() - (label.y() + label.heightForWidth(label.width())), label.y() - 1)
            << "as much room below the text as above";
        EXPECT_EQ(c.theSSSplitter->y(), c.theBoxAuthorization->y() + c.theBoxAuthorization->height());
        EXPECT_EQ(c.theBoxMessage->height(), c.theBoxAuthorization->height());
    }
};

// One row for each text of the sign-in label.
struct LabelCase
{
    const char* name;
    int kind;
    QString password;
    QString apiKey;
    QJsonArray faults;
    QString text;
    int top;
    int height; // twips; the box is 600 high
    bool failed;
    bool organisations;
};

void PrintTo(const LabelCase& c, std::ostream* out)
{
    *out << c.name;
}

class SignInLabelOutcomeTest : public MainWindowSignInTest, public testing::WithParamInterface<LabelCase>
{
};

TEST_P(SignInLabelOutcomeTest, TheLabelTellsTheOutcomeInItsTextPlaceAndColour)
{
    const LabelCase& c = GetParam();
    options.Set_TypeDiadocAccount(c.kind);
    options.Set_Password(c.password);
    options.Set_KeyDiadocAPI(c.apiKey);
    writeSandbox(sampleOrganisations(), c.faults);

    const auto window = load();
    window->show();
    QCoreApplication::processEvents();
    testsupport::screenshot(*window->controls().theBoxAuthorization,
                            u"mainwindow-signin-label-"_s + QString::fromLatin1(c.name));

    expectLabel(*window, c.text, c.top, c.height, c.failed);
    const QTreeWidget& tree = *window->controls().theTreeViewPersons;
    EXPECT_EQ(tree.topLevelItemCount() > 0, c.organisations);
    EXPECT_EQ(tree.isEnabled(), c.organisations);
    EXPECT_EQ(window->organisationTree().organisations().persons->Count(), c.organisations ? 4 : 0);
    EXPECT_TRUE(ui.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SignInLabelOutcomeTest,
    testing::Values(
        // The first text has the Latin "c" before "логином".
        LabelCase{"ByLogin",
                  1,
                  kPassword,
                  {},
                  {},
                  u"Вы авторизованы в Диадок c логином \"buh@alfa.example\"."_s,
                  165,
                  255,
                  false,
                  true},
        LabelCase{"ByCertificate",
                  2,
                  {},
                  {},
                  {},
                  u"Вы авторизованы в Диадок по сертификату\r\n"_s + kCertificateName,
                  60,
                  540,
                  false,
                  true},
        LabelCase{"NoOrganisations",
                  1,
                  kPassword,
                  {},
                  listFault(u"empty"_s),
                  u"Авторизация в Диадок "_s + kByLogin
                      + u" прошла успешно.\r\nНо, запрос списка организаций не вернул ни одной организации."_s,
                  60,
                  540,
                  true,
                  false},
        LabelCase{"ListFailed",
                  2,
                  {},
                  {},
                  listFault(u"error"_s, u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal"_s),
                  u"Авторизация в Диадок "_s + kByCertificate
                      + u" прошла успешно.\r\nНо, запрос списка организаций завершился с ошибкой "
                        u"\"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal\"."_s,
                  60,
                  540,
                  true,
                  false},
        LabelCase{"WrongPassword",
                  1,
                  u"Пароль 1"_s,
                  {},
                  {},
                  kNotSignedIn + u"\r\nПопытка авторизации "_s + kByLogin
                      + u" завершилась с ошибкой \"Неверный логин или пароль\"."_s,
                  60,
                  540,
                  true,
                  false},
        LabelCase{"WrongApiKey",
                  1,
                  kPassword,
                  u"  someone-else  "_s,
                  {},
                  kNotSignedIn + u"\r\nПопытка авторизации "_s + kByLogin
                      + u" завершилась с ошибкой \"Неверный ключ к Диадок API\"."_s,
                  60,
                  540,
                  true,
                  false}),
    [](const testing::TestParamInfo<LabelCase>& row) { return std::string(row.param.name); });

TEST_F(MainWindowSignInTest, TheLabelRunsFromTheLeftOfTheStripToJustBeforeTheFirstButton)
{
    const auto window = load();
    window->resize(900, 600);
    window->show();
    QCoreApplication::processEvents();
    const MainWindowControls& c = window->controls();
    const int tx = core::TwipsPerPixelX();
    EXPECT_EQ(c.theLabelAuthorization->x(), 105 / tx);
    EXPECT_EQ(c.theLabelAuthorization->geometry().right() + 1, c.theButtonAuthorization->x() - 105 / tx);
    EXPECT_EQ(c.theButtonOptions->geometry().right() + 1, c.theBoxAuthorization->width() - 105 / tx);

    window->resize(1100, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(c.theLabelAuthorization->geometry().right() + 1, c.theButtonAuthorization->x() - 105 / tx);
}

// A failed sign-in by certificate names the certificate and the service's error: more lines than
// the strip's two-line place holds. The strip grows to show it whole, and takes its height back
// after a sign-in with a short text.
TEST_F(MainWindowSignInTest, AFailedSignInByCertificateShowsItsWholeText)
{
    options.Set_TypeDiadocAccount(2);
    const QString error = u"##100[Ошибка сервера Диадок]code:403, HTTP error: Forbidden. Сертификат не "_s
                          u"зарегистрирован в Диадоке или у его владельца нет доступа ни к одной организации"_s;
    writeSandbox(sampleOrganisations(),
                 {QJsonObject{{u"operation"_s, u"CreateConnectionByCertificate"_s}, {u"text"_s, error}}});
    const auto window = load();
    window->show();
    QCoreApplication::processEvents();
    const MainWindowControls& c = window->controls();
    const QLabel& label = *c.theLabelAuthorization;
    testsupport::screenshot(*window, u"mainwindow-signin-certificate-refused"_s);

    EXPECT_TRUE(label.text().startsWith(kNotSignedIn + u"\r\nПопытка авторизации "_s + kByCertificate))
        << label.text().toStdString();
    ASSERT_GT(label.heightForWidth(label.width()), 540 / core::TwipsPerPixelY())
        << "the text needs more than the two-line place";
    EXPECT_GT(c.theBoxAuthorization->height(), 600 / core::TwipsPerPixelY());
    expectWholeText(*window);

    // A narrower window wraps the text into more lines: the strip follows.
    window->resize(700, 598);
    QCoreApplication::processEvents();
    expectWholeText(*window);

    // A sign-in by login afterwards: one line low in a strip of its built height again.
    options.Set_TypeDiadocAccount(1);
    window->DoAuthorizationEx(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(label.text().startsWith(kNotSignedIn)) << label.text().toStdString();
    EXPECT_EQ(c.theBoxAuthorization->height(), 600 / core::TwipsPerPixelY());
    EXPECT_EQ(c.theSSSplitter->y(), 600 / core::TwipsPerPixelY());
}

struct GiveUpCase
{
    const char* name;
    int automatic;
    QString commandLine;
    int kind;
    QString login;
    QString thumbprint;
};

void PrintTo(const GiveUpCase& c, std::ostream* out)
{
    *out << c.name;
}

class SignInGiveUpTest : public MainWindowSignInTest, public testing::WithParamInterface<GiveUpCase>
{
};

TEST_P(SignInGiveUpTest, NothingIsAttemptedAndTheWindowKeepsItsDesignState)
{
    const GiveUpCase& c = GetParam();
    options.Set_AutomaticAutorization(c.automatic);
    options.Set_TypeDiadocAccount(c.kind);
    options.Set_Login(c.login);
    options.Set_Certificate(c.thumbprint);
    // Any attempt would end in a text: the service refuses every connection.
    writeSandbox(sampleOrganisations(),
                 {QJsonObject{{u"operation"_s, u"CreateConnectionByLogin"_s}, {u"text"_s, u"refused"_s}},
                  QJsonObject{{u"operation"_s, u"CreateConnectionByCertificate"_s}, {u"text"_s, u"refused"_s}}});

    const auto window = load(c.commandLine);
    window->controls().theStartingTimer->stop();

    expectLabel(*window, kNotSignedIn, 165, 255, false);
    EXPECT_EQ(window->controls().theTreeViewPersons->topLevelItemCount(), 0);
    EXPECT_FALSE(window->controls().theTreeViewPersons->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(GiveUps, SignInGiveUpTest,
                         testing::Values(GiveUpCase{"NoAutomaticSignIn", 0, {}, 1, kLogin, kThumbprint},
                                         GiveUpCase{"EmptyLogin", 1, {}, 1, {}, kThumbprint},
                                         GiveUpCase{"EmptyThumbprint", 1, {}, 2, kLogin, {}},
                                         GiveUpCase{"UnattendedWithEmptyLogin", 0, u"/AUTOSTART"_s, 1, {}, {}}),
                         [](const testing::TestParamInfo<GiveUpCase>& row) { return std::string(row.param.name); });

TEST_F(MainWindowSignInTest, AnUnattendedStartSignsInWhateverTheAutomaticSignInSays)
{
    options.Set_AutomaticAutorization(0);
    const auto window = load(u"/AUTOSTART"_s);
    window->controls().theStartingTimer->stop();
    EXPECT_EQ(window->controls().theLabelAuthorization->text(),
              u"Вы авторизованы в Диадок c логином \"buh@alfa.example\"."_s);
    EXPECT_EQ(keys(*window), kAllNodes);
}

TEST_F(MainWindowSignInTest, TheButtonSignsInWithWhatTheDialogStoredPasswordAsTyped)
{
    options.Set_AutomaticAutorization(0);
    options.Set_Password(QString());
    const auto window = load();
    window->show();
    ASSERT_EQ(window->controls().theTreeViewPersons->topLevelItemCount(), 0);

    QString dialogName;
    whenShown([&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialogName = dialog->objectName();
        auto* password = dialog->findChild<QLineEdit*>(u"thePassword"_s);
        ASSERT_NE(password, nullptr);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        password->setFocus();
        // The password begins with a blank; it is stored and sent as typed.
        typeText(*password, kPassword);
        testsupport::screenshot(*dialog, u"mainwindow-signin-dialog"_s);
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"theButtomAutorization"_s), Qt::LeftButton);
    });
    QTest::mouseClick(window->controls().theButtonAuthorization, Qt::LeftButton);

    EXPECT_EQ(dialogName, u"frmDiadocAutorization2"_s);
    EXPECT_EQ(window->signIns, (std::vector<bool>{false, true}));
    EXPECT_EQ(options.GetDefault_Password(), kPassword);
    EXPECT_EQ(window->controls().theLabelAuthorization->text(),
              u"Вы авторизованы в Диадок c логином \"buh@alfa.example\"."_s);
    EXPECT_EQ(keys(*window), kAllNodes);
    EXPECT_TRUE(window->controls().theTreeViewPersons->isEnabled());
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

TEST_F(MainWindowSignInTest, TheDialogsCertificateSignsInByCertificate)
{
    options.Set_AutomaticAutorization(0);
    options.Set_Certificate(QString());
    const auto window = load();
    window->show();

    whenShown([] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* option = dialog->findChild<QRadioButton*>(u"theOptionCertificate"_s);
        auto* certificates = dialog->findChild<QTreeWidget*>(u"theTreeViewCertificates"_s);
        ASSERT_NE(option, nullptr);
        ASSERT_NE(certificates, nullptr);
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, option->height() / 2));
        ASSERT_EQ(certificates->topLevelItemCount(), 1);
        certificates->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"theButtomAutorization"_s), Qt::LeftButton);
    });
    QTest::mouseClick(window->controls().theButtonAuthorization, Qt::LeftButton);

    EXPECT_EQ(options.Get_TypeDiadocAccount(), 2);
    EXPECT_EQ(options.GetDefault_Certificate(), kThumbprint);
    expectLabel(*window, u"Вы авторизованы в Диадок по сертификату\r\n"_s + kCertificateName, 60, 540, false);
    EXPECT_EQ(keys(*window), kAllNodes);
}

TEST_F(MainWindowSignInTest, LeavingTheDialogKeepsTheLastSignInAndRefreshesTheFolderBox)
{
    const auto window = load();
    window->show();
    userToggle(*window, kNorth);
    const QStringList ticked = tickedKeys(*window);
    // The developer's login makes the folder box editable, once the box is refreshed.
    options.Set_Login(QString::fromUtf16(frmDiadocUnloadDocs::kDeveloperLogin));
    ASSERT_TRUE(window->controls().theButtonSelectFolder->isHidden());

    whenShown([] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"theCancel"_s), Qt::LeftButton);
    });
    QTest::mouseClick(window->controls().theButtonAuthorization, Qt::LeftButton);

    EXPECT_EQ(window->controls().theLabelAuthorization->text(),
              u"Вы авторизованы в Диадок c логином \"buh@alfa.example\"."_s);
    EXPECT_EQ(keys(*window), kAllNodes);
    EXPECT_EQ(tickedKeys(*window), ticked);
    EXPECT_EQ(window->organisationTree().organisations().persons->Count(), 4);
    EXPECT_FALSE(window->controls().theButtonSelectFolder->isHidden());
}

TEST_F(MainWindowSignInTest, ASecondSignInReplacesTheWholeResultOfTheFirst)
{
    const auto window = load();
    ASSERT_EQ(keys(*window), kAllNodes);
    options.Set_Password(u"wrong"_s);
    whenShown([] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"theButtomAutorization"_s), Qt::LeftButton);
    });
    QTest::mouseClick(window->controls().theButtonAuthorization, Qt::LeftButton);

    expectLabel(*window,
                kNotSignedIn + u"\r\nПопытка авторизации "_s + kByLogin
                    + u" завершилась с ошибкой \"Неверный логин или пароль\"."_s,
                60, 540, true);
    EXPECT_EQ(window->controls().theTreeViewPersons->topLevelItemCount(), 0);
    EXPECT_FALSE(window->controls().theTreeViewPersons->isEnabled());
    EXPECT_EQ(window->organisationTree().organisations().persons->Count(), 0);

    // Signing in by login again moves the label back down; its height stays as the failure left it.
    options.Set_Password(kPassword);
    whenShown([] {
        QTest::mouseClick(QApplication::activeModalWidget()->findChild<QPushButton*>(u"theButtomAutorization"_s),
                          Qt::LeftButton);
    });
    QTest::mouseClick(window->controls().theButtonAuthorization, Qt::LeftButton);
    expectLabel(*window, u"Вы авторизованы в Диадок c логином \"buh@alfa.example\"."_s, 165, 540, false);
    EXPECT_EQ(keys(*window), kAllNodes);
}

struct VariantCase
{
    const char* button;
    const char* dialog;
    const char* leave;
};

void PrintTo(const VariantCase& c, std::ostream* out)
{
    *out << c.button;
}

class DeveloperButtonTest : public MainWindowSignInTest, public testing::WithParamInterface<VariantCase>
{
};

TEST_P(DeveloperButtonTest, EachDeveloperButtonOpensItsDialogAndNoSignInFollows)
{
    options.Set_AutomaticAutorization(0);
    const auto window = load();
    QString opened;
    whenShown([&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        opened = dialog->objectName();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(GetParam().leave)), Qt::LeftButton);
    });
    auto* button = window->findChild<QPushButton*>(QString::fromLatin1(GetParam().button));
    ASSERT_NE(button, nullptr);
    button->click();

    EXPECT_EQ(opened, QString::fromLatin1(GetParam().dialog));
    EXPECT_EQ(window->signIns, std::vector<bool>{false});
    EXPECT_EQ(window->controls().theLabelAuthorization->text(), kNotSignedIn);
    EXPECT_EQ(window->controls().theTreeViewPersons->topLevelItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, DeveloperButtonTest,
                         testing::Values(VariantCase{"Command0", "frmDiadocAutorization", "theButtomAutorization"},
                                         VariantCase{"Command1", "frmDiadocAutorization1", "theButtomAutorization"},
                                         VariantCase{"Command2", "frmDiadocAutorization2", "theButtomAutorization"},
                                         VariantCase{"Command3", "frmDiadocAutorization3", "theCancel"}),
                         [](const testing::TestParamInfo<VariantCase>& row) { return std::string(row.param.button); });

} // namespace mainwindow::test
