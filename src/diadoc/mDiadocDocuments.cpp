#include "mDiadocDocuments.h"

#include <cmath>
#include <memory>
#include <utility>

#include "VbDate.h"
#include "base/Error.h"
#include "core/VbNumbers.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "platform/diadoc/DiadocCounteragent.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;
using core::KeyAndName;
using platform::diadoc::DiadocCounteragent;
using platform::diadoc::DiadocDepartment;
using platform::diadoc::DiadocDocument;
using platform::diadoc::DiadocOrganization;
using platform::diadoc::Variant;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"mDiadoc";
// Day number of 1 January of the year 1, the other date that stands for no date.
constexpr double kFirstDayNumber = -693593.0;

template <typename T> std::shared_ptr<T> objectOf(const Variant& value)
{
    auto object = value.as<T>();
    if (!object)
        throw core::objectNotSet();
    return object;
}

// The status without its direction word, as the not-sent test reads it.
QString statusWithoutDirection(const DiadocDocument& doc)
{
    const QString status = doc.Status();
    for (const QString& direction : {u"Inbound"_s, u"Outbound"_s, u"Internal"_s}) {
        if (status.startsWith(direction))
            return status.mid(direction.size());
    }
    return status;
}

bool isNotSent(const DiadocDocument& doc)
{
    const QString rest = statusWithoutDirection(doc);
    return rest == u"InvalidSenderSignature"_s || rest == u"WaitingForSenderSignature"_s;
}

Variant marker()
{
    return Variant(mDiadocDocuments::EmptyDateMarker());
}

// The party's INN with "-" and the KPP when there is one.
QString innKpp(const QString& inn, const QString& kpp)
{
    return kpp.isEmpty() ? inn : inn + u'-' + kpp;
}

QString orDefault(const QString& text, const QString& defaultText)
{
    return text.isEmpty() ? defaultText : text;
}

} // namespace

QDateTime mDiadocDocuments::EmptyDateMarker()
{
    return QDateTime(QDate(1999, 11, 30), QTime(0, 0));
}

QString mDiadocDocuments::EmptyDateMarkerText()
{
    return EmptyDateMarker().toString(u"dd.MM.yyyy 00:00:00"_s);
}

const core::KeyedCollection<KeyAndName>& mDiadocDocuments::GetDocClassCollection()
{
    static const core::KeyedCollection<KeyAndName> classes = [] {
        core::KeyedCollection<KeyAndName> c;
        c.Add(NewKeyAndName(u"Inbound"_s, u"Входящий"_s), u"Inbound"_s);
        c.Add(NewKeyAndName(u"Outbound"_s, u"Исходящий"_s), u"Outbound"_s);
        c.Add(NewKeyAndName(u"Internal"_s, u"Внутренний"_s), u"Internal"_s);
        return c;
    }();
    return classes;
}

KeyAndName mDiadocDocuments::GetDocClass(const Variant& keyOrPosition)
{
    try {
        switch (keyOrPosition.kind()) {
        case Variant::Kind::Text:
            return GetDocClass(keyOrPosition.toText());
        case Variant::Kind::Integer: {
            const double position = keyOrPosition.toDouble();
            return position >= 1 && position <= GetDocClassCollection().Count()
                       ? GetDocClass(static_cast<int>(position))
                       : KeyAndName{};
        }
        case Variant::Kind::Double: {
            // A fractional position is rounded as the collection's index conversion rounds it.
            const double position = core::vbRoundHalfEven(keyOrPosition.toDouble());
            return position >= 1 && position <= GetDocClassCollection().Count()
                       ? GetDocClass(static_cast<int>(position))
                       : KeyAndName{};
        }
        default:
            return {};
        }
    } catch (...) {
        core::PropagateError(kModule, u"GetDocClass");
    }
}

KeyAndName mDiadocDocuments::GetDocClass(const QString& key)
{
    const KeyAndName* item = GetDocClassCollection().find(key);
    return item ? *item : KeyAndName{};
}

KeyAndName mDiadocDocuments::GetDocClass(int position)
{
    const auto& classes = GetDocClassCollection();
    return position >= 1 && position <= classes.Count() ? classes.Item(position) : KeyAndName{};
}

KeyAndName mDiadocDocuments::NewKeyAndName(QString key, QString name)
{
    return KeyAndName{std::move(key), std::move(name)};
}

bool mDiadocDocuments::IsDateEmpty(const Variant& value)
{
    try {
        switch (value.kind()) {
        case Variant::Kind::Double: {
            const double number = value.toDouble();
            return number == 0.0 || number == kFirstDayNumber;
        }
        case Variant::Kind::Date: {
            const QDateTime date = value.toDate();
            if (!date.isValid())
                return true;
            const double dayNumber = static_cast<double>(QDate(1899, 12, 30).daysTo(date.date()));
            return dayNumber == 0.0 || dayNumber == kFirstDayNumber;
        }
        case Variant::Kind::Text: {
            const QString text = value.toText();
            if (!platform::diadoc::parseDateText(text).isValid())
                return true;
            return text == EmptyDateMarkerText();
        }
        default:
            return true;
        }
    } catch (...) {
        core::PropagateError(kModule, u"IsDateEmpty");
    }
}

Variant mDiadocDocuments::ForwardingDate(const DiadocDocument& doc)
{
    try {
        return isNotSent(doc) ? marker() : doc.Timestamp();
    } catch (...) {
        core::PropagateError(kModule, u"ForwardingDate");
    }
}

