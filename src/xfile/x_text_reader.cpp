// The text form of .x data: words, numbers, quoted strings, <GUID>s and braces; separators
// (';' and ',') and comments ("//" or "#" to the end of the line) are skipped wherever they are.

#include "xfile/x_readers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool isSeparator(char c) {
    return c == ';' || c == ',';
}

// Words are names and numbers alike: anything up to a blank or a structural character.
bool endsWord(char c) {
    return isBlank(c) || isSeparator(c) || std::strchr("{}<>\"", c) != nullptr;
}

bool startsNumber(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

} // namespace

XTextReader::XTextReader(const std::uint8_t* data, std::size_t size)
    : start_(reinterpret_cast<const char*>(data)), cursor_(start_), end_(start_ + size) {}

bool XTextReader::failWith(const char* why) {
    fault_ = why;
    return false;
}

std::string XTextReader::where() const {
    return "line " + std::to_string(1 + std::count(start_, cursor_, '\n'));
}

// Blanks, separators and comments. A '#' inside a word ("1.#QNAN") is not a comment: words are
// read whole, so this is only ever called between them.
void XTextReader::skipBlank() {
    while (cursor_ < end_) {
        const char c = *cursor_;
        if (isBlank(c) || isSeparator(c)) {
            ++cursor_;
        } else if (c == '#' || (c == '/' && cursor_ + 1 < end_ && cursor_[1] == '/')) {
            cursor_ = std::find(cursor_, end_, '\n');
        } else {
            return;
        }
    }
}

XToken XTextReader::peek() {
    skipBlank();
    if (cursor_ == end_) {
        return XToken::end;
    }
    switch (*cursor_) {
    case '{':
        return XToken::openBrace;
    case '}':
        return XToken::closeBrace;
    case '<':
        return XToken::guid;
    case '"':
        return XToken::string;
    default:
        break;
    }
    if (startsNumber(*cursor_)) {
        return XToken::number;
    }
    constexpr std::size_t keywordLength = 8;
    if (static_cast<std::size_t>(end_ - cursor_) > keywordLength &&
        std::memcmp(cursor_, "template", keywordLength) == 0 && endsWord(cursor_[keywordLength])) {
        return XToken::templateKeyword;
    }
    return XToken::name;
}

bool XTextReader::name(std::string& name) {
    const XToken token = peek();
    if (token == XToken::string) {
        return string(name);
    }
    if (token != XToken::name && token != XToken::number && token != XToken::templateKeyword) {
        return failWith("a name was expected");
    }
    const char* first = cursor_;
    while (cursor_ < end_ && !endsWord(*cursor_)) {
        ++cursor_;
    }
    if (cursor_ == first) {
        return failWith("a name was expected");
    }
    name.assign(first, cursor_);
    return true;
}

bool XTextReader::integer(std::uint32_t& value) {
    skipBlank();
    const char* first = cursor_;
    const auto [next, status] = std::from_chars(cursor_, end_, value);
    if (status == std::errc() && (next == end_ || endsWord(*next))) {
        cursor_ = next;
        return true;
    }
    // Some writers put "3.0" where a count belongs; take it when it is a whole number.
    float whole = 0;
    if (!real(whole) || whole < 0 || whole > 4294967295.0f || std::floor(whole) != whole) {
        cursor_ = first;
        return failWith("a whole number was expected");
    }
    value = static_cast<std::uint32_t>(whole);
    return true;
}

bool XTextReader::real(float& value) {
    skipBlank();
    if (cursor_ < end_ && *cursor_ == '+') {
        ++cursor_;
    }
    const auto [next, status] = std::from_chars(cursor_, end_, value);
    if (status == std::errc::result_out_of_range) {
        value = 0; // a value beyond float's range or a denormal; read as nothing
    } else if (status != std::errc()) {
        return failWith("a number was expected");
    }
    cursor_ = next;
    if (cursor_ < end_ && !endsWord(*cursor_)) {
        // "1.#QNAN", "-1.#IND00" and such from old C runtimes: not a number we can use.
        value = 0;
        while (cursor_ < end_ && !endsWord(*cursor_)) {
            ++cursor_;
        }
    }
    return true;
}

bool XTextReader::string(std::string& value) {
    if (peek() != XToken::string) {
        return failWith("a quoted string was expected");
    }
    const char* closing = std::find(cursor_ + 1, end_, '"');
    if (closing == end_) {
        return failWith("a string is not closed");
    }
    value.assign(cursor_ + 1, closing);
    cursor_ = closing + 1;
    return true;
}

bool XTextReader::guid() {
    if (peek() != XToken::guid) {
        return failWith("a <GUID> was expected");
    }
    const char* closing = std::find(cursor_, end_, '>');
    if (closing == end_) {
        return failWith("a <GUID> is not closed");
    }
    cursor_ = closing + 1;
    return true;
}

bool XTextReader::openBrace() {
    if (peek() != XToken::openBrace) {
        return failWith("'{' was expected");
    }
    ++cursor_;
    return true;
}

bool XTextReader::closeBrace() {
    if (peek() != XToken::closeBrace) {
        return failWith("'}' was expected");
    }
    ++cursor_;
    return true;
}

bool XTextReader::skipValue() {
    switch (peek()) {
    case XToken::end:
        return failWith("the file ends inside an object");
    case XToken::string: {
        std::string ignored;
        return string(ignored);
    }
    case XToken::guid:
        return guid();
    case XToken::openBrace:
    case XToken::closeBrace:
        ++cursor_;
        return true;
    default:
        break;
    }
    const char* first = cursor_;
    while (cursor_ < end_ && !endsWord(*cursor_)) {
        ++cursor_;
    }
    if (cursor_ == first) {
        ++cursor_; // a stray '>'
    }
    return true;
}

bool XTextReader::skipBody() {
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
        if (!skipValue()) {
            return false;
        }
    }
    return true;
}
