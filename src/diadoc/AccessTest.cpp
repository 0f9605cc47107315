#include "AccessTest.h"

#include "GuardedCall.h"
#include "core/Clock.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/DiadocClientFactory.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;
using namespace platform::diadoc;

namespace diadoc {

namespace {

constexpr AccessTest::Kind kSuccess = AccessTest::Kind::Success;

QString quoted(const QString& text)
{
    return u'"' + text + u"\"."_s;
}

// A Boolean answer of the library; an empty or null value counts as False.
bool isTrue(const Variant& value)
{
    return !value.isEmpty() && !value.isNull() && value.toBool();
}

// Hands the lines to the sink: a step that went on is a plain step line unless told otherwise,
// one that did not go on a failure line.
class Log final
{
public:
    explicit Log(const AccessTest::Sink& sink)
        : m_sink(sink)
    {
    }
    void operator()(const QString& text, bool success) const
    {
        m_sink({text, success ? AccessTest::Kind::Step : AccessTest::Kind::Failure});
    }
    void operator()(const QString& text, AccessTest::Kind kind) const { m_sink({text, kind}); }
    // The second line after a failed guarded call.
    void told(const QString& errorText) const { (*this)(u"Получено сообщение: "_s + quoted(errorText), false); }

private:
    const AccessTest::Sink& m_sink;
};

} // namespace

AccessTest::AccessTest(DiadocClientFactory& factory, const core::Clock& clock)
    : m_factory(factory)
    , m_clock(clock)
{
}

void AccessTest::run(const Arguments& a, const Sink& sink) const
{
    const Log add(sink);
    const auto told = [&add](const QString& errorText) { add.told(errorText); };
    QString errorText;

    add(m_clock.currentDateTime().toString(u"yyyy.MM.dd hh:mm:ss"_s), true);

    add(u"Проверка наличия на компьютере библиотеки Диадок API."_s, true);
    const auto client = guarded(errorText, [&] { return m_factory.create(); });
    if (!client) {
        QString text = u"На компьютере не установлена (или установлена некорректно) библиотека Диадок API."_s;
        if (!errorText.isEmpty())
            text += u"\r\nПри попытке создать объект Диадок API, получено сообщение:\r\n"_s + quoted(errorText);
        add(text, false);
    } else {
        add(u"На компьютере установлена библиотека Диадок API версии "_s + client->GetFullVersion() + u'.', kSuccess);
    }

    add(u"\r\nУстановка тестового соединения с сервером Диадок."_s, true);
    if (a.keyDiadocAPI.isEmpty()) {
        add(u"Не указан Ключ Диадок API.\r\n"
            u"Для проверки необходимо указать Ключ Диадок API в окне \"Авторизация в Диадок\"."_s,
            false);
    } else if (client) {
        client->setApiClientId(mDiadoc::VisualKeyToKeyDiadocAPI(a.keyDiadocAPI));
        client->setServerUrl(a.diadocServerURL.isEmpty() ? QString::fromUtf16(mDiadoc::kDefaultServerUrl)
                                                         : a.diadocServerURL);
        add(u"Используется ключ Диадок API "_s + quoted(a.keyDiadocAPI), true);
        add(u"Используется URL сервера Диадок "_s + quoted(client->ServerUrl()), true);
        const auto probe = client->TestConnection2();
        if (!probe) {
            add(u"DiadocAPI.TestConnection2() вернул пустой объект (Nothing)"_s, false);
        } else if (!isTrue(probe->ConnectionSuccess())) {
            add(u"Тестовое соединение с сервером Диадок завершилось неудачей."_s, false);
            add(u"Получено сообщение: "_s + quoted(probe->ErrorText()), false);
        } else {
            add(u"Тестовое соединение с сервером Диадок установлено успешно."_s, kSuccess);
        }
    }

    std::shared_ptr<DiadocConnection> connection;
    if (client) {
        add(u"\r\nУстановка рабочего соединения с сервером Диадок (авторизация)."_s, true);
        const QString failed = u"Установка рабочего соединения с сервером Диадок (авторизация) не удалась."_s;
        if (a.authorizationType == 2) {
            add(u"Выбрана авторизация по сертификату."_s, true);
            if (a.certificateThumbprint.isEmpty()) {
                add(u"Не выбран сертификат.\r\nДля дальнейшей проверки необходимо выбрать сертификат в окне "
                    u"\"Авторизация в Диадок\" или авторизацию по логину и паролю на закладке \"Авторизация\"."_s,
                    false);
            } else {
                add(u"Используется сертификат с отпечатком"_s + quoted(a.certificateThumbprint), true);
                add(u"Запрашиваем данные сертификата."_s, true);
                const auto certificates = guarded(errorText, [&] { return client->GetPersonalCertificates(); });
                if (!certificates) {
                    add(u"Запрос сертификатов не вернул сертификатов."_s, false);
                    told(errorText);
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
                        add(u"Не найлен сертификат с указанным отпечатком."_s, false);
                    } else {
                        add(u"Сертификат: "_s + mDiadoc::GetNameCertificate(found), kSuccess);
                        connection = guarded(
                            errorText, [&] { return client->CreateConnectionByCertificate(a.certificateThumbprint); });
                        if (!connection) {
                            add(failed, false);
                            told(errorText);
                        } else {
                            add(u"Рабочее соединение пользователя с сервером Диадок (авторизация) установлено успешно."_s,
                                kSuccess);
                        }
                    }
                }
            }
        } else {
            add(u"Выбрана авторизация по логину и паролю."_s, true);
            if (a.login.isEmpty()) {
                add(u"Не указан логин.\r\nДля дальнейшей проверки необходимо указать логин в окне "
                    u"\"Авторизация в Диадок\" на закладке \"Авторизация\"."_s,
                    false);
            } else {
                // The password is never written to the log.
                add(u"Используется логин "_s + quoted(a.login), true);
                connection = guarded(errorText, [&] { return client->CreateConnectionByLogin(a.login, a.password); });
                if (!connection) {
                    add(failed, false);
                    told(errorText);
                } else {
                    add(u"Рабочее соединение пользователя с сервером Диадок (авторизация) прошло успешно."_s, kSuccess);
                }
            }
        }
    }

