// The structured settings of mFetchlingOptions: the folder structure pattern's parts, the fixed
// word lists, the exclusion table, the document-type switches and the organisation ticks.
#include <QSet>

#include "DocTypesProvider.h"
#include "VbText.h"
#include "mErrorHandling.h"
#include "mFetchlingOptions.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr char16_t kModule[] = u"mFetchlingOptions";
constexpr char16_t kAnyFolder[] = u"Все";

QString numbered(QStringView name, int number)
{
    return name.toString() + QString::number(number);
}

} // namespace

QStringList mFetchlingOptions::Get_StructureElements(bool withPackages)
{
    return {
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
        withPackages ? u"[Пакет\\]Документ"_s : u"Документ"_s,
    };
}

QStringList mFetchlingOptions::Get_StructureDelimiters()
{
    return {u"\\"_s, u"-"_s, u"_"_s, u" "_s};
}

QStringList mFetchlingOptions::Get_LegalForms()
{
    return {u"ОАО"_s, u"ООО"_s, u"ЗАО"_s, u"ПАО"_s, u"АО"_s};
}

QStringList mFetchlingOptions::Get_LegalFormsInBrackets()
{
    return {u"(ОАО)"_s, u"(ООО)"_s, u"(ЗАО)"_s, u"(ПАО)"_s, u"(АО)"_s};
}

mFetchlingOptions::DocNamesExclude mFetchlingOptions::Get_DocNamesExclude(bool upperCase) const
{
    try {
        const QString key = QString::fromUtf16(kDocNamesExcludeKey);
        DocNamesExclude table = GetDefault_DocNamesExclude();
        for (int i = 1;; ++i) {
            QString name = m_utility.RegistryGetString(key, numbered(u"Name", i), QString());
            if (name.isEmpty())
                return table;
            if (upperCase)
                name = name.toUpper();
            const QString folder =
                m_utility.RegistryGetString(key, numbered(u"Folder", i), QString::fromUtf16(kAnyFolder));
            table.append({false, name, folder});
        }
    } catch (...) {
        PropagateError(kModule, u"Get_DocNamesExclude");
    }
}

mFetchlingOptions::DocNamesExclude mFetchlingOptions::Set_DocNamesExclude(const DocNamesExclude& table)
{
    try {
        const QString key = QString::fromUtf16(kDocNamesExcludeKey);
        DocNamesExclude previous = Get_DocNamesExclude(false);
        int n = 1;
        for (const DocNameExclude& row : table) {
            const QString name = Trim(row.Name);
            if (row.Remove || name.isEmpty())
                continue;
            m_utility.RegistrySetValue(key, numbered(u"Folder", n), Trim(row.Folder));
            m_utility.RegistrySetValue(key, numbered(u"Name", n), name);
            ++n;
        }
        // The stored table ends at the first empty title; rows beyond it stay unread.
        if (!m_utility.RegistryGetString(key, numbered(u"Name", n), QString()).isEmpty())
            m_utility.RegistrySetValue(key, numbered(u"Name", n), QString());
        return previous;
    } catch (...) {
        PropagateError(kModule, u"Set_DocNamesExclude");
    }
}

bool mFetchlingOptions::Get_DocType(const QString& typeKey) const
{
    try {
        return m_utility.RegistryGetLong(QString::fromUtf16(kDocTypesKey), typeKey, 0) != 0;
    } catch (...) {
        PropagateError(kModule, u"Get_DocType");
    }
}

bool mFetchlingOptions::Set_DocType(const QString& typeKey, bool on)
{
    try {
        const QString key = QString::fromUtf16(kDocTypesKey);
        const bool previous = m_utility.RegistryGetLong(key, typeKey, 0) == 1;
        m_utility.RegistrySetValue(key, typeKey, on ? 1 : 0);
        return previous;
    } catch (...) {
        PropagateError(kModule, u"Set_DocType");
    }
}

QList<KeyAndName> mFetchlingOptions::Get_DocTypes(const QList<DocTypesProvider*>& persons, bool selective) const
{
    try {
        QList<KeyAndName> types;
        QSet<QString> keys; // keys compare without regard to case
        for (DocTypesProvider* person : persons) {
            if (person == nullptr)
                continue;
            const auto collection = person->CollectionDocumentTypes();
            if (!collection)
                continue;
            for (const KeyAndName& type : *collection) {
                if (selective && !Get_DocType(type.Key))
                    continue;
                const QString folded = type.Key.toCaseFolded();
                if (keys.contains(folded))
                    continue; // the first organisation's item stays
                keys.insert(folded);
                types.append(type);
            }
        }
        return types;
    } catch (...) {
        PropagateError(kModule, u"Get_DocTypes");
    }
}

int mFetchlingOptions::Get_OrgChecked(const QString& nodeKey) const
{
    try {
        const int value = m_utility.RegistryGetLongVar(QString::fromUtf16(kOrgCheckedKey), nodeKey, 1);
        return value == 0 || value == 1 ? value : 1;
    } catch (...) {
        PropagateError(kModule, u"Get_OrgChecked");
    }
}

int mFetchlingOptions::Set_OrgChecked(const QString& nodeKey, int value)
{
    try {
        const int previous = Get_OrgChecked(nodeKey);
        m_utility.RegistrySetValue(QString::fromUtf16(kOrgCheckedKey), nodeKey, value);
        return previous;
    } catch (...) {
        PropagateError(kModule, u"Set_OrgChecked");
    }
}

} // namespace core