Variant mDiadocDocuments::DocDateForPathFolder(const DiadocDocument& doc)
{
    try {
        const QString type = doc.Type();
        if (type == u"Nonformalized"_s || type == u"TrustConnectionRequest"_s)
            return isNotSent(doc) ? marker() : doc.Timestamp();
        const Variant date = doc.DocumentDate();
        return IsDateEmpty(date) ? marker() : date;
    } catch (...) {
        core::PropagateError(kModule, u"DocDateForPathFolder");
    }
}

Variant mDiadocDocuments::PackageDateForPathFolder(DiadocDocument& doc)
{
    try {
        Variant result;
        // A package the client cannot give counts as one that lists nothing.
        const auto package = doc.GetDocumentPackage();
        const auto documents = package ? package->Documents() : nullptr;
        if (!documents)
            return result;
        for (int i = 0; i < documents->Count(); ++i) {
            if (const auto item = documents->itemAs<DiadocDocument>(i))
                result = ThisMaxOfDates(result, DocDateForPathFolder(*item));
        }
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"PackageDateForPathFolder");
    }
}

Variant mDiadocDocuments::DateForPathFolder(DiadocDocument& doc, const core::mFetchlingOptions& options)
{
    try {
        if (!doc.PackageId().isEmpty() && options.Get_GroupIntoPackages() != 0)
            return PackageDateForPathFolder(doc);
        return DocDateForPathFolder(doc);
    } catch (...) {
        core::PropagateError(kModule, u"DateForPathFolder");
    }
}

Variant mDiadocDocuments::ThisMaxOfDates(Variant a, Variant b)
{
    try {
        if (IsDateEmpty(a))
            return b;
        if (IsDateEmpty(b))
            return a;
        return VbDate::fromVariant(b) < VbDate::fromVariant(a) ? a : b;
    } catch (...) {
        core::PropagateError(kModule, u"ThisMaxOfDates");
    }
}

bool mDiadocDocuments::IsCounteragent(const DiadocDocument& doc)
{
    try {
        return doc.Counteragent().holdsObject();
    } catch (...) {
        core::PropagateError(kModule, u"IsCounteragent");
    }
}

bool mDiadocDocuments::IsFromDepartment(const DiadocDocument& doc)
{
    try {
        return doc.FromDepartment().holdsObject();
    } catch (...) {
        core::PropagateError(kModule, u"IsFromDepartment");
    }
}

bool mDiadocDocuments::IsToDepartment(const DiadocDocument& doc)
{
    try {
        return doc.ToDepartment().holdsObject();
    } catch (...) {
        core::PropagateError(kModule, u"IsToDepartment");
    }
}

QString mDiadocDocuments::ИНН_КПП_ВторойСтороны(const DiadocDocument& doc, const QString& defaultText)
{
    try {
        QString text;
        if (IsCounteragent(doc)) {
            const auto party = objectOf<DiadocCounteragent>(doc.Counteragent());
            text = innKpp(party->Inn(), party->Kpp());
        } else if (IsFromDepartment(doc)) {
            const QString inn = objectOf<DiadocOrganization>(doc.Organization())->Inn();
            text = innKpp(inn, objectOf<DiadocDepartment>(doc.FromDepartment())->Kpp());
        } else if (IsToDepartment(doc)) {
            const QString inn = objectOf<DiadocOrganization>(doc.Organization())->Inn();
            text = innKpp(inn, objectOf<DiadocDepartment>(doc.ToDepartment())->Kpp());
        }
        return orDefault(text, defaultText);
    } catch (...) {
        core::PropagateError(kModule, u"ИНН_КПП_ВторойСтороны");
    }
}

QString mDiadocDocuments::ИНН_ВторойСтороны(const DiadocDocument& doc, const QString& defaultText)
{
    try {
        QString text;
        if (IsCounteragent(doc))
            text = objectOf<DiadocCounteragent>(doc.Counteragent())->Inn();
        else if (IsFromDepartment(doc) || IsToDepartment(doc))
            text = objectOf<DiadocOrganization>(doc.Organization())->Inn();
        return orDefault(text, defaultText);
    } catch (...) {
        core::PropagateError(kModule, u"ИНН_ВторойСтороны");
    }
}

QString mDiadocDocuments::НазваниеВторойСтороны(const DiadocDocument& doc, const QString& defaultText)
{
    try {
        QString text;
        if (IsCounteragent(doc))
            text = objectOf<DiadocCounteragent>(doc.Counteragent())->Name();
        else if (IsFromDepartment(doc))
            text = objectOf<DiadocDepartment>(doc.FromDepartment())->Name();
        else if (IsToDepartment(doc))
            text = objectOf<DiadocDepartment>(doc.ToDepartment())->Name();
        return orDefault(text, defaultText);
    } catch (...) {
        core::PropagateError(kModule, u"НазваниеВторойСтороны");
    }
}

bool mDiadocDocuments::IsFinished(const DiadocDocument& doc)
{
    try {
        if (doc.Status().endsWith(u"SignatureRequestRejected"_s))
            return false;
        const auto docflow = doc.DocflowStatus();
        if (!docflow)
            throw core::objectNotSet();
        const auto primary = docflow->PrimaryStatus();
        if (!primary)
            throw core::objectNotSet();
        const QString severity = primary->Severity();
        if (severity == u"Success"_s || severity == u"Error"_s)
            return true;
        return primary->Text() == u"Документооборот завершен"_s;
    } catch (...) {
        core::PropagateError(kModule, u"IsFinished");
    }
}

} // namespace diadoc
