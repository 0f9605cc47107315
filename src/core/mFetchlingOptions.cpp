#include "mFetchlingOptions.h"

#include <array>
#include <utility>

#include "DateText.h"
#include "mErrorHandling.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr char16_t kModule[] = u"mFetchlingOptions";

enum class Where
{
    SignIn,
    Options,
};

enum class Default
{
    Empty,
    Today,
    StructurePath,
    Value0,
    Value1,
    Value30,
    Value100,
    Value200,
};

enum class Range
{
    None,     // stored as given, read as stored
    Flag,     // 0 or 1
    Tristate, // -1, 0 or 1
    Limit,    // 1 to 999
};

struct Row
{
    mFetchlingOptions::Option option;
    Where where;
    const char16_t* name;
    bool text;
    Default byDefault;
    Range range;
    const char16_t* getter;
    const char16_t* setter;
};

using O = mFetchlingOptions::Option;

// One row per option: where it lives, its stored name, its default, its accepted range and the
// names of its accessors as they appear in error trails.
constexpr std::array kRows = {
    Row{O::KeyDiadocAPI, Where::SignIn, u"KeyDiadocAPI", true, Default::Empty, Range::None, u"Get_KeyDiadocAPI",
        u"Set_KeyDiadocAPI"},
    Row{O::DiadocServerURL, Where::SignIn, u"DiadocServerURL", true, Default::Empty, Range::None,
        u"Get_DiadocServerURL", u"Set_DiadocServerURL"},
    Row{O::TypeDiadocAccount, Where::SignIn, u"TypeDiadocAccount", false, Default::Value1, Range::None,
        u"Get_TypeDiadocAccount", u"Set_TypeDiadocAccount"},
    Row{O::Certificate, Where::SignIn, u"C", true, Default::Empty, Range::None, u"GetDefault_Certificate",
        u"Set_Certificate"},
    Row{O::AutomaticAutorization, Where::SignIn, u"AutomaticAutorization", false, Default::Value1, Range::Flag,
        u"Get_AutomaticAutorization", u"Set_AutomaticAutorization"},
    Row{O::Path, Where::Options, u"Path", true, Default::Empty, Range::None, u"GetDefault_Path", u"Set_Path"},
    Row{O::DateTypeSelect, Where::Options, u"DateTypeSelect", false, Default::Value0, Range::Flag,
        u"Get_DateTypeSelect", u"Set_DateTypeSelect"},
    Row{O::FromDate, Where::Options, u"FromDate", true, Default::Today, Range::None, u"Get_FromDate", u"Set_FromDate"},
    Row{O::ToDate, Where::Options, u"ToDate", true, Default::Today, Range::None, u"GetDefault_ToDate", u"Set_ToDate"},
    Row{O::Finished, Where::Options, u"Finished", false, Default::Value1, Range::Flag, u"Get_Finished",
        u"Set_Finished"},
    Row{O::Internal, Where::Options, u"Internal", false, Default::Value0, Range::Flag, u"Get_Internal",
        u"Set_Internal"},
    Row{O::NoSended, Where::Options, u"NoSended", false, Default::Value0, Range::Flag, u"Get_NoSended",
        u"Set_NoSended"},
    Row{O::Revoked, Where::Options, u"Revoked", false, Default::Value0, Range::Flag, u"GetDefault_Revoked",
        u"Set_Revoked"},
    Row{O::SignatureRejected, Where::Options, u"SignatureRejected", false, Default::Value0, Range::Flag,
        u"GetDefault_SignatureRejected", u"Set_SignatureRejected"},
    Row{O::Protocol, Where::Options, u"Protocol", false, Default::Value1, Range::Flag, u"GetDefault_Protocol",
        u"Set_Protocol"},
    Row{O::StructurePath, Where::Options, u"StructurePath", true, Default::StructurePath, Range::None,
        u"Get_StructurePath", u"Set_StructurePath"},
    Row{O::GroupIntoPackages, Where::Options, u"GroupIntoPackages", false, Default::Value0, Range::Tristate,
        u"Get_GroupIntoPackages", u"Set_GroupIntoPackages"},
    Row{O::MaxFolderNameLength, Where::Options, u"MaxFolderNameLength", false, Default::Value100, Range::Limit,
        u"Get_MaxFolderNameLength", u"Set_MaxFolderNameLength"},
    Row{O::ExcludeNegligible, Where::Options, u"ExcludeNegligible", false, Default::Value1, Range::Tristate,
        u"Get_ExcludeNegligible", u"Set_ExcludeNegligible"},
    Row{O::DateEndYesterday, Where::Options, u"DateEndYesterday", false, Default::Value0, Range::Tristate,
        u"Get_DateEndYesterday", u"Set_DateEndYesterday"},
    Row{O::DateBeginMove, Where::Options, u"DateBeginMove", false, Default::Value0, Range::Tristate,
        u"Get_DateBeginMove", u"Set_DateBeginMove"},
    Row{O::LastDateEnd, Where::Options, u"LastDateEnd", true, Default::Empty, Range::None, u"GetDefault_LastDateEnd",
        u"Set_LastDateEnd"},
    Row{O::HtmlProtocol, Where::Options, u"HtmlProtocol", false, Default::Value1, Range::Tristate, u"Get_HtmlProtocol",
        u"Set_HtmlProtocol"},
    Row{O::ExcelProtocol, Where::Options, u"ExcelProtocol", false, Default::Value1, Range::Tristate,
        u"Get_ExcelProtocol", u"Set_ExcelProtocol"},
    Row{O::CsvProtocol, Where::Options, u"CsvProtocol", false, Default::Value0, Range::Tristate, u"Get_CsvProtocol",
        u"Set_CsvProtocol"},
    Row{O::SelectiveDocTypes, Where::Options, u"SelectiveDocTypes", false, Default::Value0, Range::Tristate,
        u"Get_SelectiveDocTypes", u"Set_SelectiveDocTypes"},
    Row{O::ExcludeMHD, Where::Options, u"ExcludeMHD", false, Default::Value1, Range::Tristate, u"Get_ExcludeMHD",
        u"Set_ExcludeMHD"},
    Row{O::DaysCountLimit, Where::Options, u"DaysCountLimit", false, Default::Value0, Range::None,
        u"Get_DaysCountLimit", u"Set_DaysCountLimit"},
    Row{O::TasksLimit, Where::Options, u"TasksLimit", false, Default::Value30, Range::Limit, u"Get_TasksLimit",
        u"Set_TasksLimit"},
    Row{O::DocsLimit, Where::Options, u"DocsLimit", false, Default::Value30, Range::Limit, u"Get_DocsLimit",
        u"Set_DocsLimit"},
    Row{O::LimitDocsInMemory, Where::Options, u"LimitDocsInMemory", false, Default::Value200, Range::Limit,
        u"Get_LimitDocsInMemory", u"Set_LimitDocsInMemory"},
    Row{O::TimeOut, Where::Options, u"TimeOut", false, Default::Value100, Range::Limit, u"Get_TimeOut", u"Set_TimeOut"},
    Row{O::LoadContentByZip, Where::Options, u"LoadContentByZip", false, Default::Value1, Range::Tristate,
        u"Get_LoadContentByZip", u"Set_LoadContentByZip"},
    Row{O::CreateLogFile, Where::Options, u"CreateLogFile", false, Default::Value0, Range::Tristate,
        u"Get_CreateLogFile", u"Set_CreateLogFile"},
};

