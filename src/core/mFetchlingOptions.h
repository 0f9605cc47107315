#pragma once

#include <functional>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "KeyAndName.h"

namespace platform::family {
class GlobalUtility;
}

namespace core {

class DocTypesProvider;

// The settings store: every option of the program read from and written to its registry key on
// each call, with the option's default when nothing is stored and its range check when something
// is. Nothing is cached, so a value written by one window is seen by the next reader.
class mFetchlingOptions final
{
public:
    enum class Option
    {
        KeyDiadocAPI,
        DiadocServerURL,
        TypeDiadocAccount,
        Certificate,
        AutomaticAutorization,
        Path,
        DateTypeSelect,
        FromDate,
        ToDate,
        Finished,
        Internal,
        NoSended,
        Revoked,
        SignatureRejected,
        Protocol,
        StructurePath,
        GroupIntoPackages,
        MaxFolderNameLength,
        ExcludeNegligible,
        DateEndYesterday,
        DateBeginMove,
        LastDateEnd,
        HtmlProtocol,
        ExcelProtocol,
        CsvProtocol,
        SelectiveDocTypes,
        ExcludeMHD,
        DaysCountLimit,
        TasksLimit,
        DocsLimit,
        LimitDocsInMemory,
        TimeOut,
        LoadContentByZip,
        CreateLogFile,
    };

    static constexpr char16_t kProgramKey[] = u"Software\\Quorvel Labs\\N7_Fetchling";
    static constexpr char16_t kSignInKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\frmDiadocAutorization";
    static constexpr char16_t kOptionsKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\Options";
    static constexpr char16_t kDocNamesExcludeKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\DocNamesExclude";
    static constexpr char16_t kDocTypesKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\DocTypes";
    static constexpr char16_t kOrgCheckedKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\OrgCheccked";

    // One row of the table of document titles excluded from unloading. Folder is one of "Все",
    // "Входящие", "Исходящие", "Внутренние".
    struct DocNameExclude
    {
        bool Remove = false;
        QString Name;
        QString Folder;

        friend bool operator==(const DocNameExclude&, const DocNameExclude&) = default;
    };
    // Rows in order; the first row is the stored row 1.
    using DocNamesExclude = QList<DocNameExclude>;

    // Gathers every write made through the store while it lives: commit() stores them all at
    // once; leaving without commit(), or a failing commit, stores none of them.
    class Transaction final
    {
    public:
        explicit Transaction(mFetchlingOptions& options);
        ~Transaction();
        Q_DISABLE_COPY_MOVE(Transaction)

        void commit();

    private:
        platform::family::GlobalUtility& m_utility;
        bool m_open = true;
    };

    explicit mFetchlingOptions(platform::family::GlobalUtility& utility,
                               std::function<QDate()> today = &QDate::currentDate);

    // Generic access by option, used by the named accessors and by code that walks every option.
    bool isText(Option option) const;
    QString getText(Option option) const;
    QString setText(Option option, const QString& value);
    int getNumber(Option option) const;
    int setNumber(Option option, int value);
    QString valueName(Option option) const;
    QString keyOf(Option option) const;

    static int GetDefault_Value0() { return 0; }
    static int GetDefault_Value1() { return 1; }
    static int GetDefault_Value30() { return 30; }
    static int GetDefault_Value100() { return 100; }
    static int GetDefault_Value200() { return 200; }
    static QString GetDefault_StructurePath();

    // Sign-in settings.
    QString Get_KeyDiadocAPI() const { return getText(Option::KeyDiadocAPI); }
    QString Set_KeyDiadocAPI(QString value) { return setText(Option::KeyDiadocAPI, value); }
    QString Get_DiadocServerURL() const { return getText(Option::DiadocServerURL); }
    QString Set_DiadocServerURL(QString value) { return setText(Option::DiadocServerURL, value); }
    int Get_TypeDiadocAccount() const { return getNumber(Option::TypeDiadocAccount); }
    int Set_TypeDiadocAccount(int value) { return setNumber(Option::TypeDiadocAccount, value); }
    QString Get_Login() const;
    QString Set_Login(QString value);
    QString GetDefault_Password() const;
    QString Set_Password(QString value);
    QString GetDefault_Certificate() const { return getText(Option::Certificate); }
    QString Set_Certificate(QString value) { return setText(Option::Certificate, value); }
    int Get_AutomaticAutorization() const { return getNumber(Option::AutomaticAutorization); }
    int Set_AutomaticAutorization(int value) { return setNumber(Option::AutomaticAutorization, value); }

