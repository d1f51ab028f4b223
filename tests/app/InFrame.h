#pragma once

// The program's own frame, made hidden in the test's process with the
// program's skin, for tests of the pages inside it.

#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "controls/ControlTesting.h"
#include "support/TempDir.h"
#include "win/ComApartment.h"
#include "win/MessageLoop.h"

namespace vorlune::test {

class InFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(com.Ok());
        ASSERT_NE(UseProgramSkin(), nullptr);
        ASSERT_TRUE(registered.Ok());
        ASSERT_NE(frame.Create(), nullptr);
    }
    void TearDown() override
    {
        frame.Destroy();
        PumpPending();
    }

    // A command as the footer and the pages send it, and what it posted.
    void Command(UINT id)
    {
        ::SendMessageW(frame.Hwnd(), WM_COMMAND, id, 0);
        PumpPending();
    }

    ComApartment com;
    MessageLoop loop;
    ScopedMessageLoop registered{loop};
    MainFrame frame;
    TempDir dir;
};

}  // namespace vorlune::test
