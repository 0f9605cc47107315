#include <optional>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "DialogsFixture.h"
#include "base/Error.h"
#include "dialogs/frmChecks.h"
#include "platform/diadoc/SandboxLoader.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"

using namespace Qt::StringLiterals;
using dialogs::frmChecks;

namespace {

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);
const QString kPassword = u"Ромашка2024"_s;
const QString kMask = u"*************5e"_s;

struct Arguments
{
    QString key = kMask;
    QString url = kSample;
    int type = 1;
    QString login = u"buh@romashka.ru"_s;
    QString password = kPassword;
    QString thumbprint = u"3F6A1C0B9E2D4F5A6B7C8D9E0F1A2B3C4D5E6F70"_s;
    QString inn = u"7701234567"_s;
};

// The log as lines, each led by its colour: "K " black, "R " dark red, "G " green; an empty line
// stays empty. A line of more than one colour fails the test.
QStringList logLines(const QTextEdit& log)
{
    QStringList lines;
    for (QTextBlock block = log.document()->begin(); block.isValid(); block = block.next()) {
        QString colour;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QColor c = it.fragment().charFormat().foreground().color();
            const QString name = c == QColor(0, 0, 0)     ? u"K"_s
                                 : c == QColor(192, 0, 0) ? u"R"_s
                                 : c == QColor(0, 128, 0) ? u"G"_s
                                                          : c.name();
            EXPECT_TRUE(colour.isEmpty() || colour == name) << block.text().toStdString();
            colour = name;
        }
        lines.append(block.text().isEmpty() ? QString() : colour + u' ' + block.text());
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Runs the access test with the arguments and answers the log once the window may be closed.
QStringList runChecks(dialogstest::DialogsFixture& f, const Arguments& a, const QString& picture = {})
{
    frmChecks window(f.ui, f.factory, f.clock);
    QStringList lines;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* log = window.findChild<QTextEdit*>(u"theRichTextBox"_s);
        auto* close = window.findChild<QPushButton*>(u"theClose"_s);
        const bool ended = log->document()->characterCount() > 1 && close->isEnabled();
        if (!ended && waited.elapsed() < 10000)
            return;
        EXPECT_TRUE(ended) << "the test did not end";
        lines = logLines(*log);
        if (!picture.isEmpty())
            testsupport::screenshot(window, picture);
        poll.stop();
        close->click();
        if (window.isVisible())
            window.done(QDialog::Rejected);
    });
    poll.start(5);
    EXPECT_TRUE(window.Execute(a.key, a.url, a.type, a.login, a.password, a.thumbprint, a.inn));
    return lines;
}

const QStringList kHead = {
    u"K 2025.01.10 12:00:00"_s,
    u"K Проверка наличия на компьютере библиотеки Диадок API."_s,
    u"G На компьютере установлена библиотека Диадок API версии 2.14.6.210."_s,
};
QStringList testConnection(const QStringList& outcome)
{
    return QStringList{QString(), u"K Установка тестового соединения с сервером Диадок."_s,
                       u"K Используется ключ Диадок API \"*************5e\"."_s,
                       u"K Используется URL сервера Диадок \""_s + kSample + u"\"."_s}
           + outcome;
}
const QStringList kTestOk = {u"G Тестовое соединение с сервером Диадок установлено успешно."_s};
const QStringList kWorking = {QString(), u"K Установка рабочего соединения с сервером Диадок (авторизация)."_s};
const QStringList kByLogin = {u"K Выбрана авторизация по логину и паролю."_s,
                              u"K Используется логин \"buh@romashka.ru\"."_s};
const QStringList kLoginOk = {u"G Рабочее соединение пользователя с сервером Диадок (авторизация) прошло успешно."_s};
const QStringList kByCertificate = {
    u"K Выбрана авторизация по сертификату."_s,
    u"K Используется сертификат с отпечатком\"3F6A1C0B9E2D4F5A6B7C8D9E0F1A2B3C4D5E6F70\"."_s,
    u"K Запрашиваем данные сертификата."_s,
};
const QStringList kCertificateFound = {
    u"G Сертификат: Иванов Иван Иванович, 7701234567 - 770101001, ООО «Ромашка» (действителен c 15.01.2024 по 15.04.2025)"_s};
