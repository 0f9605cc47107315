#include "PowerOfAttorneyFiles.h"

#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "base/Error.h"
#include "core/mErrorHandling.h"
#include "platform/diadoc/DiadocAttachedPowerOfAttorney.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/family/FilesLib.h"
#include "platform/xml/XmlDocument.h"
#include "platform/xml/XmlNode.h"

using namespace Qt::StringLiterals;

namespace engine {

namespace {

constexpr char16_t kModule[] = u"Fetchling";

template <typename T> const T& required(const std::shared_ptr<T>& object)
{
    if (!object)
        throw core::objectNotSet();
    return *object;
}

} // namespace

PowerOfAttorneyFiles::PowerOfAttorneyFiles(const platform::family::FilesLib& files)
    : m_files(files)
{
}

int PowerOfAttorneyFiles::УдалениеФайловМЧД(const QString& /*documentFolder*/, const QString& downloadFolder,
                                            platform::diadoc::DiadocDocument& document) const
{
    try {
        std::shared_ptr<platform::diadoc::DiadocList> powers;
        int count = 0;
        try {
            powers = document.GetPowersOfAttorney();
            count = powers ? powers->Count() : 0;
        } catch (...) {
            // The list is optional: a document whose powers of attorney cannot be read keeps its files.
            count = 0;
        }
        if (count <= 0)
            return 0;

        int removed = removePass(downloadFolder, u"* МЧД.xml"_s, true, *powers);
        removed += removePass(downloadFolder, u"ON_EMCHD_*.xml"_s, false, *powers);
        return removed;
    } catch (...) {
        core::PropagateError(kModule, u"УдалениеФайловМЧД");
    }
}

int PowerOfAttorneyFiles::removePass(const QString& downloadFolder, const QString& mask, bool xmlSignature,
                                     const platform::diadoc::DiadocList& powersOfAttorney) const
{
    int removed = 0;
    for (const QString& path : m_files.FindFiles(downloadFolder, mask, 0, true)) {
        const QString file = m_files.ExistingFilePath(path);
        if (!ФайлДействительноМЧД(file, powersOfAttorney))
            continue;
        // "A МЧД.xml" is signed by "A МЧД.xml.sgn", "ON_EMCHD_X.xml" by "ON_EMCHD_X.sig".
        const QString signature = existingSignature(xmlSignature ? path + u".sgn"_s : path.chopped(4) + u".sig"_s);
        if (!signature.isEmpty())
            m_files.RemoveFile(signature, true);
        m_files.RemoveFile(file, true);
        ++removed;
    }
    return removed;
}

// The signature file as the folder holds it. Names are compared without regard to case, as the
// masks are: a signature saved as "X.SIG" belongs to "ON_EMCHD_X.xml" all the same.
QString PowerOfAttorneyFiles::existingSignature(const QString& path) const
{
    if (const QString exact = m_files.ExistingFilePath(path); !exact.isEmpty())
        return exact;
    const QFileInfo wanted(path);
    const QFileInfoList entries =
        wanted.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return entry.absoluteFilePath();
    }
    return {};
}

bool PowerOfAttorneyFiles::ФайлДействительноМЧД(const QString& filePath,
                                                const platform::diadoc::DiadocList& powersOfAttorney) const
{
    try {
        platform::xml::XmlDocument xml;
        if (!xml.load(filePath))
            return false;

        const platform::xml::XmlNode root = xml.selectSingleNode(ModifyXPath(u"/Доверенность"_s, 0));
        if (root.isNull())
            return false;
        const QString id = GetAttr(root, u"ИдФайл"_s, QString());
        const QString prefix = id.left(9);
        if (prefix != u"ON_EMCHD_" && prefix != u"ON_DOVBB_")
            return false;

        const platform::xml::XmlNode node = root.selectSingleNode(ModifyXPath(u"Документ/Довер/СвДов"_s, 0));
        if (node.isNull())
            return false;
        const QString number = GetAttr(node, u"НомДовер"_s, QString());
        if (number.isEmpty())
            return false;
        if (id.right(number.size()) != number)
            return false;

        for (int i = 0; i < powersOfAttorney.Count(); ++i) {
            const auto item = powersOfAttorney.itemAs<platform::diadoc::DiadocAttachedPowerOfAttorney>(i);
            const auto& powerOfAttorney = required(required(item).PowerOfAttorney());
            if (required(powerOfAttorney.id()).RegistrationNumber() == number)
                return true;
        }
        return false;
    } catch (...) {
        core::PropagateError(kModule, u"ФайлДействительноМЧД");
    }
}

QString PowerOfAttorneyFiles::GetAttr(const platform::xml::XmlNode& element, const QString& attributeName,
                                      const QString& defaultValue)
{
    try {
        return element.getAttribute(attributeName).value_or(defaultValue);
    } catch (...) {
        core::PropagateError(kModule, u"GetAttr");
    }
}

QString PowerOfAttorneyFiles::ModifyXPath(const QString& path, int adjustment)
{
    QStringList steps = path.split(u'/');
    for (QString& step : steps) {
        if (!step.isEmpty())
            step = u"*[local-name()='"_s + step + u"']"_s;
    }
    const qsizetype last = steps.size() - 1;
    if (adjustment != 0 && last + adjustment >= 0)
        steps.resize(last + adjustment + 1);
    return steps.join(u'/');
}

} // namespace engine
