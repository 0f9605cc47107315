#pragma once

#include <array>

#include <QByteArray>
#include <QString>

#include "TextCollection.h"
#include "platform/zip/ZipLibrary.h"

namespace platform::zip {
class Libraries;
} // namespace platform::zip

namespace core {

class N7Zipper;
class UiServices;

// The zip module: fills the zip library's records from a job, builds the list of file names and
// answers the library's callbacks. Its state is shared by every job of the process (one instance,
// made at start-up), so only one run may be in progress at a time.
class mZipper final
{
public:
    static constexpr int kMaxNames = 1024;

    // The name list record handed to ZpArchive: the names as windows-1251 bytes, each followed by
    // a zero byte, one after another in one buffer, and a pointer to each.
    struct NameList
    {
        int count = 0;
        std::array<char*, kMaxNames> pointers{};
        QByteArray buffer;
    };

    mZipper(platform::zip::Libraries& libraries, UiServices& ui, QString applicationTitle);

    int RunZip(N7Zipper& job);
    static void CreateFileNamesArgvList(const TextCollection& files, NameList& list);

    // The records of the last run, as handed to the library.
    const platform::zip::ZPOPT& options() const { return m_options; }
    const NameList& nameList() const { return m_nameList; }

    // "MM/DD/YY" of a date text; a text that reads as no date is passed as it is.
    static QString formatZipDate(const QString& date);

private:
    platform::zip::ZipLibrary& library();
    void fillOptions(const N7Zipper& job);
    int askPassword(char* buffer, int size);
    int askComment(char* buffer, int size);

    platform::zip::Libraries& m_libraries;
    UiServices& m_ui;
    QString m_applicationTitle;
    platform::zip::ZipLibrary* m_library = nullptr;

    platform::zip::ZIPUSERFUNCTIONS m_callbacks;
    platform::zip::ZPOPT m_options;
    // The texts of the options record live here until the archiving call has returned.
    QByteArray m_date;
    QByteArray m_rootDir;
    QByteArray m_tempDir;
    QByteArray m_zipFileName;
    NameList m_nameList;
};

} // namespace core
