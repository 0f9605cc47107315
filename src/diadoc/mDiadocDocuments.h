#pragma once

#include <QDateTime>
#include <QString>

#include "core/KeyAndName.h"
#include "core/KeyedCollection.h"
#include "platform/diadoc/Variant.h"

namespace core {
class mFetchlingOptions;
}

namespace platform::diadoc {
class DiadocDocument;
}

namespace diadoc {

// What the queues, the engine, the folder layout, the metadata file and the protocols read alike
// from a Diadoc document: its class, the sending date and the folder date (with the marker that
// stands for a missing date), the other party, and whether its document flow is finished.
class mDiadocDocuments final
{
public:
    // 30 November 1999, 00:00: the date given for a document that has none to give.
    static QDateTime EmptyDateMarker();
    // The marker as "dd.mm.yyyy 00:00:00", the only form in which IsDateEmpty knows it.
    static QString EmptyDateMarkerText();

    // "Inbound" "Входящий", "Outbound" "Исходящий", "Internal" "Внутренний", in this order; built
    // once for the process and never changed.
    static const core::KeyedCollection<core::KeyAndName>& GetDocClassCollection();
    // By key (a text, letter case ignored) or by position from 1 (a whole number); an empty item
    // when there is none.
    static core::KeyAndName GetDocClass(const platform::diadoc::Variant& keyOrPosition);
    static core::KeyAndName GetDocClass(const QString& key);
    static core::KeyAndName GetDocClass(int position);
    static core::KeyAndName NewKeyAndName(QString key, QString name);

    // Numbers and dates of day 0 or of 1 January of the year 1 are empty; a text only when it is no
    // date at all or the marker's text; every other kind of value always.
    static bool IsDateEmpty(const platform::diadoc::Variant& value);
    // The sending date; the marker for a document that was never sent.
    static platform::diadoc::Variant ForwardingDate(const platform::diadoc::DiadocDocument& doc);
    static platform::diadoc::Variant DocDateForPathFolder(const platform::diadoc::DiadocDocument& doc);
    // The latest folder date of the document's package; Empty when the package lists nothing.
    static platform::diadoc::Variant PackageDateForPathFolder(platform::diadoc::DiadocDocument& doc);
    // The package's date when documents are grouped into packages, else the document's own.
    static platform::diadoc::Variant DateForPathFolder(platform::diadoc::DiadocDocument& doc,
                                                       const core::mFetchlingOptions& options);
    // The later of the two, returned as given; an empty value loses, and of two equal dates the
    // second wins.
    static platform::diadoc::Variant ThisMaxOfDates(platform::diadoc::Variant a, platform::diadoc::Variant b);

    static bool IsCounteragent(const platform::diadoc::DiadocDocument& doc);
    static bool IsFromDepartment(const platform::diadoc::DiadocDocument& doc);
    static bool IsToDepartment(const platform::diadoc::DiadocDocument& doc);
    // The other party: the counteragent, else the sending department, else the receiving one.
    static QString ИНН_КПП_ВторойСтороны(const platform::diadoc::DiadocDocument& doc, const QString& defaultText);
    static QString ИНН_ВторойСтороны(const platform::diadoc::DiadocDocument& doc, const QString& defaultText);
    static QString НазваниеВторойСтороны(const platform::diadoc::DiadocDocument& doc, const QString& defaultText);

    // A rejected signature request is never finished; otherwise the primary docflow status decides.
    static bool IsFinished(const platform::diadoc::DiadocDocument& doc);
};

} // namespace diadoc