    if (connection)
        testOrganisation(*connection, a, sink);

    add(u"\r\nПроверки завершены."_s, true);
}

void AccessTest::testOrganisation(DiadocConnection& connection, const Arguments& a, const Sink& sink)
{
    const Log add(sink);
    const auto told = [&add](const QString& errorText) { add.told(errorText); };
    QString errorText;

    add(u"\r\nЗапрос списка организаций, к которым пользователь имеет доступ."_s, true);
    const auto organizations = guarded(errorText, [&] { return connection.GetOrganizationList(); });
    if (!organizations) {
        add(u"Не удалось получить список организаций."_s, false);
        told(errorText);
        return;
    }
    const int organizationCount = organizations->Count();
    if (organizationCount <= 0) {
        add(u"Количество организаций в списке: "_s + QString::number(organizationCount) + u'.', false);
        return;
    }
    // "Сприсок" is the program's own spelling.
    add(u"Сприсок организаций получен. Количество организаций в списке: "_s + QString::number(organizationCount) + u'.',
        kSuccess);
    if (a.inn.isEmpty())
        return;

    add(u"\r\nПоиск организации с ИНН "_s + a.inn + u" в полученном списке организаций пользователя."_s, true);
    std::shared_ptr<DiadocOrganization> organization;
    for (int i = 0; i < organizationCount && !organization; ++i) {
        const auto candidate = organizations->itemAs<DiadocOrganization>(i);
        if (candidate && candidate->Inn() == a.inn)
            organization = candidate;
    }
    if (!organization) {
        add(u"В списке доступных организаций, организации с ИНН "_s + a.inn + u" не найдено."_s, false);
        return;
    }
    add(u"Организация найдена. Название организации: "_s + organization->Name() + u'.', kSuccess);

    add(u"\r\nЗапрос списка типов документов, доступных организации с ИНН "_s + a.inn + u'.', true);
    const auto types = guarded(errorText, [&] { return organization->GetDocumentTypes(); });
    if (!types) {
        add(u"Не удалось получить список типов документов."_s, false);
        told(errorText);
        return;
    }
    const int typeCount = types->Count();
    if (typeCount <= 0) {
        add(u"Количество типов документов: "_s + QString::number(typeCount) + u'.', false);
        return;
    }
    add(u"Сприсок типов документов получен. Количество типов документов: "_s + QString::number(typeCount) + u'.',
        kSuccess);

    add(u"\r\nСоздание объекта для поиска документов в ящике организации."_s, true);
    const auto task = guarded(errorText, [&] { return organization->GetDocumentsTask(); });
    if (!task) {
        add(u"Не удалось получить объект для поиска документов в ящике."_s, false);
        told(errorText);
        return;
    }
    add(u"Объект для поиска документов в ящике получен успешно."_s, kSuccess);

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
        add(u"\r\n"_s + trial.heading, true);
        task->setTop100(true);
        task->setCategory(trial.category);
        task->setExcludeSubdepartments(true);
        auto documents = guarded(errorText, [&] { return task->GetDocuments(); });
        if (!documents) {
            add(trial.failure, false);
            told(errorText);
            return;
        }
        add(trial.success + QString::number(documents->Count()) + u" элементов."_s, kSuccess);
        documents.reset();
    }
}

} // namespace diadoc
