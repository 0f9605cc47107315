#include "frmChecks.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

#include "ChecksLayout.h"
#include "TwipsLayout.h"
#include "base/Error.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/widgets/OleColor.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/DiadocClientFactory.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;
namespace layout = dialogs::checks_layout;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmChecks";

// A call into the client library with its error caught: the error text takes the error's
// message (empty when there was none) and the result is empty when the call failed.
template <typename Call> auto guarded(QString& errorText, Call&& call) -> decltype(call())
{
    try {
        auto result = call();
        errorText.clear();
        return result;
    } catch (...) {
        errorText = core::currentError().description();
        return {};
    }
}

QString quoted(const QString& text)
{
    return u'"' + text + u"\"."_s;
}

// A Boolean answer of the library; an empty or null value counts as False.
bool isTrue(const Variant& value)
{
    return !value.isEmpty() && !value.isNull() && value.toBool();
}

} // namespace

frmChecks::frmChecks(core::UiServices& ui, DiadocClientFactory& factory, const core::Clock& clock, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_factory(factory)
    , m_clock(clock)
{
    setObjectName(u"frmChecks"_s);
    theCaption = new QLabel(u"Проверка (тест) доступа к Диадок"_s, this);
    theCaption->setObjectName(u"theCaption"_s);
    QFont captionFont = theCaption->font();
    captionFont.setBold(true);
    captionFont.setPointSize(12);
    theCaption->setFont(captionFont);
    theCaption->setAlignment(Qt::AlignCenter);
    theRichTextBox = new QTextEdit(this);
    theRichTextBox->setObjectName(u"theRichTextBox"_s);
    theRichTextBox->setReadOnly(true);
    theRichTextBox->setLineWrapMode(QTextEdit::WidgetWidth);
    theClose = new QPushButton(u"Закрыть"_s, this);
    theClose->setObjectName(u"theClose"_s);
    theClose->setAutoDefault(false);
    theStartingTimer.setObjectName(u"theStartingTimer"_s);
    theStartingTimer.setSingleShot(true);

    layout::Places design;
    // The title sizes itself to its text.
    const QSize captionSize = theCaption->sizeHint();
    design.caption.width = pixelsToTwips(captionSize.width());
    design.caption.height = pixelsToTwips(captionSize.height());
    auto* windowLayout = new TwipsLayout(this, QSize(layout::kDesignInnerWidth, layout::kDesignInnerHeight));
    windowLayout->add(theCaption, design.caption);
    windowLayout->add(theClose, design.close);
    windowLayout->add(theRichTextBox, design.richTextBox);
    windowLayout->setRules([](int innerWidth, int innerHeight, QList<TwipsRect>& places) {
        layout::Places p{places[0], places[1], places[2]};
        layout::layout(p, innerWidth, innerHeight);
        places = {p.caption, p.close, p.richTextBox};
    });
    windowLayout->setMinimum([windowLayout] {
        return layout::minimumInner({windowLayout->placeAt(0), windowLayout->placeAt(1), windowLayout->placeAt(2)});
    });

    connect(theClose, &QPushButton::clicked, this, [this] { theClose_Click(); });
    connect(&theStartingTimer, &QTimer::timeout, this, [this] { theStartingTimer_Timer(); });
}

bool frmChecks::Execute(const QString& aKeyDiadocAPI, const QString& aDiadocServerURL, int aAuthorizationType,
                        const QString& aLogin, const QString& aPassword, const QString& aCertificateThumbprint,
                        const QString& aINN)
{
    try {
        setWindowTitle(QString::fromUtf16(core::kApplicationTitle) + u" Проверка"_s);
        m_arguments = {aKeyDiadocAPI, aDiadocServerURL, aAuthorizationType, aLogin, aPassword, aCertificateThumbprint,
                       aINN};
        Form_Load();
        exec();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"Execute");
    }
    return true;
}

void frmChecks::Form_Load()
{
    resize(twipsToPixels(layout::kDesignInnerWidth), twipsToPixels(layout::kDesignInnerHeight));
    theStartingTimer.setInterval(100);
    m_timerEnabled = true;
    theStartingTimer.start();
}

void frmChecks::theStartingTimer_Timer()
{
    if (!m_timerEnabled)
        return;
    m_timerEnabled = false;
    theStartingTimer.stop();
    DoTest();
}

void frmChecks::theClose_Click()
{
    try {
        close();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theClose_Click");
    }
}

void frmChecks::closeEvent(QCloseEvent* event)
{
    // The test's calls block and let the window process its messages meanwhile: closing it then
    // would pull the window from under the running test.
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmChecks::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmChecks::DoTest()
{
    m_running = true;
    try {
        runSteps();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"DoTest");
    }
    // However the test ended, the window can be closed again.
    m_running = false;
    theClose->setEnabled(true);
}

