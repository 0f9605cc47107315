#pragma once

#include <array>

#include <QByteArray>
#include <QList>
#include <QString>

#include "TextCollection.h"
#include "platform/zip/UnzipLibrary.h"

namespace platform::zip {
class Libraries;
} // namespace platform::zip

namespace core {

class N7UnZipper;
class UiServices;

// The unzip module: copies a job into the unzip library's records, calls the library and answers
// its callbacks. Its state is shared by every job of the process (one instance, made at start-up),
// so only one run may be in progress at a time.
class mUnzipper final
{
public:
    // Longest name table the library is given; further names are dropped.
    static constexpr int kMaxNames = 255;
    // Longest name read from a callback, in bytes.
    static constexpr int kMaxReportedName = 256;

    mUnzipper(platform::zip::Libraries& libraries, UiServices& ui, QString applicationTitle);

    int RunUnzip(N7UnZipper& job);

    // The records of the last run, as handed to the library.
    const platform::zip::DCL& options() const { return m_options; }

private:
    platform::zip::UnzipLibrary& library();
    int fillTable(const TextCollection& names, std::array<QByteArray, kMaxNames + 1>& texts,
                  std::array<char*, kMaxNames + 1>& table, bool forwardSlashes);
    void fillCallbacks();

    int askPassword(char* buffer, int size);
    void collectListed(const char* fileName);
    int collectExtracted(const char* fileName);

    platform::zip::Libraries& m_libraries;
    UiServices& m_ui;
    QString m_applicationTitle;
    platform::zip::UnzipLibrary* m_library = nullptr;

    platform::zip::DCL m_options;
    QByteArray m_zipFileName;
    QByteArray m_extractDir;
    std::array<QByteArray, kMaxNames + 1> m_includeTexts;
    std::array<QByteArray, kMaxNames + 1> m_excludeTexts;
    std::array<char*, kMaxNames + 1> m_includeTable{};
    std::array<char*, kMaxNames + 1> m_excludeTable{};
    QList<QByteArray> m_reservedTexts;
    QList<const char*> m_reservedTable;
    platform::zip::USERFUNCTIONS m_callbacks;
    TextCollection m_names;
    bool m_listing = false;
    bool m_passwordRefused = false;
};

} // namespace core
