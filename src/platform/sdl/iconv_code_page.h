// Code page 932 bytes (the core's texts and file names) to Unicode and back, through iconv
// (iconv_code_page.cpp): the file system, SDL and FreeType take Unicode. A byte sequence that
// does not convert is left out.
#pragma once

#include <string>
#include <string_view>

std::string utf8FromCp932(std::string_view text);
std::string cp932FromUtf8(std::string_view text);
// Code page 932 bytes to Unicode code points, for laying out text.
std::u32string codePointsFromCp932(std::string_view text);
