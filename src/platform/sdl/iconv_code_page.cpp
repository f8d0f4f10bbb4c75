// Code page 932 to UTF-8, UTF-32 and back with iconv from the C library, the one conversion of
// the SDL window system (iconv_code_page.h). The core keeps its texts and file names as code page
// 932 bytes; the file system, SDL and FreeType take Unicode.

#include "iconv_code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

// Converts the whole input, skipping a byte that starts no valid sequence, so a damaged name
// still gives the rest of its characters.
std::string convert(const char* to, const char* from, std::string_view input) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::vector<char> inputCopy(input.begin(), input.end());
    char* in = inputCopy.data();
    std::size_t inLeft = inputCopy.size();
    std::string output;
    std::vector<char> chunk(4 * inputCopy.size() + 16);
    while (inLeft > 0) {
        char* out = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(chunk.data(), chunk.size() - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ++in; // EILSEQ or EINVAL: drop the byte and go on
            --inLeft;
        }
    }
    iconv_close(converter);
    return output;
}

} // namespace

std::string utf8FromCp932(std::string_view text) {
    return convert("UTF-8", "CP932", text);
}

std::string cp932FromUtf8(std::string_view text) {
    return convert("CP932", "UTF-8", text);
}

std::u32string codePointsFromCp932(std::string_view text) {
    const std::string bytes = convert("UTF-32LE", "CP932", text);
    std::u32string codePoints(bytes.size() / 4, U'\0');
    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + 4 * i);
        codePoints[i] = static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                              (static_cast<std::uint32_t>(b[3]) << 24));
    }
    return codePoints;
}
