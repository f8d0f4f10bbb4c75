// libFuzzer target over the .x loader: any bytes must give either a refusal with the place of
// its fault and no mesh, or a mesh that holds together (tests/xfile/mesh_holds_together.h);
// never a crash, an out-of-bounds access or undefined behaviour.
// Built and run by scripts/fuzz-xfile.sh.
//
// An input starting with 'x' is the file itself. Any other first byte picks the compressed
// mode: the rest is a plain file that is packed into the compressed form (blocks of 1 to 32 KiB,
// by the first byte) before the loader reads it, so that mutations land in valid compressed
// content rather than break the deflate streams.

#include "xfile/mesh_holds_together.h"
#include "xfile/mszip_writer.h"

#include <cstdlib>

namespace {

constexpr std::size_t headerSize = 16;

std::string compressedForm(const std::uint8_t* data, std::size_t size) {
    const std::size_t blockSize = std::size_t{1024} << (data[0] % 6);
    const std::string plain(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string header = plain.substr(0, headerSize);
    if (header.size() == headerSize && header.compare(8, 4, "txt ") == 0) {
        header.replace(8, 4, "tzip");
    } else if (header.size() == headerSize && header.compare(8, 4, "bin ") == 0) {
        header.replace(8, 4, "bzip");
    }
    return mszipFile(header, plain.substr(header.size()), blockSize);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string packed;
    if (size > 0 && data[0] != 'x') {
        packed = compressedForm(data, size);
        data = reinterpret_cast<const std::uint8_t*>(packed.data());
        size = packed.size();
    }
    if (!mesh_check::outcomeFault(mesh_check::parse(data, size)).empty()) {
        std::abort();
    }
    return 0;
}
