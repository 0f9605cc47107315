#pragma once

#include <QString>

namespace platform::family {
class GlobalUtility;
}

namespace engine {

// Makes organisation names, counterparty names and document titles fit to be folder names: drops
// legal-form words and quotes, replaces what a folder name may not hold, and keeps every folder
// name within the file system's 255 bytes.
class NameCleaning final
{
public:
    // The longest name of one folder, in bytes of UTF-8, that file systems accept.
    static constexpr qsizetype kMaxNameBytes = 255;

    explicit NameCleaning(const platform::family::GlobalUtility& utility);

    // The name without a legal form at its start ("ООО ") or in brackets at its end (" (ООО)"),
    // without blanks at both ends and without quotation characters.
    QString ExcludeNegligible(const QString& name) const;
    // The text with the characters that may not stand in a folder name replaced: "/", "\", "*",
    // "?", ":", "&", "<", ">" and control characters by "_", the quotation mark by an apostrophe.
    static QString ecrdisk(QString text);
    // ecrdisk of the text without blanks and dots at both ends, cut to kMaxNameBytes.
    static QString TrimNegligible(QString text);

    // A pattern element's text that goes into a folder name uncleaned (INN, type, class, date):
    // "/", "\" and control characters become "_", so that no element adds a level of its own.
    static QString cleanElement(QString text);
    // The longest start of the text whose UTF-8 takes at most budget bytes, cut between two
    // characters (a letter keeps its combining marks).
    static QString cutToByteBudget(const QString& text, qsizetype budget);
    // The name cut so that it and the suffix (" ~e41b") together take at most kMaxNameBytes
    // bytes, followed by the whole suffix.
    static QString fitFolderName(const QString& name, const QString& suffix);
    // The name of a folder level as it is closed: cut to kMaxNameBytes, then without trailing
    // blanks and dots, which some file systems drop silently. It may become empty.
    static QString closeLevel(const QString& level);
    static qsizetype utf8Size(QStringView text);

private:
    const platform::family::GlobalUtility& m_utility;
};

} // namespace engine
