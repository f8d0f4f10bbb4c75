// Texture names stored by another machine are tried by their bare name: the split must read
// code page 932 double-byte characters whole, whose trail byte can be the code of '\'.
#include "gfx/file_names.h"

#include <gtest/gtest.h>

TEST(BareFileName, SplitsAtTheLastSeparatorReadingDoubleByteCharactersWhole) {
    EXPECT_EQ("表ソ.bmp", bareFileName("C:\\表\\表ソ.bmp")); // 表 and ソ end in 0x5C
    EXPECT_EQ("ソ表", bareFileName("dir/ソ表"));
    EXPECT_EQ("a.bmp", bareFileName("a.bmp"));
    EXPECT_EQ("", bareFileName("dir\\"));
}
