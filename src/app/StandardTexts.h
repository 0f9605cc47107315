#pragma once

#include <QString>
#include <QTranslator>

namespace app {

// Qt's own texts (the buttons of the standard boxes, the folder browser, the context menus of the
// text boxes) in Russian, whatever the user's locale: every text of the program itself is Russian,
// and a box that asks in Russian should not answer in English. Installed for the object's life.
class StandardTexts final
{
public:
    // Qt's Russian catalogue from folder; without it Qt's English texts stay, which is no failure.
    explicit StandardTexts(const QString& folder = defaultFolder());
    ~StandardTexts();
    StandardTexts(const StandardTexts&) = delete;
    StandardTexts& operator=(const StandardTexts&) = delete;

    bool isLoaded() const { return m_loaded; }

    // Where Qt's catalogues are installed.
    static QString defaultFolder();

private:
    QTranslator m_translator;
    bool m_loaded = false;
};

} // namespace app