    // Run choices and options.
    QString GetDefault_Path() const { return getText(Option::Path); }
    QString Set_Path(QString value) { return setText(Option::Path, value); }
    int Get_DateTypeSelect() const { return getNumber(Option::DateTypeSelect); }
    int Set_DateTypeSelect(int value) { return setNumber(Option::DateTypeSelect, value); }
    QString Get_FromDate() const { return getText(Option::FromDate); }
    QString Set_FromDate(QString value) { return setText(Option::FromDate, value); }
    QString GetDefault_ToDate() const { return getText(Option::ToDate); }
    QString Set_ToDate(QString value) { return setText(Option::ToDate, value); }
    int Get_Finished() const { return getNumber(Option::Finished); }
    int Set_Finished(int value) { return setNumber(Option::Finished, value); }
    int Get_Internal() const { return getNumber(Option::Internal); }
    int Set_Internal(int value) { return setNumber(Option::Internal, value); }
    int Get_NoSended() const { return getNumber(Option::NoSended); }
    int Set_NoSended(int value) { return setNumber(Option::NoSended, value); }
    int GetDefault_Revoked() const { return getNumber(Option::Revoked); }
    int Set_Revoked(int value) { return setNumber(Option::Revoked, value); }
    int GetDefault_SignatureRejected() const { return getNumber(Option::SignatureRejected); }
    int Set_SignatureRejected(int value) { return setNumber(Option::SignatureRejected, value); }
    int GetDefault_Protocol() const { return getNumber(Option::Protocol); }
    int Set_Protocol(int value) { return setNumber(Option::Protocol, value); }
    QString Get_StructurePath() const { return getText(Option::StructurePath); }
    QString Set_StructurePath(QString value) { return setText(Option::StructurePath, value); }
    int Get_GroupIntoPackages() const { return getNumber(Option::GroupIntoPackages); }
    int Set_GroupIntoPackages(int value) { return setNumber(Option::GroupIntoPackages, value); }
    int Get_MaxFolderNameLength() const { return getNumber(Option::MaxFolderNameLength); }
    int Set_MaxFolderNameLength(int value) { return setNumber(Option::MaxFolderNameLength, value); }
    int Get_ExcludeNegligible() const { return getNumber(Option::ExcludeNegligible); }
    int Set_ExcludeNegligible(int value) { return setNumber(Option::ExcludeNegligible, value); }
    int Get_DateEndYesterday() const { return getNumber(Option::DateEndYesterday); }
    int Set_DateEndYesterday(int value) { return setNumber(Option::DateEndYesterday, value); }
    int Get_DateBeginMove() const { return getNumber(Option::DateBeginMove); }
    int Set_DateBeginMove(int value) { return setNumber(Option::DateBeginMove, value); }
    QString GetDefault_LastDateEnd() const { return getText(Option::LastDateEnd); }
    QString Set_LastDateEnd(QString value) { return setText(Option::LastDateEnd, value); }
    int Get_HtmlProtocol() const { return getNumber(Option::HtmlProtocol); }
    int Set_HtmlProtocol(int value) { return setNumber(Option::HtmlProtocol, value); }
    int Get_ExcelProtocol() const { return getNumber(Option::ExcelProtocol); }
    int Set_ExcelProtocol(int value) { return setNumber(Option::ExcelProtocol, value); }
    int Get_CsvProtocol() const { return getNumber(Option::CsvProtocol); }
    int Set_CsvProtocol(int value) { return setNumber(Option::CsvProtocol, value); }
    int Get_SelectiveDocTypes() const { return getNumber(Option::SelectiveDocTypes); }
    int Set_SelectiveDocTypes(int value) { return setNumber(Option::SelectiveDocTypes, value); }
    int Get_ExcludeMHD() const { return getNumber(Option::ExcludeMHD); }
    int Set_ExcludeMHD(int value) { return setNumber(Option::ExcludeMHD, value); }
    int Get_DaysCountLimit() const { return getNumber(Option::DaysCountLimit); }
    int Set_DaysCountLimit(int value) { return setNumber(Option::DaysCountLimit, value); }
    int Get_TasksLimit() const { return getNumber(Option::TasksLimit); }
    int Set_TasksLimit(int value) { return setNumber(Option::TasksLimit, value); }
    int Get_DocsLimit() const { return getNumber(Option::DocsLimit); }
    int Set_DocsLimit(int value) { return setNumber(Option::DocsLimit, value); }
    int Get_LimitDocsInMemory() const { return getNumber(Option::LimitDocsInMemory); }
    int Set_LimitDocsInMemory(int value) { return setNumber(Option::LimitDocsInMemory, value); }
    int Get_TimeOut() const { return getNumber(Option::TimeOut); }
    int Set_TimeOut(int value) { return setNumber(Option::TimeOut, value); }
    int Get_LoadContentByZip() const { return getNumber(Option::LoadContentByZip); }
    int Set_LoadContentByZip(int value) { return setNumber(Option::LoadContentByZip, value); }
    int Get_CreateLogFile() const { return getNumber(Option::CreateLogFile); }
    int Set_CreateLogFile(int value) { return setNumber(Option::CreateLogFile, value); }

    // Structured settings: the folder structure pattern's parts, the legal-form words, the
    // exclusion table, the document-type switches and the ticks of the organisation tree.
    static QStringList Get_StructureElements(bool withPackages);
    static QStringList Get_StructureDelimiters();
    static QStringList Get_LegalForms();
    static QStringList Get_LegalFormsInBrackets();
    static DocNamesExclude GetDefault_DocNamesExclude() { return {}; }
    // Reads rows 1, 2, ... up to the first empty title; titles in upper case when asked.
    DocNamesExclude Get_DocNamesExclude(bool upperCase) const;
    // Writes the rows that are not marked for removal and have a title, numbered without gaps,
    // and ends the stored table after them. Answers the previous table.
    DocNamesExclude Set_DocNamesExclude(const DocNamesExclude& table);
    bool Get_DocType(const QString& typeKey) const;
    bool Set_DocType(const QString& typeKey, bool on);
    // The document types of the organisations, each key once (the first organisation's item
    // stays), in order; with selective on only the types switched on.
    QList<KeyAndName> Get_DocTypes(const QList<DocTypesProvider*>& persons, bool selective) const;
    int Get_OrgChecked(const QString& nodeKey) const;
    int Set_OrgChecked(const QString& nodeKey, int value);

    platform::family::GlobalUtility& utility() const { return m_utility; }

private:
    QString textDefault(Option option) const;
    int numberDefault(Option option) const;
    QString getCredential(const char16_t* transformedName, const char16_t* plainName) const;
    void setCredential(const char16_t* transformedName, const char16_t* plainName, const QString& value);

    platform::family::GlobalUtility& m_utility;
    std::function<QDate()> m_today;
};

} // namespace core
