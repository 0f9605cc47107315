#include <gtest/gtest.h>

#include "core/MsgBox.h"

using namespace core::msgbox;

struct DefaultCase
{
    int style;
    int answer;
};

class MsgBoxDefault : public testing::TestWithParam<DefaultCase>
{
};

TEST_P(MsgBoxDefault, UnattendedRunTakesTheDefaultButton)
{
    EXPECT_EQ(defaultAnswer(GetParam().style), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Styles, MsgBoxDefault,
                         testing::Values(DefaultCase{vbOKOnly | vbCritical, vbOK}, DefaultCase{vbExclamation, vbOK},
                                         DefaultCase{vbYesNoCancel | vbQuestion, vbYes},
                                         DefaultCase{vbYesNoCancel | vbDefaultButton2, vbNo},
                                         DefaultCase{vbYesNoCancel | vbDefaultButton3, vbCancel},
                                         DefaultCase{vbYesNo | vbDefaultButton2, vbNo},
                                         DefaultCase{vbOKCancel | vbDefaultButton2, vbCancel},
                                         DefaultCase{vbAbortRetryIgnore, vbAbort}, DefaultCase{vbRetryCancel, vbRetry},
                                         // A default beyond the buttons shown falls back to the first.
                                         DefaultCase{vbOKOnly | vbDefaultButton3, vbOK}));
