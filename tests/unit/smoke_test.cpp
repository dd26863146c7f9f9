#include <gtest/gtest.h>

#include "fake_platform.h"
#include "game/board.h"
#include "game/draw.h"
#include "console/output.h"

TEST(Smoke, DrawsStartingPosition)
{
    ResetAll();
    InitBoard();
    DrawBoard();
    CloseStream(ConsoleOutput);
    EXPECT_EQ(Fake.Output().size(), 2u + 44 * 12 + 12u);
}