const QStringList kOrganisationsHeading = {QString(),
                                           u"K Запрос списка организаций, к которым пользователь имеет доступ."_s};
const QStringList kOrganisationsOk =
    kOrganisationsHeading + QStringList{u"G Сприсок организаций получен. Количество организаций в списке: 3."_s};
const QStringList kSearchHeading = {
    QString(), u"K Поиск организации с ИНН 7701234567 в полученном списке организаций пользователя."_s};
const QStringList kFound =
    kSearchHeading + QStringList{u"G Организация найдена. Название организации: ООО «Ромашка»."_s};
const QStringList kTypesHeading = {QString(),
                                   u"K Запрос списка типов документов, доступных организации с ИНН 7701234567."_s};
const QStringList kTypesOk =
    kTypesHeading + QStringList{u"G Сприсок типов документов получен. Количество типов документов: 5."_s};
const QStringList kTaskHeading = {QString(), u"K Создание объекта для поиска документов в ящике организации."_s};
const QStringList kTaskOk = kTaskHeading + QStringList{u"G Объект для поиска документов в ящике получен успешно."_s};
const QStringList kInboundHeading = {QString(), u"K Пробный запрос списка входящих документов."_s};
const QStringList kOutboundHeading = {QString(), u"K Пробный запрос списка исходящих документов."_s};
QStringList inbound(int count)
{
    return kInboundHeading
           + QStringList{u"G Запрос пробного списка входящих документов вернул "_s + QString::number(count)
                         + u" элементов."_s};
}
QStringList outbound(int count)
{
    return kOutboundHeading
           + QStringList{u"G Запрос пробного списка исходящих документов вернул "_s + QString::number(count)
                         + u" элементов."_s};
}
const QStringList kEnd = {QString(), u"K Проверки завершены."_s};
QStringList failed(const QString& line, const QString& message)
{
    return {u"R "_s + line, u"R Получено сообщение: \""_s + message + u"\"."_s};
}
const QString kConnectionFailed = u"Установка рабочего соединения с сервером Диадок (авторизация) не удалась."_s;

const QStringList kThroughLogin = kHead + testConnection(kTestOk) + kWorking + kByLogin + kLoginOk;
const QStringList kThroughOrganisation = kThroughLogin + kOrganisationsOk + kFound;

struct Script
{
    const char* name;
    const char* fault; // a fault rule of the emulated service, as the sandbox file writes it
    std::function<void(Arguments&)> arguments;
    QStringList expected;
    // When set, the client library cannot be created and raises this text.
    std::optional<QString> creationError = std::nullopt;
};

const QString kNoLibrary = u"R На компьютере не установлена (или установлена некорректно) библиотека Диадок API."_s;
const QStringList kKeyMissing = {
    u"R Не указан Ключ Диадок API."_s,
    u"R Для проверки необходимо указать Ключ Диадок API в окне \"Авторизация в Диадок\"."_s};
const QStringList kTestHeading = {QString(), u"K Установка тестового соединения с сервером Диадок."_s};

const int kInbound = 36;
const int kOutbound = 13;

