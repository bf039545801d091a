// What DCardSaveDigBMP allocates: nothing for a frame the card cannot deliver.
#include <saa7146/dcard.h>

#include "platform/posix/control.h"
#include "support/harness.h"
#include "virtual_card.h"

namespace {

class BitmapMemoryTest : public CardTest {};

TEST_F(BitmapMemoryTest, AFrameLargerThanTheFrameMemoryAllocatesNothing)
{
    sim::CardSettings settings = sim::card(0).settings();
    settings.frameMemorySize = 0x10000;
    sim::card(0).configure(settings);
    ASSERT_EQ(DCardInit(0), 1);
    const std::string path = harness::scratchDirectory() + "/too-large.bmp";
    const int before = standin::globalBlocks();
    // 256 x 256 grey pixels fill the frame memory exactly; one line more is too many.
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 256, 257, 8, path.c_str()), 0);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 100000, 576, 24, path.c_str()), 0);
    EXPECT_EQ(standin::globalBlocks(), before);
    EXPECT_EQ(DCardSaveDigBMP(1, 0, 256, 256, 8, path.c_str()), 1);
}

} // namespace
