#include "StandardTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

using namespace Qt::StringLiterals;

namespace app {

StandardTexts::StandardTexts(const QString& folder)
{
    // Named in full, not looked up by the locale: a user with an English desktop still gets the
    // Russian boxes that go with the program's Russian texts.
    m_loaded = m_translator.load(u"qtbase_ru"_s, folder) && QCoreApplication::installTranslator(&m_translator);
}

StandardTexts::~StandardTexts()
{
    if (m_loaded)
        QCoreApplication::removeTranslator(&m_translator);
}

QString StandardTexts::defaultFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

} // namespace app
