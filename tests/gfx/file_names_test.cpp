// Texture names stored by another machine are tried by their bare name: the split must read
// code page 932 double-byte characters whole, whose trail byte can be the code of '\'.
#include "gfx/file_names.h"

#include <gtest/gtest.h>

#include <utility>

// Lead bytes are 0x81-0x9F and 0xE0-0xFC; the bytes just outside stand alone.
TEST(BareFileName, SplitsAtTheLastSeparatorReadingDoubleByteCharactersWhole) {
    const std::pair<const char*, const char*> paths[] = {
        {"C:\\表\\表ソ.bmp", "表ソ.bmp"}, // 表 and ソ end in 0x5C
        {"dir/ソ表", "ソ表"},
        {"a.bmp", "a.bmp"},
        {"dir\\", ""},
        {"\x81\\a\x9F\\b\xE0\\c\xFC\\d", "\x81\\a\x9F\\b\xE0\\c\xFC\\d"},
        {"\x80\\a", "a"},
        {"\xA0\\a", "a"},
        {"\xDF\\a", "a"},
        {"\xFD\\a", "a"},
    };
    for (const auto& [path, bare] : paths) {
        EXPECT_EQ(bare, bareFileName(path)) << path;
    }
}
