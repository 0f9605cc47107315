#include <gtest/gtest.h>

#include "app/CommandLine.h"

using namespace Qt::StringLiterals;

struct CommandLineCase
{
    QStringList arguments;
    bool autostart;
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase>
{
};

TEST_P(CommandLineTest, RecognisesTheAutostartSwitchAnywhereInAnyCase)
{
    EXPECT_EQ(app::CommandLine::parse(GetParam().arguments).autostart, GetParam().autostart);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTest,
    testing::Values(
        CommandLineCase{{u"N7_Fetchling"_s}, false}, CommandLineCase{{u"N7_Fetchling"_s, u"/AUTOSTART"_s}, true},
        CommandLineCase{{u"N7_Fetchling"_s, u"/autostart"_s}, true},
        CommandLineCase{{u"N7_Fetchling"_s, u"-x"_s, u"/As"_s}, true},
        CommandLineCase{{u"N7_Fetchling"_s, u"/as"_s}, true},
        // A plain substring test: a longer word that begins with the switch counts.
        CommandLineCase{{u"N7_Fetchling"_s, u"/ASK"_s}, true}, CommandLineCase{{u"N7_Fetchling"_s, u"AS"_s}, false},
        // The program's own path is no switch.
        CommandLineCase{{u"/AS"_s}, false}, CommandLineCase{{u"/opt/astra/N7_Fetchling"_s}, false},
        CommandLineCase{{u"/home/as/N7_Fetchling"_s, u"-x"_s}, false},
        // Nor are the demo's folders.
        CommandLineCase{{u"N7_Fetchling"_s, u"--configure-demo"_s, u"/srv/ask"_s, u"/tmp/assets"_s}, false}));

TEST(CommandLineDemoTest, TakesTheTwoFoldersOrNotesThatTheyAreMissing)
{
    const auto full = app::CommandLine::parse({u"N7_Fetchling"_s, u"--configure-demo"_s, u"sb"_s, u"out"_s});
    EXPECT_TRUE(full.configureDemo);
    EXPECT_FALSE(full.demoFoldersMissing);
    EXPECT_EQ(full.demoSandbox, u"sb"_s);
    EXPECT_EQ(full.demoFolder, u"out"_s);

    for (const QStringList& arguments : {QStringList{u"N7_Fetchling"_s, u"--configure-demo"_s, u"sb"_s},
                                         QStringList{u"N7_Fetchling"_s, u"--configure-demo"_s}}) {
        const auto line = app::CommandLine::parse(arguments);
        EXPECT_TRUE(line.configureDemo) << "the set-up is asked for, and refused";
        EXPECT_TRUE(line.demoFoldersMissing);
    }
}