const Row& rowOf(O option)
{
    return kRows[static_cast<std::size_t>(option)];
}

bool inRange(Range range, int value)
{
    switch (range) {
    case Range::None:
        return true;
    case Range::Flag:
        return value == 0 || value == 1;
    case Range::Tristate:
        return value >= -1 && value <= 1;
    case Range::Limit:
        return value >= 1 && value <= 999;
    }
    return true;
}

constexpr bool rowsInOptionOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<std::size_t>(kRows[i].option) != i)
            return false;
    }
    return true;
}
static_assert(rowsInOptionOrder(), "the option table must follow the order of the Option enumeration");

} // namespace

mFetchlingOptions::mFetchlingOptions(platform::family::GlobalUtility& utility, std::function<QDate()> today)
    : m_utility(utility)
    , m_today(std::move(today))
{
}

mFetchlingOptions::Transaction::Transaction(mFetchlingOptions& options)
    : m_utility(options.m_utility)
{
    try {
        m_utility.RegistryBeginBatch();
    } catch (...) {
        PropagateError(kModule, u"Transaction");
    }
}

mFetchlingOptions::Transaction::~Transaction()
{
    if (m_open)
        m_utility.RegistryDiscardBatch();
}

void mFetchlingOptions::Transaction::commit()
{
    try {
        m_open = false;
        m_utility.RegistryCommitBatch();
    } catch (...) {
        PropagateError(kModule, u"Transaction.commit");
    }
}

