// Builds the folder of a document from arbitrary bytes: a folder pattern, the options that shape
// names, and every text of the document, its organisation and its counterparty. For every level
// of the path it checks that a file system takes it: at most 255 bytes of UTF-8, no "/", "\" or
// NUL, not "." or "..", never empty, and that the folder stays below the unload folder. The name
// cleaning operations are checked on the same texts.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/UiServices.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/FakeDiadoc.h"
#include "diadoc/PersonRecord.h"
#include "engine/FolderLayout.h"
#include "engine/NameCleaning.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/GlobalUtility.h"
#include "platform/family/SplashWindow.h"
#include "platform/registry/JsonRegistry.h"

using namespace Qt::StringLiterals;
using engine::NameCleaning;
using platform::diadoc::Variant;

namespace {

// Every element the pattern knows, a few it does not, and the delimiters.
const std::array<QString, 20> kElements = {
    u"ИНН организации"_s,
    u"ИНН-КПП организации"_s,
    u"Наименование организации"_s,
    u"Отдел/подразделение организации"_s,
    u"ИНН контрагента"_s,
    u"ИНН-КПП контрагента"_s,
    u"Наименование контрагента"_s,
    u"Тип документа"_s,
    u"Входящие/Исходящие/Внутренние"_s,
    u"Год"_s,
    u"Квартал"_s,
    u"Месяц"_s,
    u"Документ"_s,
    u"[Пакет\\]Документ"_s,
    u"-"_s,
    u"_"_s,
    u" "_s,
    u"\\"_s,
    u"\\"_s,
    u"год"_s,
};

// Characters beyond ASCII that names are made of or that break them.
const std::array<char16_t, 16> kSpecial = {u'\u00AB', u'\u00BB', u'\uFFFE', u'\uFFFF', u'\u200B', u'\u2028',
                                           u'\uFEFF', u'\u0085', u'\u00A0', u'\u2026', u'\u0301', u'\u0419',
                                           u'\u0306', u'\u202E', u'\u2215', u'\uFF0F'};

[[noreturn]] void fault(const QString& what, const QString& text)
{
    std::fprintf(stderr, "folder path fuzz: %s: \"%s\"\n", what.toUtf8().constData(), text.toUtf8().constData());
    std::abort();
}

// Reads the input as a stream of small decisions; past its end every decision is 0.
class Input final
{
public:
    Input(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    int byte() { return m_position < m_size ? m_data[m_position++] : 0; }
    bool atEnd() const { return m_position >= m_size; }

    // A text up to the byte 0xFF: ASCII (control characters, "/", "\", "." and NUL among them),
    // Cyrillic, combining marks, lone and paired surrogates and other odd characters; 0xFE
    // repeats the last character 60 times, so that long names take few bytes.
    QString text()
    {
        QString result;
        while (!atEnd()) {
            const int b = byte();
            if (b == 0xFF)
                break;
            if (b == 0xFE) {
                if (!result.isEmpty())
                    result += QString(60, result.back());
            } else if (b < 0x80) {
                result += QChar(char16_t(b));
            } else if (b < 0xC0) {
                result += QChar(char16_t(0x0410 + b - 0x80)); // А to я
            } else if (b < 0xC8) {
                result += QChar(char16_t(0xD800 + b - 0xC0)); // a lone high surrogate
            } else if (b < 0xD0) {
                result += QChar(char16_t(0xDC00 + b - 0xC8)); // a lone low surrogate
            } else if (b < 0xE0) {
                result += QChar(char16_t(0xD83D));
                result += QChar(char16_t(0xDE00 + b - 0xD0)); // an emoji
            } else {
                result += QChar(kSpecial[static_cast<std::size_t>(b - 0xE0) % kSpecial.size()]);
            }
        }
        return result;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

// Nothing is ever shown: the cases run without a screen.
class SilentUi final : public core::UiServices
{
public:
    bool isUnattended() const override { return true; }
    int msgBox(const QString&, int, const QString&) override { return 0; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    core::MousePointer mousePointer() const override { return {}; }
    void setMousePointer(core::MousePointer) override {}
    void processEvents() override {}
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return nullptr; }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return nullptr; }
};

class Box final : public platform::diadoc::DiadocOrganization
{
public:
    QString Inn() const override { return inn; }
    QString Kpp() const override { return kpp; }
    QString Name() const override { return name; }
    QString Guid() const override { return {}; }
    std::shared_ptr<platform::diadoc::DiadocList> Departments() const override
    {
        return std::make_shared<platform::diadoc::SandboxList>();
    }
    std::shared_ptr<platform::diadoc::DiadocList> GetDocumentTypes() override
    {
        return std::make_shared<platform::diadoc::SandboxList>();
    }
    std::shared_ptr<platform::diadoc::DiadocDocumentsTask> GetDocumentsTask() override { return nullptr; }
    QString inn, kpp, name;
};

template <typename T> Variant object(std::shared_ptr<T> value)
{
    return Variant(std::static_pointer_cast<platform::diadoc::Object>(std::move(value)));
}

// A settings store in a folder of its own, with documents grouped into packages or not.
struct Settings
{
    explicit Settings(bool grouping)
    {
        if (!folder.isValid())
            std::abort();
        options.Set_GroupIntoPackages(grouping ? 1 : 0);
    }

    QTemporaryDir folder;
    platform::registry::JsonRegistry registry{folder.path()};
    platform::family::GlobalUtility utility{registry};
    core::mFetchlingOptions options{utility};
};

// What one run of the target keeps between inputs: a store for each grouping (a store writes its
// file on every change) and the unload folder.
struct Fixture
{
    Fixture()
    {
        if (!unloadFolder.isValid())
            std::abort();
    }

    Settings plain{false};
    Settings grouped{true};
    QTemporaryDir unloadFolder;
    SilentUi ui;
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

void checkName(const QString& name, const QString& what)
{
    if (name.toUtf8().size() > NameCleaning::kMaxNameBytes)
        fault(what + u": longer than 255 bytes"_s, name);
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        fault(what + u": holds \"/\", \"\\\" or NUL"_s, name);
}

void checkCleaning(const NameCleaning& cleaning, const QString& text, const QString& suffix)
{
    checkName(NameCleaning::TrimNegligible(text), u"TrimNegligible"_s);
    checkName(NameCleaning::TrimNegligible(cleaning.ExcludeNegligible(text)), u"ExcludeNegligible"_s);
    checkName(NameCleaning::closeLevel(NameCleaning::cleanElement(text)), u"cleanElement"_s);
    const QString fitted = NameCleaning::fitFolderName(NameCleaning::TrimNegligible(text), suffix);
    checkName(fitted, u"fitFolderName"_s);
    if (NameCleaning::utf8Size(suffix) < NameCleaning::kMaxNameBytes && !fitted.endsWith(suffix))
        fault(u"fitFolderName lost the suffix"_s, fitted);
}

void checkPath(const QString& base, const QString& path)
{
    // The empty path is the unload folder itself.
    if (path.isEmpty())
        return;
    if (path.startsWith(u'/'))
        fault(u"the path starts at the root"_s, path);
    QStringList levels = path.split(u'/');
    if (path.endsWith(u'/'))
        levels.removeLast();
    for (const QString& level : std::as_const(levels)) {
        checkName(level, u"a level"_s);
        if (level.isEmpty() || level == u"."_s || level == u".."_s)
            fault(u"an empty, \".\" or \"..\" level"_s, path);
    }
    const QString folder = QDir::cleanPath(base + u'/' + path);
    if (folder != base && !folder.startsWith(base + u'/'))
        fault(u"the folder leaves the unload folder"_s, path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fixture& f = fixture();
    Input input(data, size);

    const int flags = input.byte();
    const int maxLength = 1 + (input.byte() * 256 + input.byte()) % 999;
    QStringList pattern;
    for (int count = input.byte() % 16; count > 0; --count)
        pattern.append(kElements[static_cast<std::size_t>(input.byte()) % kElements.size()]);

    auto box = std::make_shared<Box>();
    box->name = input.text();
    box->inn = input.text();
    box->kpp = input.text();
    auto doc = std::make_shared<fakediadoc::FakeDocument>();
    doc->title = input.text();
    doc->documentId = input.text();
    doc->packageId = input.text();
    doc->organizationId = u"box"_s;
    doc->typeNamedId = u"Nonformalized"_s;
    doc->organization = object(box);
    const QString departmentName = input.text();
    if ((flags & 4) != 0)
        doc->department = object(std::make_shared<fakediadoc::FakeDepartment>(u"dep"_s, departmentName));
    const QString partyInn = input.text();
    const QString partyKpp = input.text();
    const QString partyName = input.text();
    if ((flags & 8) != 0)
        doc->counteragent = object(std::make_shared<fakediadoc::FakeParty>(partyInn, partyKpp, partyName));
    QList<std::shared_ptr<fakediadoc::FakeDocument>> members;
    for (int count = (flags >> 4) % 4; count > 0; --count)
        members.append(std::make_shared<fakediadoc::FakeDocument>());
    doc->package->documents = platform::diadoc::SandboxList::of(members);

    Variant folderDate;
    if ((flags & 64) != 0) {
        const int days = input.byte() * 256 + input.byte();
        folderDate = Variant(QDateTime(QDate(1900, 1, 1).addDays(days * 3), QTime(0, 0)));
    }

    diadoc::AsyncTskRecord record;
    record.KeyОрганизацииВКоллекции = u"org"_s;
    record.CategoryClass = (flags & 128) != 0 ? u"Outbound"_s : u"Inbound"_s;
    engine::PersonsCollection persons;
    auto person = std::make_shared<diadoc::PersonRecord>(f.ui);
    person->DiadocOrganization = std::make_shared<fakediadoc::FakeOrganization>();
    persons.Add(person, u"org"_s);

    const QString base = QDir::cleanPath(f.unloadFolder.path());
    const Settings& settings = (flags & 2) != 0 ? f.grouped : f.plain;
    engine::FolderLayout layout(settings.options);
    layout.setPersons(&persons);
    layout.setUnloadFolder(base + u'/');
    layout.startRun(maxLength, (flags & 1) != 0);
    layout.setPattern(pattern.join(u'?'));
    checkPath(base, layout.MoldPath(record, *doc, folderDate));

    const NameCleaning cleaning(settings.utility);
    for (const QString& text : {box->name, doc->title, departmentName, partyName, doc->documentId})
        checkCleaning(cleaning, text, u" ~"_s + NameCleaning::cleanElement(doc->documentId.right(4)));
    return 0;
}
