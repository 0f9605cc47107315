#include "FamilySettings.h"

#include "mErrorHandling.h"
#include "mRegistryTools.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {
constexpr char16_t kModule[] = u"mFetchlingOptions";
}

QString ConcatenateRegistryKeys(QString firstKey, QString secondKey)
{
    try {
        if (firstKey.isEmpty() && secondKey.isEmpty())
            return {};
        if (firstKey.isEmpty())
            return secondKey;
        if (firstKey.endsWith(u'\\'))
            firstKey.chop(1);
        if (secondKey.startsWith(u'\\'))
            secondKey.remove(0, 1);
        return firstKey + u'\\' + secondKey;
    } catch (...) {
        PropagateError(kModule, u"ConcatenateRegistryKeys");
    }
}

QString GetProductSetting_String(mRegistryTools& tools, bool localMachine, QString subKey, QString valueName,
                                 QString defaultValue)
{
    try {
        const quint32 root = localMachine ? mRegistryTools::HKEY_LOCAL_MACHINE : mRegistryTools::HKEY_CURRENT_USER;
        return tools.ReadRegistryString(root, ConcatenateRegistryKeys(QString::fromUtf16(kFamilyKey), subKey),
                                        valueName, defaultValue);
    } catch (...) {
        PropagateError(kModule, u"GetProductSetting_String");
    }
}

} // namespace core