void frmChecks::LogAdd(const QString& text, bool success, std::optional<quint32> color, bool bold)
{
    try {
        QTextCharFormat format;
        const quint32 ole = color.value_or(success ? kColorBlack : kColorDarkRed);
        format.setForeground(core::colorFromOle(ole, palette()));
        format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        QTextCursor cursor(theRichTextBox->document());
        cursor.movePosition(QTextCursor::End);
        QString lines = text + u"\r\n"_s;
        lines.replace(u"\r\n"_s, u"\n"_s);
        cursor.insertText(lines, format);
        theRichTextBox->setTextCursor(cursor);
        theRichTextBox->ensureCursorVisible();
        m_ui.processEvents();
    } catch (...) {
        core::PropagateError(kModule, u"LogAdd");
    }
}

void frmChecks::logMessage(const QString& errorText)
{
    LogAdd(u"Получено сообщение: "_s + quoted(errorText), false);
}

void frmChecks::runSteps()
{
    const Arguments& a = m_arguments;
    QString errorText;

    theClose->setEnabled(false);
    theRichTextBox->clear();
    LogAdd(m_clock.currentDateTime().toString(u"yyyy.MM.dd hh:mm:ss"_s), true);

    LogAdd(u"Проверка наличия на компьютере библиотеки Диадок API."_s, true);
    const auto client = guarded(errorText, [&] { return m_factory.create(); });
    if (!client) {
        QString text = u"На компьютере не установлена (или установлена некорректно) библиотека Диадок API."_s;
        if (!errorText.isEmpty())
            text += u"\r\nПри попытке создать объект Диадок API, получено сообщение:\r\n"_s + quoted(errorText);
        LogAdd(text, false);
    } else {
        LogAdd(u"На компьютере установлена библиотека Диадок API версии "_s + client->GetFullVersion() + u'.', true,
               kColorGreen);
    }

    LogAdd(u"\r\nУстановка тестового соединения с сервером Диадок."_s, true);
    if (a.keyDiadocAPI.isEmpty()) {
        LogAdd(u"Не указан Ключ Диадок API.\r\n"
               u"Для проверки необходимо указать Ключ Диадок API в окне \"Авторизация в Диадок\"."_s,
               false);
    } else if (client) {
        client->setApiClientId(diadoc::mDiadoc::VisualKeyToKeyDiadocAPI(a.keyDiadocAPI));
        client->setServerUrl(a.diadocServerURL.isEmpty() ? QString::fromUtf16(diadoc::mDiadoc::kDefaultServerUrl)
                                                         : a.diadocServerURL);
        LogAdd(u"Используется ключ Диадок API "_s + quoted(a.keyDiadocAPI), true);
        LogAdd(u"Используется URL сервера Диадок "_s + quoted(client->ServerUrl()), true);
        const auto probe = client->TestConnection2();
        if (!probe) {
            LogAdd(u"DiadocAPI.TestConnection2() вернул пустой объект (Nothing)"_s, false);
        } else if (!isTrue(probe->ConnectionSuccess())) {
            LogAdd(u"Тестовое соединение с сервером Диадок завершилось неудачей."_s, false);
            LogAdd(u"Получено сообщение: "_s + quoted(probe->ErrorText()), false);
        } else {
            LogAdd(u"Тестовое соединение с сервером Диадок установлено успешно."_s, true, kColorGreen);
        }
    }

    std::shared_ptr<DiadocConnection> connection;
    if (client) {
        LogAdd(u"\r\nУстановка рабочего соединения с сервером Диадок (авторизация)."_s, true);
        const QString failed = u"Установка рабочего соединения с сервером Диадок (авторизация) не удалась."_s;
        if (a.authorizationType == 2) {
            LogAdd(u"Выбрана авторизация по сертификату."_s, true);
            if (a.certificateThumbprint.isEmpty()) {
                LogAdd(u"Не выбран сертификат.\r\nДля дальнейшей проверки необходимо выбрать сертификат в окне "
                       u"\"Авторизация в Диадок\" или авторизацию по логину и паролю на закладке \"Авторизация\"."_s,
                       false);
            } else {
                LogAdd(u"Используется сертификат с отпечатком"_s + quoted(a.certificateThumbprint), true);
                LogAdd(u"Запрашиваем данные сертификата."_s, true);
                const auto certificates = guarded(errorText, [&] { return client->GetPersonalCertificates(); });
                if (!certificates) {
                    LogAdd(u"Запрос сертификатов не вернул сертификатов."_s, false);
                    logMessage(errorText);
                } else {
                    std::shared_ptr<DiadocCertificate> found;
                    const int count = certificates->Count();
                    for (int i = 0; i < count && !found; ++i) {
                        const auto certificate = certificates->itemAs<DiadocCertificate>(i);
                        if (certificate && certificate->Thumbprint() == a.certificateThumbprint)
                            found = certificate;
                    }
                    if (!found) {
                        // The misspelling is the program's own text.
                        LogAdd(u"Не найлен сертификат с указанным отпечатком."_s, false);
                    } else {
                        LogAdd(u"Сертификат: "_s + diadoc::mDiadoc::GetNameCertificate(found), true, kColorGreen);
                        connection = guarded(
                            errorText, [&] { return client->CreateConnectionByCertificate(a.certificateThumbprint); });
                        if (!connection) {
                            LogAdd(failed, false);
                            logMessage(errorText);
                        } else {
                            LogAdd(
                                u"Рабочее соединение пользователя с сервером Диадок (авторизация) установлено успешно."_s,
                                true, kColorGreen);
                        }
                    }
                }
            }
        } else {
            LogAdd(u"Выбрана авторизация по логину и паролю."_s, true);
            if (a.login.isEmpty()) {
                LogAdd(u"Не указан логин.\r\nДля дальнейшей проверки необходимо указать логин в окне "
                       u"\"Авторизация в Диадок\" на закладке \"Авторизация\"."_s,
                       false);
            } else {
                // The password is never written to the log.
                LogAdd(u"Используется логин "_s + quoted(a.login), true);
                connection = guarded(errorText, [&] { return client->CreateConnectionByLogin(a.login, a.password); });
                if (!connection) {
                    LogAdd(failed, false);
                    logMessage(errorText);
                } else {
                    LogAdd(u"Рабочее соединение пользователя с сервером Диадок (авторизация) прошло успешно."_s, true,
                           kColorGreen);
                }
            }
        }
    }

    if (connection)
        testOrganisation(*connection);

    LogAdd(u"\r\nПроверки завершены."_s, true);
}

