#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/StandardTexts.h"
#include "core/widgets/QtUiServices.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace {

// The texts of the buttons of the next question box that QtUiServices shows, pressing Yes.
QStringList buttonsOfTheNextBox()
{
    auto texts = std::make_shared<QStringList>();
    QTimer::singleShot(0, [texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        for (const QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No})
            texts->append(box->button(button)->text().remove(u'&'));
        box->button(QMessageBox::Yes)->click();
    });
    core::QtUiServices ui(false);
    EXPECT_EQ(ui.msgBox(u"Продолжить?"_s, vbYesNo | vbQuestion, u"Вопрос"_s), vbYes);
    return *texts;
}

QStringList menuTexts(QLineEdit& edit)
{
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->text().remove(u'&').section(u'\t', 0, 0));
    return texts;
}

} // namespace

TEST(StandardTexts, QuestionBoxFolderBrowserAndTextMenusSpeakRussian)
{
    // The user's own locale does not choose the catalogue.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(QFile::exists(app::StandardTexts::defaultFolder() + u"/qtbase_ru.qm"_s))
        << "Qt's Russian catalogue is missing: scripts/setup.sh installs qt6-translations-l10n";
    const app::StandardTexts texts;
    ASSERT_TRUE(texts.isLoaded());

    EXPECT_EQ(buttonsOfTheNextBox(), (QStringList{u"Да"_s, u"Нет"_s}));

    QFileDialog browser(nullptr, u"Выберите папку"_s);
    browser.setOption(QFileDialog::DontUseNativeDialog);
    browser.setFileMode(QFileDialog::Directory);
    const auto* lookIn = browser.findChild<QLabel*>(u"lookInLabel"_s);
    ASSERT_NE(lookIn, nullptr);
    EXPECT_EQ(lookIn->text().remove(u'&'), u"Перейти к:"_s);
    const auto* buttons = browser.findChild<QDialogButtonBox*>(u"buttonBox"_s);
    ASSERT_NE(buttons, nullptr);
    QStringList buttonTexts;
    for (const QAbstractButton* button : buttons->buttons())
        buttonTexts.append(button->text().remove(u'&'));
    EXPECT_EQ(buttonTexts, (QStringList{u"Выбрать"_s, u"Отмена"_s}));

    QLineEdit edit(u"текст"_s);
    const QStringList menu = menuTexts(edit);
    EXPECT_TRUE(menu.contains(u"Копировать"_s)) << menu.join(u", "_s).toStdString();
    EXPECT_TRUE(menu.contains(u"Вставить"_s)) << menu.join(u", "_s).toStdString();
    QLocale::setDefault(QLocale::system());
}

TEST(StandardTexts, AMissingCatalogueLeavesQtsOwnTexts)
{
    const QTemporaryDir empty;
    {
        const app::StandardTexts texts(empty.path());
        EXPECT_FALSE(texts.isLoaded());
        EXPECT_EQ(buttonsOfTheNextBox(), (QStringList{u"Yes"_s, u"No"_s}));
    }
    // Loaded and let go: Qt's texts come back with the object.
    {
        const app::StandardTexts texts;
        ASSERT_TRUE(texts.isLoaded());
    }
    EXPECT_EQ(buttonsOfTheNextBox(), (QStringList{u"Yes"_s, u"No"_s}));
}
