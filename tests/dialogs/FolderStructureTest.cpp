#include <QCheckBox>
#include <QPushButton>

#include "OptionsFixture.h"
#include "dialogs/Twips.h"

namespace optionstest {

namespace {

const QString kPackageDocument = u"[Пакет\\]Документ"_s;

} // namespace

using FolderStructureTest = OptionsDialogTest;

TEST_F(FolderStructureTest, TheDefaultChainStandsOnFourLinesWithTheBreaksBoldAndIndented)
{
    dialogstest::whenShown([&] {
        const QRect first = combo(0)->geometry();
        EXPECT_EQ(first.topLeft(), QPoint(27, 113));
        // Each "\" opens a line 240 twips further in than the one before.
        EXPECT_EQ(combo(1)->geometry().topLeft(), QPoint(dialogs::twipsToPixels(405), dialogs::twipsToPixels(2010)));
        EXPECT_EQ(combo(3)->geometry().topLeft(), QPoint(dialogs::twipsToPixels(645), dialogs::twipsToPixels(2325)));
        EXPECT_EQ(combo(5)->geometry().topLeft(), QPoint(dialogs::twipsToPixels(885), dialogs::twipsToPixels(2640)));
        EXPECT_EQ(combo(2)->geometry().topLeft(), QPoint(dialogs::twipsToPixels(915), dialogs::twipsToPixels(2010)))
            << "an element follows its delimiter on the same line";
        EXPECT_EQ(combo(1)->width(), 34);
        EXPECT_EQ(combo(2)->width(), 160);
        for (const int i : {1, 3, 5})
            EXPECT_TRUE(combo(i)->font().bold()) << i;
        EXPECT_FALSE(combo(0)->font().bold());
        // Elements followed by a delimiter show their text as tool tip; the last one and the
        // delimiters show none.
        EXPECT_EQ(combo(0)->toolTip(), u"Наименование организации"_s);
        EXPECT_EQ(combo(4)->toolTip(), u"Наименование контрагента"_s);
        EXPECT_EQ(combo(1)->toolTip(), QString());
        EXPECT_EQ(combo(6)->toolTip(), QString());
        // The chain reaches below the design place of the frame under it, so the dialog has grown.
        const QWidget* frame = child<QWidget>(u"theFrameExclude"_s);
        const int chainBottom = combo(6)->geometry().bottom() + 1;
        EXPECT_GE(frame->geometry().top(), chainBottom + 6 - 1) << "90 twips stay free above the frame";
        EXPECT_LE(frame->geometry().top(), chainBottom + 6 + 1);

        pick(1, u"-"_s);
        QApplication::processEvents();
        EXPECT_FALSE(combo(1)->font().bold());
        EXPECT_EQ(combo(2)->geometry().top(), combo(0)->geometry().top()) << "without the break, one line less";
        EXPECT_EQ(combo(1)->geometry().left(), combo(0)->geometry().right() + 1);
        button(u"theCancel"_s)->click();
    });
    execute();
}

TEST_F(FolderStructureTest, TheDocumentElementEndsTheChainWhereverItIsChosen)
{
    dialogstest::whenShown([&] {
        pick(2, u"Документ"_s);
        EXPECT_EQ(chain(), (QStringList{u"Наименование организации"_s, u"\\"_s, u"Документ"_s}));
        for (int i = 3; i <= 6; ++i)
            EXPECT_TRUE(combo(i)->isHidden()) << i;
        pick(2, u"Месяц"_s);
        EXPECT_EQ(chain(), (QStringList{u"Наименование организации"_s, u"\\"_s, u"Месяц"_s, u"\\"_s, u"Документ"_s}))
            << "the earlier choices behind it are gone";
        EXPECT_TRUE(combo(5)->isHidden());
        EXPECT_EQ(combo(3)->font().bold(), true);
        pick(0, u"Документ"_s);
        EXPECT_EQ(chain(), QStringList{u"Документ"_s});
        EXPECT_FALSE(box(u"theCheckBoxExcludeNegligible"_s)->isEnabled()) << "no name in the chain";
        pick(0, u"Наименование контрагента"_s);
        EXPECT_TRUE(box(u"theCheckBoxExcludeNegligible"_s)->isEnabled());
        EXPECT_EQ(chain(), (QStringList{u"Наименование контрагента"_s, u"\\"_s, u"Документ"_s}));
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_StructurePath(), u"Наименование контрагента?\\?Документ"_s);
}

TEST_F(FolderStructureTest, StoredPatternsAreShownAsTheChainAllowsAndStoredBackAsShown)
{
    struct Case
    {
        QString stored;
        QString shown;
    };
    const Case cases[] = {
        {u"ИНН организации?-?Год?_?Месяц? ?Документ"_s, u"ИНН организации?-?Год?_?Месяц? ?Документ"_s},
        {u"Год"_s, u"Год?\\?Документ"_s},
        {u"Год?\\?Квартал?-"_s, u"Год?\\?Квартал?-?Документ"_s},
        {QString(), u"Документ"_s},
        {u"ИНН?\\?Год"_s, u"Документ"_s},
        {u"Год?\\?Ерунда?\\?Месяц"_s, u"Год?\\?Документ"_s},
        {u"Год?+?Месяц?\\?Документ"_s, u"Год?\\?Месяц?\\?Документ"_s},
        {u"Документ?\\?Год"_s, u"Документ"_s},
        {u"год?\\?Документ"_s, u"Документ"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        options.Set_StructurePath(c.stored);
        dialogs::frmOptions other(ui, options);
        QStringList shown;
        dialogstest::whenShown([&] {
            for (int i = 0; auto* list = other.findChild<QComboBox*>(u"theComboBox(%1)"_s.arg(i)); ++i) {
                if (!list->isHidden())
                    shown.append(list->currentText());
            }
            other.findChild<QPushButton*>(u"theOK"_s)->click();
        });
        other.Execute({});
        EXPECT_EQ(shown.join(u'?'), c.shown);
        EXPECT_EQ(options.Get_StructurePath(), c.shown);
    }
}

TEST_F(FolderStructureTest, TheDocumentElementFollowsThePackageOption)
{
    options.Set_GroupIntoPackages(1);
    options.Set_StructurePath(u"Год?\\?"_s + kPackageDocument);
    dialogstest::whenShown([&] {
        EXPECT_EQ(chain(), (QStringList{u"Год"_s, u"\\"_s, kPackageDocument}));
        EXPECT_EQ(combo(0)->itemText(12), kPackageDocument) << "combo 0 changes with the package box";
        EXPECT_EQ(combo(1)->itemText(0), u"\\"_s) << "delimiter lists keep their items";
        box(u"theCheckBoxGroupIntoPackages"_s)->setChecked(false);
        EXPECT_EQ(combo(0)->itemText(12), u"Документ"_s);
        EXPECT_EQ(combo(2)->currentText(), u"Документ"_s) << "the selection stays on its position";
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_StructurePath(), u"Год?\\?Документ"_s);
    EXPECT_EQ(options.Get_GroupIntoPackages(), 0);
}

TEST_F(FolderStructureTest, NewElementListsFollowTheStoredOptionNotTheBox)
{
    options.Set_StructurePath(u"Год?\\?Документ"_s);
    dialogstest::whenShown([&] {
        QCheckBox* packages = box(u"theCheckBoxGroupIntoPackages"_s);
        packages->setChecked(true);
        EXPECT_EQ(combo(2)->currentText(), kPackageDocument);
        pick(2, u"Месяц"_s);
        EXPECT_EQ(combo(4)->currentText(), u"Документ"_s) << "made with the stored option, which is off";
        packages->setChecked(false);
        packages->setChecked(true);
        EXPECT_EQ(combo(4)->currentText(), kPackageDocument);
        button(u"theOK"_s)->click();
    });
    execute();
    EXPECT_EQ(options.Get_StructurePath(), u"Год?\\?Месяц?\\?"_s + kPackageDocument);
}

TEST_F(FolderStructureTest, TheDialogGrowsToTheChainAndNeverShrinksWithIt)
{
    options.Set_StructurePath(u"Документ"_s);
    dialogstest::whenShown([&] {
        const QSize start = dialog.size();
        const QWidget* panel = child<QWidget>(u"theTabPanelProtocol"_s);
        for (const QString& element : {u"ИНН организации"_s, u"ИНН-КПП организации"_s, u"Год"_s, u"Месяц"_s}) {
            const int last = static_cast<int>(chain().size()) - 1;
            pick(last, element);
            pick(last + 1, u"-"_s);
        }
        QApplication::processEvents();
        const int last = static_cast<int>(chain().size()) - 1;
        ASSERT_EQ(last, 8);
        EXPECT_GT(dialog.width(), start.width());
        const int rightEdge = combo(last)->geometry().right() + 1 + dialogs::twipsToPixels(180);
        EXPECT_GE(panel->width(), rightEdge - 1) << "the chain fits the panel with its margin";
        EXPECT_LE(panel->width(), rightEdge + 1);

        pick(1, u"\\"_s);
        pick(3, u"\\"_s);
        pick(5, u"\\"_s);
        pick(7, u"\\"_s);
        QApplication::processEvents();
        const QWidget* frame = child<QWidget>(u"theFrameExclude"_s);
        EXPECT_GT(dialog.height(), start.height());
        EXPECT_GE(frame->geometry().top() + 1, combo(8)->geometry().bottom() + 1 + 6);

        testsupport::screenshot(dialog, u"options-main-long-chain"_s);
        const QSize grown = dialog.size();
        pick(0, u"Документ"_s);
        QApplication::processEvents();
        EXPECT_EQ(dialog.size(), grown) << "a shorter chain leaves the dialog as it is";
        button(u"theCancel"_s)->click();
    });
    execute();
}

} // namespace optionstest
