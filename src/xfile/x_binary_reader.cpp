// The binary form of .x data: 16-bit tokens, some followed by a record (a name, a string, an
// integer, a GUID, or a counted list of integers or floats). Lists are handed out one number at a
// time, so a reader asking for numbers does not care how a writer grouped them.

#include "xfile/x_readers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

enum Token : std::uint16_t {
    tokenName = 1,
    tokenString = 2,
    tokenInteger = 3,
    tokenGuid = 5,
    tokenIntegerList = 6,
    tokenFloatList = 7,
    tokenOpenBrace = 10,
    tokenCloseBrace = 11,
    tokenComma = 19,
    tokenSemicolon = 20,
    tokenTemplate = 31,
};

constexpr std::size_t guidSize = 16;

// Tokens without a record: brackets, punctuation, and the keywords of template declarations.
bool isBareToken(std::uint16_t token) {
    return (token >= 10 && token <= 20) || token == tokenTemplate || (token >= 40 && token <= 53);
}

// A number the file gives that float cannot hold (inf, NaN, past its range) is read as 0.
float floatOrZero(double number) {
    return std::isfinite(number) && std::fabs(number) <= 3.4e38 ? static_cast<float>(number) : 0;
}

} // namespace

XBinaryReader::XBinaryReader(XByteSource& source, std::size_t floatSize, std::size_t firstByte)
    : source_(source), data_(source.data()), size_(source.size()), floatSize_(floatSize),
      firstByte_(firstByte) {}

bool XBinaryReader::failWith(const char* why) {
    fault_ = why;
    return false;
}

std::string XBinaryReader::where() const {
    return "byte " + std::to_string(firstByte_ + source_.offset() + position_);
}

// The window moved to start at the position, with at least `count` bytes when the data has them.
bool XBinaryReader::moveWindow(std::size_t count) {
    if (source_.finished()) {
        return false; // the window already reaches the end of the data
    }
    const bool enough = source_.advance(position_, count);
    data_ = source_.data();
    size_ = source_.size();
    position_ = 0;
    return enough;
}

bool XBinaryReader::skipBytes(std::size_t count) {
    while (count > size_ - position_) {
        count -= size_ - position_;
        position_ = size_;
        if (!more(1)) {
            return failWith("the file ends inside a list");
        }
    }
    position_ += count;
    return true;
}

bool XBinaryReader::readWord(std::uint16_t& value) {
    if (!more(2)) {
        return failWith("the file ends inside a token");
    }
    value = static_cast<std::uint16_t>(data_[position_] | data_[position_ + 1] << 8);
    position_ += 2;
    return true;
}

bool XBinaryReader::readDword(std::uint32_t& value) {
    if (!more(4)) {
        return failWith("the file ends inside a token's record");
    }
    std::memcpy(&value, data_ + position_, 4); // little-endian, as every target is
    position_ += 4;
    return true;
}

void XBinaryReader::skipSeparators() {
    while (listLeft_ == 0 && more(2)) {
        const std::uint16_t token = data_[position_] | data_[position_ + 1] << 8;
        if (token != tokenComma && token != tokenSemicolon) {
            return;
        }
        position_ += 2;
    }
}

XToken XBinaryReader::peek() {
    if (listLeft_ > 0) {
        return XToken::number;
    }
    skipSeparators();
    if (!more(2)) {
        return XToken::end;
    }
    switch (data_[position_] | data_[position_ + 1] << 8) {
    case tokenName:
        return XToken::name;
    case tokenString:
        return XToken::string;
    case tokenInteger:
    case tokenIntegerList:
    case tokenFloatList:
        return XToken::number;
    case tokenGuid:
        return XToken::guid;
    case tokenOpenBrace:
        return XToken::openBrace;
    case tokenCloseBrace:
        return XToken::closeBrace;
    case tokenTemplate:
        return XToken::templateKeyword;
    default:
        return XToken::other;
    }
}

// A name or string record: a count, that many bytes. Trailing zero bytes are not part of it.
bool XBinaryReader::bytesWithCount(std::string_view& value) {
    std::uint32_t count = 0;
    if (!readDword(count)) {
        return false;
    }
    if (count > maxWordBytes) {
        return failWith("a name or string longer than 64 KiB");
    }
    if (!more(count)) {
        return failWith("a name or string is longer than the rest of the file");
    }
    const char* first = reinterpret_cast<const char*>(data_ + position_);
    const void* zero = std::memchr(first, 0, count);
    value =
        std::string_view(first, zero != nullptr ? static_cast<const char*>(zero) - first : count);
    position_ += count;
    return true;
}

bool XBinaryReader::name(std::string_view& name) {
    const XToken token = peek();
    if (token == XToken::string) {
        return string(string_) && (name = string_, true);
    }
    if (token != XToken::name) {
        return failWith("a name was expected");
    }
    position_ += 2;
    return bytesWithCount(name);
}

bool XBinaryReader::name(std::string& name) {
    std::string_view view;
    return this->name(view) && (name.assign(view), true);
}

// A string record ends in a separator token; writers differ on whether it takes 2 or 4 bytes.
bool XBinaryReader::string(std::string& value) {
    if (peek() != XToken::string) {
        return failWith("a string was expected");
    }
    position_ += 2;
    std::string_view view;
    if (!bytesWithCount(view)) {
        return false;
    }
    value.assign(view);
    skipSeparators();
    if (more(2) && data_[position_] == 0 && data_[position_ + 1] == 0) {
        position_ += 2;
    }
    return true;
}

bool XBinaryReader::startList(List kind) {
    std::uint32_t count = 0;
    if (!readDword(count)) {
        return false;
    }
    const std::size_t itemSize = kind == List::integers ? 4 : floatSize_;
    if (count > remainingBytes() / itemSize) {
        return failWith("a list is longer than the rest of the file");
    }
    list_ = kind;
    listLeft_ = count;
    return true;
}