void frmChecks::testOrganisation(DiadocConnection& connection)
{
    const Arguments& a = m_arguments;
    QString errorText;

    LogAdd(u"\r\nЗапрос списка организаций, к которым пользователь имеет доступ."_s, true);
    const auto organizations = guarded(errorText, [&] { return connection.GetOrganizationList(); });
    if (!organizations) {
        LogAdd(u"Не удалось получить список организаций."_s, false);
        logMessage(errorText);
        return;
    }
    const int organizationCount = organizations->Count();
    if (organizationCount <= 0) {
        LogAdd(u"Количество организаций в списке: "_s + QString::number(organizationCount) + u'.', false);
        return;
    }
    // "Сприсок" is the program's own spelling.
    LogAdd(u"Сприсок организаций получен. Количество организаций в списке: "_s + QString::number(organizationCount)
               + u'.',
           true, kColorGreen);
    if (a.inn.isEmpty())
        return;

    LogAdd(u"\r\nПоиск организации с ИНН "_s + a.inn + u" в полученном списке организаций пользователя."_s, true);
    std::shared_ptr<DiadocOrganization> organization;
    for (int i = 0; i < organizationCount && !organization; ++i) {
        const auto candidate = organizations->itemAs<DiadocOrganization>(i);
        if (candidate && candidate->Inn() == a.inn)
            organization = candidate;
    }
    if (!organization) {
        LogAdd(u"В списке доступных организаций, организации с ИНН "_s + a.inn + u" не найдено."_s, false);
        return;
    }
    LogAdd(u"Организация найдена. Название организации: "_s + organization->Name() + u'.', true, kColorGreen);

    LogAdd(u"\r\nЗапрос списка типов документов, доступных организации с ИНН "_s + a.inn + u'.', true);
    const auto types = guarded(errorText, [&] { return organization->GetDocumentTypes(); });
    if (!types) {
        LogAdd(u"Не удалось получить список типов документов."_s, false);
        logMessage(errorText);
        return;
    }
    const int typeCount = types->Count();
    if (typeCount <= 0) {
        LogAdd(u"Количество типов документов: "_s + QString::number(typeCount) + u'.', false);
        return;
    }
    LogAdd(u"Сприсок типов документов получен. Количество типов документов: "_s + QString::number(typeCount) + u'.',
           true, kColorGreen);

    LogAdd(u"\r\nСоздание объекта для поиска документов в ящике организации."_s, true);
    const auto task = guarded(errorText, [&] { return organization->GetDocumentsTask(); });
    if (!task) {
        LogAdd(u"Не удалось получить объект для поиска документов в ящике."_s, false);
        logMessage(errorText);
        return;
    }
    LogAdd(u"Объект для поиска документов в ящике получен успешно."_s, true, kColorGreen);

    struct Trial
    {
        QString heading;
        QString category;
        QString failure;
        QString success;
    };
    const Trial trials[] = {
        {u"Пробный запрос списка входящих документов."_s, u"Any.Inbound"_s,
         u"Не удалось получить пробный список входящих документов."_s,
         u"Запрос пробного списка входящих документов вернул "_s},
        {u"Пробный запрос списка исходящих документов."_s, u"Any.Outbound"_s,
         u"Не удалось получить пробный список исходящих документов."_s,
         u"Запрос пробного списка исходящих документов вернул "_s},
    };
    for (const Trial& trial : trials) {
        LogAdd(u"\r\n"_s + trial.heading, true);
        task->setTop100(true);
        task->setCategory(trial.category);
        task->setExcludeSubdepartments(true);
        auto documents = guarded(errorText, [&] { return task->GetDocuments(); });
        if (!documents) {
            LogAdd(trial.failure, false);
            logMessage(errorText);
            return;
        }
        LogAdd(trial.success + QString::number(documents->Count()) + u" элементов."_s, true, kColorGreen);
        documents.reset();
    }
}

} // namespace dialogs