QString mFetchlingOptions::GetDefault_StructurePath()
{
    return u"Наименование организации?\\?Год?\\?Наименование контрагента?\\?Документ"_s;
}

bool mFetchlingOptions::isText(Option option) const
{
    return rowOf(option).text;
}

QString mFetchlingOptions::valueName(Option option) const
{
    return QString::fromUtf16(rowOf(option).name);
}

QString mFetchlingOptions::keyOf(Option option) const
{
    return QString::fromUtf16(rowOf(option).where == Where::SignIn ? kSignInKey : kOptionsKey);
}

QString mFetchlingOptions::textDefault(Option option) const
{
    switch (rowOf(option).byDefault) {
    case Default::Today:
        return dateText(m_today());
    case Default::StructurePath:
        return GetDefault_StructurePath();
    default:
        return {};
    }
}

int mFetchlingOptions::numberDefault(Option option) const
{
    switch (rowOf(option).byDefault) {
    case Default::Value1:
        return GetDefault_Value1();
    case Default::Value30:
        return GetDefault_Value30();
    case Default::Value100:
        return GetDefault_Value100();
    case Default::Value200:
        return GetDefault_Value200();
    default:
        return GetDefault_Value0();
    }
}

QString mFetchlingOptions::getText(Option option) const
{
    const Row& row = rowOf(option);
    try {
        return m_utility.RegistryGetString(keyOf(option), valueName(option), textDefault(option));
    } catch (...) {
        PropagateError(kModule, row.getter);
    }
}

QString mFetchlingOptions::setText(Option option, const QString& value)
{
    const Row& row = rowOf(option);
    try {
        QString previous = getText(option);
        m_utility.RegistrySetValue(keyOf(option), valueName(option), value);
        return previous;
    } catch (...) {
        PropagateError(kModule, row.setter);
    }
}

int mFetchlingOptions::getNumber(Option option) const
{
    const Row& row = rowOf(option);
    try {
        const int value = m_utility.RegistryGetLongVar(keyOf(option), valueName(option), numberDefault(option));
        return inRange(row.range, value) ? value : numberDefault(option);
    } catch (...) {
        PropagateError(kModule, row.getter);
    }
}

int mFetchlingOptions::setNumber(Option option, int value)
{
    const Row& row = rowOf(option);
    try {
        const int previous = getNumber(option);
        m_utility.RegistrySetValue(keyOf(option), valueName(option), value);
        return previous;
    } catch (...) {
        PropagateError(kModule, row.setter);
    }
}

QString mFetchlingOptions::getCredential(const char16_t* transformedName, const char16_t* plainName) const
{
    const QString key = QString::fromUtf16(kSignInKey);
    const QString stored = m_utility.RegistryGetString(key, QString::fromUtf16(transformedName), QString());
    const QString plain = m_utility.TransformCredential(stored, 1);
    if (plain.isEmpty())
        return m_utility.RegistryGetString(key, QString::fromUtf16(plainName), QString());
    return plain;
}

void mFetchlingOptions::setCredential(const char16_t* transformedName, const char16_t* plainName, const QString& value)
{
    const QString key = QString::fromUtf16(kSignInKey);
    m_utility.RegistrySetValue(key, QString::fromUtf16(transformedName), m_utility.TransformCredential(value, 0));
    m_utility.RegistrySetValue(key, QString::fromUtf16(plainName), QString());
}

QString mFetchlingOptions::Get_Login() const
{
    try {
        return getCredential(u"XL", u"L");
    } catch (...) {
        PropagateError(kModule, u"Get_Login");
    }
}

QString mFetchlingOptions::Set_Login(QString value)
{
    try {
        QString previous = Get_Login();
        setCredential(u"XL", u"L", value);
        return previous;
    } catch (...) {
        PropagateError(kModule, u"Set_Login");
    }
}

QString mFetchlingOptions::GetDefault_Password() const
{
    try {
        return getCredential(u"XP", u"P");
    } catch (...) {
        PropagateError(kModule, u"GetDefault_Password");
    }
}

QString mFetchlingOptions::Set_Password(QString value)
{
    try {
        QString previous = GetDefault_Password();
        setCredential(u"XP", u"P", value);
        return previous;
    } catch (...) {
        PropagateError(kModule, u"Set_Password");
    }
}

} // namespace core