const Script kScripts[] = {
    {"everything works",
     "",
     {},
     kThroughOrganisation + kTypesOk + kTaskOk + inbound(kInbound) + outbound(kOutbound) + kEnd},
    {"no INN: the test ends after the organisations", "", [](Arguments& a) { a.inn.clear(); },
     kThroughLogin + kOrganisationsOk + kEnd},
    {"empty key: no test connection, the working connection is still tried", "", [](Arguments& a) { a.key.clear(); },
     kHead
         + QStringList{QString(), u"K Установка тестового соединения с сервером Диадок."_s,
                       u"R Не указан Ключ Диадок API."_s,
                       u"R Для проверки необходимо указать Ключ Диадок API в окне \"Авторизация в Диадок\"."_s}
         + kWorking + kByLogin
         + failed(kConnectionFailed,
                  u"COM1C.HTTP_ERROR[0x00002EFD]A connection with the server could not be established"_s)
         + kEnd},
    {"failed test connection does not stop the test",
     R"({"operation": "TestConnection2", "effect": "false", "text": "Сервер занят"})",
     [](Arguments& a) { a.inn.clear(); },
     kHead
         + testConnection({u"R Тестовое соединение с сервером Диадок завершилось неудачей."_s,
                           u"R Получено сообщение: \"Сервер занят\"."_s})
         + kWorking + kByLogin + kLoginOk + kOrganisationsOk + kEnd},
    {"test connection gives Nothing", R"({"operation": "TestConnection2", "effect": "nothing"})",
     [](Arguments& a) { a.inn.clear(); },
     kHead + testConnection({u"R DiadocAPI.TestConnection2() вернул пустой объект (Nothing)"_s}) + kWorking + kByLogin
         + kLoginOk + kOrganisationsOk + kEnd},
    {"certificate: none chosen", "",
     [](Arguments& a) {
         a.type = 2;
         a.thumbprint.clear();
     },
     kHead + testConnection(kTestOk) + kWorking
         + QStringList{u"K Выбрана авторизация по сертификату."_s, u"R Не выбран сертификат."_s,
                       u"R Для дальнейшей проверки необходимо выбрать сертификат в окне \"Авторизация в Диадок\" или "
                       u"авторизацию по логину и паролю на закладке \"Авторизация\"."_s}
         + kEnd},
    {"certificate: the store refuses", R"({"operation": "GetPersonalCertificates", "text": "Хранилище закрыто"})",
     [](Arguments& a) { a.type = 2; },
     kHead + testConnection(kTestOk) + kWorking + kByCertificate
         + failed(u"Запрос сертификатов не вернул сертификатов."_s, u"Хранилище закрыто"_s) + kEnd},
    {"certificate: not in the list", "",
     [](Arguments& a) {
         a.type = 2;
         a.thumbprint = a.thumbprint.toLower();
     },
     kHead + testConnection(kTestOk) + kWorking
         + QStringList{u"K Выбрана авторизация по сертификату."_s,
                       u"K Используется сертификат с отпечатком\"3f6a1c0b9e2d4f5a6b7c8d9e0f1a2b3c4d5e6f70\"."_s,
                       u"K Запрашиваем данные сертификата."_s, u"R Не найлен сертификат с указанным отпечатком."_s}
         + kEnd},
    {"certificate: the connection is refused",
     R"({"operation": "CreateConnectionByCertificate", "text": "Сертификат отозван"})",
     [](Arguments& a) { a.type = 2; },
     kHead + testConnection(kTestOk) + kWorking + kByCertificate + kCertificateFound
         + failed(kConnectionFailed, u"Сертификат отозван"_s) + kEnd},
    {"certificate: signed in", "",
     [](Arguments& a) {
         a.type = 2;
         a.inn.clear();
     },
     kHead + testConnection(kTestOk) + kWorking + kByCertificate + kCertificateFound
         + QStringList{u"G Рабочее соединение пользователя с сервером Диадок (авторизация) установлено успешно."_s}
         + kOrganisationsOk + kEnd},
    {"login: none given", "",
     [](Arguments& a) {
         a.type = 0;
         a.login.clear();
     },
     kHead + testConnection(kTestOk) + kWorking
         + QStringList{u"K Выбрана авторизация по логину и паролю."_s, u"R Не указан логин."_s,
                       u"R Для дальнейшей проверки необходимо указать логин в окне \"Авторизация в Диадок\" на "
                       u"закладке \"Авторизация\"."_s}
         + kEnd},
    {"login: wrong password", "",
     [](Arguments& a) {
         a.type = 3;
         a.password = u"не тот"_s;
     },
     kHead + testConnection(kTestOk) + kWorking + kByLogin
         + failed(
             kConnectionFailed,
             u"##100[Ошибка сервера Диадок]code:401, HTTP error: Wrong password provided for login buh@romashka.ru"_s)
         + kEnd},
    {"organisations: no list",
     R"({"operation": "GetOrganizationList", "effect": "nothing"})",
     {},
     kThroughLogin + kOrganisationsHeading + failed(u"Не удалось получить список организаций."_s, QString()) + kEnd},
    {"organisations: an empty list",
     R"({"operation": "GetOrganizationList", "effect": "empty"})",
     {},
     kThroughLogin + kOrganisationsHeading + QStringList{u"R Количество организаций в списке: 0."_s} + kEnd},
    {"organisation: an INN with a blank is not found", "", [](Arguments& a) { a.inn = u"7701234567 "_s; },
     kThroughLogin + kOrganisationsOk
         + QStringList{QString(),
                       u"K Поиск организации с ИНН 7701234567  в полученном списке организаций пользователя."_s,
                       u"R В списке доступных организаций, организации с ИНН 7701234567  не найдено."_s}
         + kEnd},
    {"document types: refused",
     R"({"operation": "GetDocumentTypes", "text": "##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещён. Необходима оплата тарифа АПИ"})",
     {},
     kThroughOrganisation + kTypesHeading
         + failed(u"Не удалось получить список типов документов."_s,
                  u"##100[Ошибка сервера Диадок]code:402, HTTP error: Доступ запрещён. Необходима оплата тарифа АПИ"_s)
         + kEnd},
    {"document types: an empty list",
     R"({"operation": "GetDocumentTypes", "effect": "empty"})",
     {},
     kThroughOrganisation + kTypesHeading + QStringList{u"R Количество типов документов: 0."_s} + kEnd},
    {"search object: none",
     R"({"operation": "GetDocumentsTask", "effect": "nothing"})",
     {},
     kThroughOrganisation + kTypesOk + kTaskHeading
         + failed(u"Не удалось получить объект для поиска документов в ящике."_s, QString()) + kEnd},
    {"inbound trial fails: no outbound trial",
     R"({"operation": "GetDocuments", "class": "Inbound", "text": "bad allocation"})",
     {},
     kThroughOrganisation + kTypesOk + kTaskOk + kInboundHeading
         + failed(u"Не удалось получить пробный список входящих документов."_s, u"bad allocation"_s) + kEnd},
    {"outbound trial fails",
     R"({"operation": "GetDocuments", "class": "Outbound", "effect": "nothing"})",
     {},
     kThroughOrganisation + kTypesOk + kTaskOk + inbound(kInbound) + kOutboundHeading
         + failed(u"Не удалось получить пробный список исходящих документов."_s, QString()) + kEnd},
    {"empty trial lists are a success",
     R"({"operation": "GetDocuments", "effect": "empty"})",
     {},
     kThroughOrganisation + kTypesOk + kTaskOk + inbound(0) + outbound(0) + kEnd},
    {"no library and no key: the key lines still come", "", [](Arguments& a) { a.key.clear(); },
     QStringList{u"K 2025.01.10 12:00:00"_s, u"K Проверка наличия на компьютере библиотеки Диадок API."_s, kNoLibrary,
                 u"R При попытке создать объект Диадок API, получено сообщение:"_s,
                 u"R \"Класс не зарегистрирован\"."_s}
         + kTestHeading + kKeyMissing + kEnd,
     u"Класс не зарегистрирован"_s},
    {"no library and no message: a single failure line",
     "",
     {},
     QStringList{u"K 2025.01.10 12:00:00"_s, u"K Проверка наличия на компьютере библиотеки Диадок API."_s, kNoLibrary}
         + kTestHeading + kEnd,
     QString()},
    {"test connection without its success value counts as failed",
     R"({"operation": "TestConnection2", "effect": "value", "text": "Нет ответа"})",
     [](Arguments& a) { a.inn.clear(); },
     kHead
         + testConnection({u"R Тестовое соединение с сервером Диадок завершилось неудачей."_s,
                           u"R Получено сообщение: \"Нет ответа\"."_s})
         + kWorking + kByLogin + kLoginOk + kOrganisationsOk + kEnd},
    {"login: the connection is refused",
     R"({"operation": "CreateConnectionByLogin", "text": "Учётная запись заблокирована"})",
     {},
     kHead + testConnection(kTestOk) + kWorking + kByLogin
         + failed(kConnectionFailed, u"Учётная запись заблокирована"_s) + kEnd},
    {"organisations: refused with a message",
     R"({"operation": "GetOrganizationList", "text": "Сессия истекла"})",
     {},
     kThroughLogin + kOrganisationsHeading + failed(u"Не удалось получить список организаций."_s, u"Сессия истекла"_s)
         + kEnd},
    {"document types: no list",
     R"({"operation": "GetDocumentTypes", "effect": "nothing"})",
     {},
     kThroughOrganisation + kTypesHeading + failed(u"Не удалось получить список типов документов."_s, QString())
         + kEnd},
    {"search object: refused with a message",
     R"({"operation": "GetDocumentsTask", "text": "Ящик недоступен"})",
     {},
     kThroughOrganisation + kTypesOk + kTaskHeading
         + failed(u"Не удалось получить объект для поиска документов в ящике."_s, u"Ящик недоступен"_s) + kEnd},
};

