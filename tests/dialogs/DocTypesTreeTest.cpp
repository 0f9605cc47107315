#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "OptionsFixture.h"

namespace optionstest {

namespace {

const QString kDocTypesKey = u"Software\\Quorvel Labs\\N7_Fetchling\\Options\\DocTypes"_s;

} // namespace

class DocTypesTreeTest : public OptionsDialogTest
{
protected:
    QTreeWidget* tree() const { return child<QTreeWidget>(u"theTreeDocTypes"_s); }
    QStringList texts() const
    {
        QStringList result;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            result.append(tree()->topLevelItem(i)->text(0));
        return result;
    }
    QList<Qt::CheckState> ticks() const
    {
        QList<Qt::CheckState> result;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            result.append(tree()->topLevelItem(i)->checkState(0));
        return result;
    }
    QStringList storedTypes() const
    {
        return registry.registry.valueNames(platform::registry::Hive::User, kDocTypesKey);
    }
    // Opens the popup with the right mouse button and chooses a tool of it.
    void choose(const QString& tool) const
    {
        QTest::mousePress(tree()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
        auto* popup = dialog.findChild<QMenu*>(u"popup"_s);
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->isVisible());
        QStringList tools;
        for (const QAction* action : popup->actions())
            tools.append(action->objectName());
        EXPECT_EQ(tools, (QStringList{u"select_all"_s, u"unselect_all"_s, u"reverse_all"_s}));
        for (QAction* action : popup->actions()) {
            if (action->objectName() == tool) {
                popup->hide();
                action->trigger();
            }
        }
        QTest::mouseRelease(tree()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    }

    Organisation first{{{u"Waybill"_s, u"Накладная"_s}, {u"Invoice"_s, u"Счёт-фактура"_s}, {u"Act"_s, u"Акт"_s}}};
    Organisation second{{{u"invoice"_s, u"Счёт второй организации"_s}, {u"Contract"_s, u"Договор"_s}}};
    Organisation without{{}};
};

TEST_F(DocTypesTreeTest, TypesOfAllOrganisationsOnceSortedByTextWithTheirStoredTicks)
{
    registry.utility.RegistrySetValue(kDocTypesKey, u"Act"_s, 5);
    registry.utility.RegistrySetValue(kDocTypesKey, u"Waybill"_s, 0);
    registry.utility.RegistrySetValue(kDocTypesKey, u"Invoice"_s, 1);
    options.Set_SelectiveDocTypes(1);
    dialogstest::whenShown([&] {
        EXPECT_EQ(texts(), (QStringList{u"Акт (Act)"_s, u"Договор (Contract)"_s, u"Накладная (Waybill)"_s,
                                        u"Счёт-фактура (Invoice)"_s}))
            << "a type two organisations share is listed once, with the first one's title";
        EXPECT_EQ(ticks(), (QList<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::Unchecked, Qt::Checked}));
        EXPECT_TRUE(tree()->isEnabled());
        child<QTabWidget>(u"theTabs"_s)->setCurrentIndex(1);
        tree()->setFocus();
        testsupport::screenshot(dialog, u"options-doctypes-filled"_s);
        button(u"theOK"_s)->click();
    });
    execute({&first, &without, &second});
    EXPECT_EQ(registry.utility.RegistryGetLong(kDocTypesKey, u"Act"_s, -1), 1) << "a value other than 0 is stored as 1";
    EXPECT_EQ(registry.utility.RegistryGetLong(kDocTypesKey, u"Contract"_s, -1), 0);
    EXPECT_EQ(registry.utility.RegistryGetLong(kDocTypesKey, u"Invoice"_s, -1), 1);
}

TEST_F(DocTypesTreeTest, WithoutOrganisationsTheTreeIsEmptyAndOkStoresNoType)
{
    dialogstest::whenShown([&] {
        EXPECT_EQ(tree()->topLevelItemCount(), 0);
        button(u"theOK"_s)->click();
    });
    execute({&without});
    EXPECT_TRUE(storedTypes().isEmpty());
}

TEST_F(DocTypesTreeTest, TheSelectiveBoxEnablesTheTreeAndColoursItsTexts)
{
    dialogstest::whenShown([&] {
        EXPECT_FALSE(box(u"theCheckBoxSelectiveDocTypes"_s)->isChecked());
        EXPECT_FALSE(tree()->isEnabled());
        const QPalette& palette = tree()->palette();
        EXPECT_EQ(tree()->topLevelItem(0)->foreground(0).color(), palette.color(QPalette::Disabled, QPalette::Text));
        box(u"theCheckBoxSelectiveDocTypes"_s)->setChecked(true);
        EXPECT_TRUE(tree()->isEnabled());
        EXPECT_EQ(tree()->topLevelItem(0)->foreground(0).color(),
                  palette.color(QPalette::Active, QPalette::ButtonText));
        button(u"theOK"_s)->click();
    });
    execute({&first});
    EXPECT_EQ(options.Get_SelectiveDocTypes(), 1);
}

TEST_F(DocTypesTreeTest, PopupCommandsChangeTheTicksAndOkStoresThemForListedTypesOnly)
{
    registry.utility.RegistrySetValue(kDocTypesKey, u"Invoice"_s, 1);
    registry.utility.RegistrySetValue(kDocTypesKey, u"Other"_s, 1); // of no organisation listed
    dialogstest::whenShown([&] {
        choose(u"select_all"_s);
        EXPECT_EQ(ticks(), QList<Qt::CheckState>(3, Qt::Checked)) << "the commands work on a disabled tree too";
        choose(u"reverse_all"_s);
        EXPECT_EQ(ticks(), QList<Qt::CheckState>(3, Qt::Unchecked));
        tree()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        choose(u"reverse_all"_s);
        EXPECT_EQ(ticks(), (QList<Qt::CheckState>{Qt::Unchecked, Qt::Checked, Qt::Checked}));
        choose(u"unselect_all"_s);
        EXPECT_EQ(ticks(), QList<Qt::CheckState>(3, Qt::Unchecked));
        EXPECT_EQ(registry.utility.RegistryGetLong(kDocTypesKey, u"Invoice"_s, -1), 1) << "nothing stored yet";
        button(u"theOK"_s)->click();
    });
    execute({&first});
    for (const QString& key : {u"Act"_s, u"Invoice"_s, u"Waybill"_s})
        EXPECT_EQ(registry.utility.RegistryGetLong(kDocTypesKey, key, -1), 0) << key.toStdString();
    EXPECT_EQ(registry.utility.RegistryGetLong(kDocTypesKey, u"Other"_s, -1), 1);
}

TEST_F(DocTypesTreeTest, TheMenuKeyOpensThePopupToo)
{
    dialogstest::whenShown([&] {
        QTest::keyClick(tree(), Qt::Key_Menu);
        auto* popup = dialog.findChild<QMenu*>(u"popup"_s);
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->isVisible());
        EXPECT_EQ(popup->actions().size(), 3);
        popup->hide();
        QTest::keyClick(tree(), Qt::Key_Menu, Qt::ShiftModifier);
        EXPECT_FALSE(popup->isVisible()) << "only the key alone";
        button(u"theCancel"_s)->click();
    });
    execute({&first});
}

} // namespace optionstest