bool XBinaryReader::nextNumber(double& value, bool& whole) {
    while (listLeft_ == 0) {
        skipSeparators();
        std::uint16_t token = 0;
        if (!readWord(token)) {
            return false;
        }
        if (token == tokenInteger) {
            std::uint32_t integer = 0;
            whole = true;
            return readDword(integer) && (value = integer, true);
        }
        if (token != tokenIntegerList && token != tokenFloatList) {
            position_ -= 2;
            return failWith("a number was expected");
        }
        if (!startList(token == tokenIntegerList ? List::integers : List::floats)) {
            return false;
        }
    }
    --listLeft_;
    if (!more(list_ == List::integers ? 4 : floatSize_)) {
        return failWith("the file ends inside a list");
    }
    if (list_ == List::integers) {
        std::uint32_t integer = 0;
        readDword(integer);
        value = integer;
        whole = true;
    } else if (floatSize_ == 8) {
        std::memcpy(&value, data_ + position_, 8);
        position_ += 8;
        whole = false;
    } else {
        float single = 0;
        std::memcpy(&single, data_ + position_, 4);
        position_ += 4;
        value = single;
        whole = false;
    }
    return true;
}

bool XBinaryReader::anyInteger(std::uint32_t& value) {
    double number = 0;
    bool whole = false;
    if (!nextNumber(number, whole)) {
        return false;
    }
    if (!whole && !(number >= 0 && number <= 4294967295.0 && std::floor(number) == number)) {
        return failWith("a whole number was expected");
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

bool XBinaryReader::real(float& value) {
    if (listLeft_ > 0 && list_ == List::floats && floatSize_ == 4 && size_ - position_ >= 4) {
        std::memcpy(&value, data_ + position_, 4);
        position_ += 4;
        --listLeft_;
        if (!std::isfinite(value)) {
            value = 0;
        }
        return true;
    }
    double number = 0;
    bool whole = false;
    if (!nextNumber(number, whole)) {
        return false;
    }
    value = floatOrZero(number);
    return true;
}

// How many of the next `wanted` numbers are items of a float list whole in the window.
std::size_t XBinaryReader::floatsInWindow(std::size_t wanted) const {
    if (listLeft_ == 0 || list_ != List::floats) {
        return 0;
    }
    return std::min({wanted, std::size_t{listLeft_}, (size_ - position_) / floatSize_});
}

// A number that is not an item of the float list being read, or one that straddles the window's
// end, goes through real() alone.
bool XBinaryReader::reals(float* values, std::size_t n) {
    while (n > 0) {
        const std::size_t run = floatsInWindow(n);
        if (run == 0) {
            if (!real(*values)) {
                return false;
            }
            ++values;
            --n;
            continue;
        }
        if (floatSize_ == 4) {
            std::memcpy(values, data_ + position_, run * 4);
            for (std::size_t i = 0; i < run; ++i) {
                values[i] = std::isfinite(values[i]) ? values[i] : 0.0f;
            }
        } else {
            for (std::size_t i = 0; i < run; ++i) {
                double wide = 0;
                std::memcpy(&wide, data_ + position_ + i * 8, 8);
                values[i] = floatOrZero(wide);
            }
        }
        position_ += run * floatSize_;
        listLeft_ -= static_cast<std::uint32_t>(run);
        values += run;
        n -= run;
    }
    return true;
}

bool XBinaryReader::guid() {
    if (peek() != XToken::guid) {
        return failWith("a GUID was expected");
    }
    if (!more(2 + guidSize)) {
        return failWith("the file ends inside a GUID");
    }
    position_ += 2 + guidSize;
    return true;
}

bool XBinaryReader::openBrace() {
    if (peek() != XToken::openBrace) {
        return failWith("'{' was expected");
    }
    position_ += 2;
    return true;
}

bool XBinaryReader::closeBrace() {
    if (peek() != XToken::closeBrace) {
        return failWith("'}' was expected");
    }
    position_ += 2;
    return true;
}

// One token with its record; the rest of a list being read counts as one token.
bool XBinaryReader::skipToken() {
    if (listLeft_ > 0) {
        const std::size_t bytes = listLeft_ * (list_ == List::integers ? 4 : floatSize_);
        listLeft_ = 0;
        return skipBytes(bytes);
    }
    std::uint16_t token = 0;
    if (!readWord(token)) {
        return false;
    }
    std::string_view ignored;
    std::uint32_t integer = 0;
    switch (token) {
    case tokenName:
        return bytesWithCount(ignored);
    case tokenString:
        position_ -= 2;
        return string(string_);
    case tokenInteger:
        return readDword(integer);
    case tokenGuid:
        position_ -= 2;
        return guid();
    case tokenIntegerList:
    case tokenFloatList:
        // An empty list must not take the token after it along.
        return startList(token == tokenIntegerList ? List::integers : List::floats) &&
               (listLeft_ == 0 || skipToken());
    default:
        break;
    }
    if (!isBareToken(token)) {
        position_ -= 2;
        return failWith("an unknown token");
    }
    return true;
}

bool XBinaryReader::skipValue() {
    if (peek() == XToken::end) {
        return failWith("the file ends inside an object");
    }
    return skipToken();
}

bool XBinaryReader::skipBody() {
    std::size_t depth = 1;
    while (depth > 0) {
        const XToken token = peek();
        if (token == XToken::end) {
            return failWith("the file ends inside an object");
        }
        if (token == XToken::openBrace) {
            ++depth;
        } else if (token == XToken::closeBrace) {
            --depth;
        }
        if (!skipToken()) {
            return false;
        }
    }
    return true;
}
