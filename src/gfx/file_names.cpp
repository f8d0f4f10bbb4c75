#include "gfx/file_names.h"

namespace {

bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

} // namespace

std::string bareFileName(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(path[i]);
        if (isCp932LeadByte(byte)) {
            ++i; // its trail byte may be 0x5C, the code of '\\'
        } else if (byte == '\\' || byte == '/') {
            start = i + 1;
        }
    }
    return path.substr(start);
}
