#include <map>

#include <QMenu>
#include <QTest>

#include "SignInFixture.h"
#include "core/MsgBox.h"
#include "diadoc/PersonRecord.h"
#include "mainwindow/OrganisationTree.h"

namespace mainwindow::test {

namespace {

const QString kTitle = u"Ларимо-9: Фетчлинг."_s;

QStringList texts(const std::vector<run::OrgNode>& nodes)
{
    QStringList result;
    for (const run::OrgNode& node : nodes)
        result.append(node.key.text());
    return result;
}

} // namespace

class OrganisationTreeTest : public SignInFixture
{
protected:
    std::unique_ptr<TestWindow> shown()
    {
        auto window = load();
        window->resize(1000, 700);
        window->show();
        QCoreApplication::processEvents();
        return window;
    }

    QMenu& popupMenu(const TestWindow& window) const { return *window.controls().thePopupMenu; }

    // A right click in the row of a node at x.
    void rightClick(const TestWindow& window, const QString& key, int x)
    {
        QTreeWidget* tree = window.controls().theTreeViewPersons;
        const QRect row = tree->visualItemRect(node(window, key));
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(x, row.center().y()));
    }
};

TEST_F(OrganisationTreeTest, TheTreeShowsTheOrganisationsWithTheirDepartmentsInTheOrderOfTheList)
{
    options.Set_OrgChecked(u"depd-south"_s, 0);
    options.Set_OrgChecked(kBetaUnpaid, 1);
    const auto window = shown();

    EXPECT_EQ(keys(*window), kAllNodes);
    const QTreeWidget& tree = *window->controls().theTreeViewPersons;
    ASSERT_EQ(tree.topLevelItemCount(), 4);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), u"ООО «Альфа» (7701000001/770101001)"_s);
    EXPECT_EQ(tree.topLevelItem(1)->text(0), u"ИП Альфа-Опт (7701000001/)"_s);
    EXPECT_EQ(node(*window, kStore)->text(0), u"Склад"_s);
    EXPECT_EQ(node(*window, kStore)->parent(), node(*window, kNorth));
    // Lists with departments are opened; organisations without access have no departments.
    EXPECT_TRUE(node(*window, kAlpha)->isExpanded());
    EXPECT_TRUE(node(*window, kNorth)->isExpanded());
    EXPECT_TRUE(node(*window, kAlphaNoKpp)->isExpanded());
    EXPECT_EQ(node(*window, kBetaUnpaid)->childCount(), 0);
    EXPECT_EQ(node(*window, kGammaFailing)->childCount(), 0);
    // Stored ticks, absent ones ticked; no access never ticked.
    EXPECT_EQ(tickedKeys(*window), (QStringList{kAlpha, kNorth, kStore, kAlphaNoKpp, kShop}));

    EXPECT_EQ(texts(window->organisationTree().nodes()), kAllNodes);
    EXPECT_EQ(texts(window->organisationTree().tickedNodes()),
              (QStringList{kAlpha, kNorth, kStore, kAlphaNoKpp, kShop}));
    EXPECT_EQ(window->organisationTree().nodes()[2].fullPath,
              u"ООО «Альфа» (7701000001/770101001)\\Филиал «Север»\\Склад"_s);
    testsupport::screenshot(*window, u"mainwindow-organisation-tree"_s);
}

// One row of the ticks table: the stored ticks, the user's changes, and what the tree then shows.
struct TickCase
{
    const char* name;
    std::map<QString, int> stored;
    QStringList tickedAfterFilling;
    QStringList userToggles;
    QStringList tickedAfterwards;
};

void PrintTo(const TickCase& c, std::ostream* out)
{
    *out << c.name;
}

class OrganisationTreeTickTest : public OrganisationTreeTest, public testing::WithParamInterface<TickCase>
{
};