TEST(frmChecksTest, EachFailurePointWritesItsExactLinesAndColours)
{
    for (const Script& script : kScripts) {
        SCOPED_TRACE(script.name);
        dialogstest::DialogsFixture f;
        if (script.creationError)
            f.factory.failCreation(core::Error(429, *script.creationError));
        if (*script.fault) {
            const QJsonObject rule = QJsonDocument::fromJson(QByteArray(script.fault)).object();
            ASSERT_FALSE(rule.isEmpty());
            f.factory.service(kSample)->addFault(platform::diadoc::SandboxLoader::faultFromJson(rule, u"script"_s));
        }
        Arguments a;
        if (script.arguments)
            script.arguments(a);
        // Pictures of a log of successes alone and of one with failures and successes mixed.
        const QString name = QString::fromUtf8(script.name);
        const QString picture = name.startsWith(u"every"_s)         ? u"checks-ok"_s
                                : name.startsWith(u"failed test"_s) ? u"checks-mixed"_s
                                                                    : QString();
        const QStringList lines = runChecks(f, a, picture);
        EXPECT_EQ(lines, script.expected) << lines.join(u'\n').toStdString();
        EXPECT_FALSE(lines.join(u'\n').contains(kPassword)) << "the password is never logged";
        EXPECT_TRUE(f.ui.errorDialogCalls.empty());
    }
}

