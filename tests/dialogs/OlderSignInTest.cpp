#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "DialogsFixture.h"
#include "dialogs/frmDiadocAutorization.h"

using namespace Qt::StringLiterals;
using dialogs::frmDiadocAutorization;
using Variant = dialogs::frmDiadocAutorization::Variant;

namespace {

class OlderSignInTest : public ::testing::Test, public dialogstest::DialogsFixture
{
protected:
    OlderSignInTest()
    {
        writeCertificateSandbox({QJsonObject{{u"thumbprint"_s, u"AAAA"_s},
                                             {u"name"_s, u"Алексеев"_s},
                                             {u"beginDate"_s, u"2023-02-01"_s},
                                             {u"endDate"_s, u"2026-03-04T10:00:00"_s},
                                             {u"qualified"_s, true}}});
        options.Set_KeyDiadocAPI(u"  ключ  "_s);
        options.Set_Login(u"buh"_s);
        options.Set_Password(u"было"_s);
    }
};

TEST_F(OlderSignInTest, EveryVariantNamesCertificatesByTheYearTheyEnd)
{
    for (const Variant variant :
         {Variant::frmDiadocAutorization, Variant::frmDiadocAutorization1, Variant::frmDiadocAutorization3}) {
        frmDiadocAutorization dialog(variant, ui, options, diadoc, clock);
        QString text;
        QString caption;
        dialogstest::whenShown([&] {
            text = dialog.findChild<QTreeWidget*>(u"theTreeViewCertificates"_s)->topLevelItem(0)->text(0);
            caption = dialog.windowTitle();
            testsupport::screenshot(dialog, dialog.objectName());
            dialog.findChild<QPushButton*>(u"theCancel"_s)->click();
        });
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(text, u"Алексеев 2026 (действителен до 04.03.2026)"_s);
        EXPECT_EQ(caption, u"Ларимо-9: Фетчлинг. Авторизация"_s);
    }
}

TEST_F(OlderSignInTest, TheKeyIsOnATabOfItsOwnOrHidden)
{
    struct Case
    {
        Variant variant;
        int tabs;
        bool keyShown;
    };
    for (const Case c : {Case{Variant::frmDiadocAutorization, 2, true}, Case{Variant::frmDiadocAutorization1, 1, false},
                         Case{Variant::frmDiadocAutorization3, 1, false}}) {
        frmDiadocAutorization dialog(c.variant, ui, options, diadoc, clock);
        int tabs = 0;
        bool keyShown = false;
        QString key;
        dialogstest::whenShown([&] {
            auto* tabWidget = dialog.findChild<QTabWidget*>(u"theTabs"_s);
            tabs = tabWidget->count();
            auto* keyBox = dialog.findChild<QLineEdit*>(u"theKeyDiadocAPI"_s);
            tabWidget->setCurrentIndex(tabs - 1);
            keyShown = keyBox->isVisible();
            key = keyBox->text();
            dialog.findChild<QPushButton*>(u"theCancel"_s)->click();
        });
        dialog.Execute();
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_EQ(keyShown, c.keyShown);
        EXPECT_EQ(key, u"  ключ  "_s);
    }
}

TEST_F(OlderSignInTest, SigningInStoresTheTrimmedKeyAndLeavingStoresNothing)
{
    struct Case
    {
        const char16_t* button;
        bool result;
    };
    for (const Case c : {Case{u"theCancel", false}, Case{u"theButtomAutorization", true}}) {
        frmDiadocAutorization dialog(Variant::frmDiadocAutorization1, ui, options, diadoc, clock);
        dialogstest::whenShown([&] {
            dialog.findChild<QLineEdit*>(u"thePassword"_s)->setText(u"стало"_s);
            dialog.findChild<QPushButton*>(QString::fromUtf16(c.button))->click();
        });
        EXPECT_EQ(dialog.Execute(), c.result);
        EXPECT_EQ(options.Get_KeyDiadocAPI(), c.result ? u"ключ"_s : u"  ключ  "_s);
        EXPECT_EQ(options.GetDefault_Password(), c.result ? u"стало"_s : u"было"_s);
    }
    EXPECT_TRUE(ui.boxes.empty()) << "the older forms never ask whether to save";
}

TEST_F(OlderSignInTest, ClosingFromTheFrameStoresNothing)
{
    frmDiadocAutorization dialog(Variant::frmDiadocAutorization, ui, options, diadoc, clock);
    dialogstest::whenShown([&] {
        dialog.findChild<QLineEdit*>(u"theLogin"_s)->setText(u"другой"_s);
        dialog.close();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(options.Get_Login(), u"buh"_s);
    EXPECT_TRUE(ui.boxes.empty());
}

} // namespace