TEST_P(OrganisationTreeTickTest, TicksSpreadDownFromTheUsersChangesOnly)
{
    const TickCase& c = GetParam();
    for (const auto& [name, value] : c.stored)
        options.Set_OrgChecked(name, value);
    const auto window = shown();
    EXPECT_EQ(tickedKeys(*window), c.tickedAfterFilling);
    for (const QString& key : c.userToggles)
        userToggle(*window, key);
    EXPECT_EQ(tickedKeys(*window), c.tickedAfterwards);
    EXPECT_EQ(texts(window->organisationTree().tickedNodes()), c.tickedAfterwards);
    // Nothing reaches the store before the window is closed.
    for (const auto& [name, value] : c.stored)
        EXPECT_EQ(options.Get_OrgChecked(name), value) << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ticks, OrganisationTreeTickTest,
                         testing::Values(
                             // The filling takes each node's own stored tick and spreads nothing.
                             TickCase{"FillingDoesNotSpread",
                                      {{u"depd-north"_s, 0}, {kAlphaNoKpp, 0}},
                                      {kAlpha, kStore, kSouth, kShop},
                                      {},
                                      {kAlpha, kStore, kSouth, kShop}},
                             TickCase{"UntickingAnOrganisationUnticksEverythingBelow",
                                      {},
                                      {kAlpha, kNorth, kStore, kSouth, kAlphaNoKpp, kShop},
                                      {kAlpha},
                                      {kAlphaNoKpp, kShop}},
                             TickCase{"TickingADepartmentTicksItsSubdepartmentsNotItsOrganisation",
                                      {{kAlpha, 0}, {u"depd-north"_s, 0}, {u"depd-store"_s, 0}, {u"depd-south"_s, 0}},
                                      {kAlphaNoKpp, kShop},
                                      {kNorth},
                                      {kNorth, kStore, kAlphaNoKpp, kShop}},
                             TickCase{"UntickingASubdepartmentLeavesTheNodesAbove",
                                      {},
                                      {kAlpha, kNorth, kStore, kSouth, kAlphaNoKpp, kShop},
                                      {kStore},
                                      {kAlpha, kNorth, kSouth, kAlphaNoKpp, kShop}},
                             TickCase{"AnOrganisationWithoutKppLeavesItsSameInnSiblings",
                                      {{kAlpha, 0}, {u"depd-north"_s, 0}, {u"depd-store"_s, 0}, {u"depd-south"_s, 0}},
                                      {kAlphaNoKpp, kShop},
                                      {kAlphaNoKpp, kAlphaNoKpp},
                                      {kAlphaNoKpp, kShop}},
                             TickCase{"UntickingAnOrganisationWithoutKppLeavesItsSameInnSiblings",
                                      {},
                                      {kAlpha, kNorth, kStore, kSouth, kAlphaNoKpp, kShop},
                                      {kAlphaNoKpp},
                                      {kAlpha, kNorth, kStore, kSouth}},
                             TickCase{"TickingAnOrganisationTicksEverythingBelow",
                                      {{kAlpha, 0}, {u"depd-north"_s, 0}, {u"depd-store"_s, 0}},
                                      {kSouth, kAlphaNoKpp, kShop},
                                      {kAlpha},
                                      {kAlpha, kNorth, kStore, kSouth, kAlphaNoKpp, kShop}}),
                         [](const testing::TestParamInfo<TickCase>& row) { return std::string(row.param.name); });

TEST_F(OrganisationTreeTest, TickingAnOrganisationWithoutAccessExplainsWhyAndLeavesItTicked)
{
    const auto window = shown();
    ui.expectBox(core::msgbox::vbOK);
    userToggle(*window, kBetaUnpaid);

    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes[0].prompt,
              u"ООО «Бета»\r\nИНН: 7802000003, КПП: 780201001\r\nGuid в Диадок: box-beta\r\n\r\n"
              u"Доступ к Диадок через Диадок API отсутствует.\r\nПри попытке получения списка типов "
              u"документов организации, Диадок API сообщил: \r\n\"Доступ запрещён. Необходима "
              u"оплата тарифа АПИ\".\r\n\r\nВыгрузка документов данной организации невозможна."_s);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbOKOnly | core::msgbox::vbInformation);
    EXPECT_EQ(ui.boxes[0].title, kTitle);
    EXPECT_TRUE(tickedKeys(*window).contains(kBetaUnpaid));

    // Unticking it asks nothing.
    userToggle(*window, kBetaUnpaid);
    EXPECT_EQ(ui.boxes.size(), 1U);
    EXPECT_FALSE(tickedKeys(*window).contains(kBetaUnpaid));
}

TEST_F(OrganisationTreeTest, TheUsersTicksReachTheStoreWhenTheWindowCloses)
{
    const auto window = shown();
    userToggle(*window, kNorth);
    userToggle(*window, kAlphaNoKpp);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(options.Get_OrgChecked(kAlpha), 1);
    EXPECT_EQ(options.Get_OrgChecked(u"depd-north"_s), 0);
    EXPECT_EQ(options.Get_OrgChecked(u"depd-store"_s), 0);
    EXPECT_EQ(options.Get_OrgChecked(u"depd-south"_s), 1);
    EXPECT_EQ(options.Get_OrgChecked(kAlphaNoKpp), 0);
    EXPECT_EQ(options.Get_OrgChecked(u"depd-shop"_s), 0);
    EXPECT_EQ(options.Get_OrgChecked(kBetaUnpaid), 0);
}

TEST_F(OrganisationTreeTest, OfTwoBoxesWithOneInnAndKppTheOneWithAccessIsShown)
{
    QJsonObject unpaid = organisation(u"box-first"_s, u"7701000001"_s, u"770101001"_s, u"Первый ящик"_s);
    unpaid.insert(u"tariff"_s, u"unpaid"_s);
    const QJsonObject paid = organisation(u"box-second"_s, u"7701000001"_s, u"770101001"_s, u"Второй ящик"_s,
                                          {QJsonObject{{u"id"_s, u"d-one"_s}, {u"name"_s, u"Отдел"_s}}});
    const QJsonObject third = organisation(u"box-third"_s, u"7701000001"_s, u"770101001"_s, u"Третий ящик"_s);
    writeSandbox({unpaid, paid, third});
    const auto window = shown();

    EXPECT_EQ(keys(*window), (QStringList{kAlpha, kAlpha + u"|depd-one"_s}));
    EXPECT_EQ(node(*window, kAlpha)->text(0), u"Второй ящик (7701000001/770101001)"_s);
    EXPECT_EQ(window->organisationTree().organisations().persons->Item(kAlpha)->Name, u"Второй ящик"_s);
}