TEST(frmChecksTest, MissingLibraryStillWritesTheConnectionHeading)
{
    dialogstest::DialogsFixture f;
    f.factory.failCreation();
    const QStringList lines = runChecks(f, Arguments(), u"checks-no-library"_s);
    const QStringList expected = {
        u"K 2025.01.10 12:00:00"_s,
        u"K Проверка наличия на компьютере библиотеки Диадок API."_s,
        u"R На компьютере не установлена (или установлена некорректно) библиотека Диадок API."_s,
        u"R При попытке создать объект Диадок API, получено сообщение:"_s,
        u"R \"ActiveX component can't create object\"."_s,
        QString(),
        u"K Установка тестового соединения с сервером Диадок."_s,
        QString(),
        u"K Проверки завершены."_s,
    };
    EXPECT_EQ(lines, expected) << lines.join(u'\n').toStdString();
}

TEST(frmChecksTest, AnUnguardedFailureIsReportedAndCloseComesBack)
{
    dialogstest::DialogsFixture f;
    f.factory.service(kSample)->addFault(platform::diadoc::SandboxLoader::faultFromJson(
        {{u"operation"_s, u"TestConnection2"_s}, {u"effect"_s, u"value"_s}, {u"value"_s, u"может быть"_s}},
        u"script"_s));
    const QStringList lines = runChecks(f, Arguments());
    EXPECT_EQ(lines, kHead + testConnection({}));
    ASSERT_EQ(f.ui.errorDialogCalls.size(), 1U);
    EXPECT_TRUE(f.ui.errorDialogCalls[0].description.contains(u"frmChecks.DoTest"_s))
        << f.ui.errorDialogCalls[0].description.toStdString();
}

