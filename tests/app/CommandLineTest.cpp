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

INSTANTIATE_TEST_SUITE_P(Switches, CommandLineTest,
                         testing::Values(CommandLineCase{{u"N7_Fetchling"_s}, false},
                                         CommandLineCase{{u"N7_Fetchling"_s, u"/AUTOSTART"_s}, true},
                                         CommandLineCase{{u"N7_Fetchling"_s, u"/autostart"_s}, true},
                                         CommandLineCase{{u"N7_Fetchling"_s, u"-x"_s, u"/As"_s}, true},
                                         CommandLineCase{{u"N7_Fetchling"_s, u"/ASK"_s}, false},
                                         // The program's own name is no switch.
                                         CommandLineCase{{u"/AS"_s}, false}));