// The details message for each kind of access.
struct DetailsCase
{
    const char* name;
    QString key;
    QString prompt;
    int icon;
};

void PrintTo(const DetailsCase& c, std::ostream* out)
{
    *out << c.name;
}

class OrganisationDetailsTest : public OrganisationTreeTest, public testing::WithParamInterface<DetailsCase>
{
};

TEST_P(OrganisationDetailsTest, TheRightClickMenuShowsTheDetailsOfAnOrganisation)
{
    const auto window = shown();
    // The empty part of the row, right of the text, is the node's too.
    rightClick(*window, GetParam().key, window->controls().theTreeViewPersons->viewport()->width() - 5);
    QMenu& menu = popupMenu(*window);
    ASSERT_TRUE(menu.isVisible());
    ASSERT_EQ(menu.actions().size(), 1);
    QAction* details = menu.actions().constFirst();
    EXPECT_EQ(details->objectName(), u"details"_s);
    EXPECT_EQ(details->text(), u"Подробности"_s);
    EXPECT_EQ(window->controls().theTreeViewPersons->currentItem(), node(*window, GetParam().key));

    ui.expectBox(core::msgbox::vbOK);
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(details).center());
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes[0].prompt, GetParam().prompt);
    EXPECT_EQ(ui.boxes[0].style, core::msgbox::vbOKOnly | GetParam().icon);
    EXPECT_EQ(ui.boxes[0].title, kTitle);
}

INSTANTIATE_TEST_SUITE_P(
    Details, OrganisationDetailsTest,
    testing::Values(DetailsCase{"WithAccess", kAlpha,
                                u"ООО «Альфа»\r\nИНН: 7701000001, КПП: 770101001\r\nGuid в Диадок: box-alpha\r\n\r\n"
                                u"Доступ к Диадок через Диадок API есть."_s,
                                core::msgbox::vbInformation},
                    DetailsCase{"WithoutKpp", kAlphaNoKpp,
                                u"ИП Альфа-Опт\r\nИНН: 7701000001\r\nGuid в Диадок: box-alpha-opt\r\n\r\n"
                                u"Доступ к Диадок через Диадок API есть."_s,
                                core::msgbox::vbInformation},
                    DetailsCase{
                        "TypesFailed", kGammaFailing,
                        u"АО «Гамма»\r\nИНН: 5003000005, КПП: 500301001\r\nGuid в Диадок: box-gamma\r\n\r\n"
                        u"Не удалось получить список типов документов организации.\r\nДиадок API выдал сообщение:\r\n"
                        u"\"##100[Ошибка сервера Диадок]code:503, HTTP error: Сервис недоступен\""
                        u"\r\n\r\nВыгрузка документов данной организации невозможна."_s,
                        core::msgbox::vbCritical}),
    [](const testing::TestParamInfo<DetailsCase>& row) { return std::string(row.param.name); });

TEST_F(OrganisationTreeTest, TheMenuOpensForOrganisationsAlone)
{
    const auto window = shown();
    QTreeWidget* tree = window->controls().theTreeViewPersons;

    // Left of a department's text the row is probed from the left edge: the department is found,
    // selected, and gets no menu.
    rightClick(*window, kStore, 1);
    EXPECT_EQ(tree->currentItem(), node(*window, kStore));
    EXPECT_FALSE(popupMenu(*window).isVisible());

    // Below the last node nothing is found.
    const QRect last = tree->visualItemRect(node(*window, kGammaFailing));
    ASSERT_LT(last.bottom() + 10, tree->viewport()->height());
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(20, last.bottom() + 10));
    EXPECT_EQ(tree->currentItem(), node(*window, kStore));
    EXPECT_FALSE(popupMenu(*window).isVisible());

    // The menu key opens it for the selected organisation; a left click does nothing of the kind.
    tree->setCurrentItem(node(*window, kAlphaNoKpp));
    QTest::keyClick(tree, Qt::Key_Menu);
    ASSERT_TRUE(popupMenu(*window).isVisible());
    popupMenu(*window).hide();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node(*window, kAlpha)).center());
    EXPECT_FALSE(popupMenu(*window).isVisible());
    // With Ctrl held the menu key is no menu key.
    QTest::keyClick(tree, Qt::Key_Menu, Qt::ControlModifier);
    EXPECT_FALSE(popupMenu(*window).isVisible());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OrganisationTreeTest, UnknownCommandsAndDepartmentsShowNoDetails)
{
    const auto window = shown();
    window->controls().theTreeViewPersons->setCurrentItem(node(*window, kNorth));
    window->organisationTree().HandleActionCommand(u"details"_s);
    window->organisationTree().HandleActionCommand(u"select_all"_s);
    window->organisationTree().ShowPersonDetails(nullptr);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

} // namespace mainwindow::test