// Lets the window process its messages as the program does, and tries to close the window each
// time while the test runs.
class ClosingUi final : public core::UiServices
{
public:
    testsupport::ScriptedUiServices inner;
    QWidget* window = nullptr;
    int refusedCloses = 0;

    bool isUnattended() const override { return false; }
    int msgBox(const QString& p, int s, const QString& t) override { return inner.msgBox(p, s, t); }
    QString inputBox(const QString& p, const QString& t, const QString& d) override { return inner.inputBox(p, t, d); }
    QString browseForFolder(const QString& t, const QString& s) override { return inner.browseForFolder(t, s); }
    core::MousePointer mousePointer() const override { return inner.mousePointer(); }
    void setMousePointer(core::MousePointer p) override { inner.setMousePointer(p); }
    void processEvents() override
    {
        if (window && window->isVisible()) {
            window->close();
            if (window->isVisible())
                ++refusedCloses;
        }
        QApplication::processEvents();
    }
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return inner.createErrorDialog(); }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return inner.createSplashWindow(); }
};

TEST(frmChecksTest, TheWindowCannotBeClosedWhileTheTestRuns)
{
    dialogstest::DialogsFixture f;
    ClosingUi ui;
    frmChecks window(ui, f.factory, f.clock);
    ui.window = &window;
    QStringList lines;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* log = window.findChild<QTextEdit*>(u"theRichTextBox"_s);
        if (log->document()->characterCount() <= 1 || !window.findChild<QPushButton*>(u"theClose"_s)->isEnabled())
            return;
        poll.stop();
        ui.window = nullptr;
        lines = logLines(*log);
        window.findChild<QPushButton*>(u"theClose"_s)->click();
    });
    poll.start(5);
    const Arguments a;
    window.Execute(a.key, a.url, a.type, a.login, a.password, a.thumbprint, a.inn);
    EXPECT_GT(ui.refusedCloses, 10);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last(), u"K Проверки завершены."_s) << "the test ran to its end";
    EXPECT_FALSE(window.isVisible());
}

TEST(frmChecksTest, LayoutKeepsTheTitleCentredAndTheLogBetween)
{
    dialogstest::DialogsFixture f;
    f.factory.failCreation();
    frmChecks window(f.ui, f.factory, f.clock);
    QRect close;
    QRect log;
    QRect caption;
    QSize least;
    dialogstest::whenShown([&] {
        window.resize(561, 572); // 8415 x 8580 twips
        QApplication::processEvents();
        close = window.findChild<QPushButton*>(u"theClose"_s)->geometry();
        log = window.findChild<QTextEdit*>(u"theRichTextBox"_s)->geometry();
        caption = window.findChild<QLabel*>(u"theCaption"_s)->geometry();
        window.resize(10, 10);
        QApplication::processEvents();
        least = window.size();
        window.done(QDialog::Rejected);
    });
    window.Execute(QString(), QString(), 1, QString(), QString(), QString(), QString());
    EXPECT_EQ(close, QRect(450, 529, 101, 33));
    EXPECT_EQ(log.left(), 10);
    EXPECT_EQ(log.width(), 541);
    EXPECT_EQ(log.top(), caption.bottom() + 1 + 10);
    EXPECT_EQ(close.top() - (log.bottom() + 1), 10);
    EXPECT_LE(std::abs(caption.left() - (561 - caption.width()) / 2), 1);
    EXPECT_EQ(least, QSize(caption.width() + 20, 2 * (caption.height() + 33) + 40));
}

} // namespace
