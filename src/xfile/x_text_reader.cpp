// The text form of .x data: words, numbers, quoted strings, <GUID>s and braces; separators
// (';' and ',') and comments ("//" or "#" to the end of the line) are skipped wherever they are.

#include "xfile/x_readers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool isSeparator(char c) {
    return c == ';' || c == ',';
}

// Words are names and numbers alike: anything up to a blank or a structural character.
bool endsWord(char c) {
    return isBlank(c) || isSeparator(c) || c == '{' || c == '}' || c == '<' || c == '>' || c == '"';
}

bool startsNumber(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

// The first byte of a two-byte character in code page 932, as Japanese tools write names: its
// second byte may be '{', '}' or '\\' and belongs to the name all the same.
bool isLeadByte(char c) {
    const unsigned byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether a number too large or too small for a double ("1e-400", "0." and 400 zeros and 1) is
// small: its decimal exponent, from where its first significant digit stands and the exponent
// written after it, is negative.
bool isTiny(const char* first, const char* last) {
    first += first < last && (*first == '-' || *first == '+');
    long magnitude = 0; // the power of ten of the first significant digit, so far
    bool significant = false, fraction = false;
    for (; first < last && (isDigit(*first) || *first == '.'); ++first) {
        if (*first == '.') {
            fraction = true;
        } else if (significant || *first != '0') {
            significant = true;
            magnitude += fraction ? 0 : 1;
        } else if (fraction) {
            --magnitude;
        }
    }
    long exponent = 0;
    if (first < last && (*first == 'e' || *first == 'E')) {
        const bool negative = first + 1 < last && first[1] == '-';
        for (first += 1 + (first + 1 < last && (first[1] == '-' || first[1] == '+'));
             first < last && isDigit(*first) && exponent < 100000; ++first) {
            exponent = exponent * 10 + (*first - '0');
        }
        exponent = negative ? -exponent : exponent;
    }
    return magnitude + exponent <= 0;
}

// Most numbers in real files are short decimals ("0.0100", "-12.5"). One of at most 15 digits
// and a word's end after them is its digits as a whole number (below 2^53, so exact) divided by
// a power of ten that a double holds exactly, and one correctly rounded division gives the
// double from_chars gives. Returns where it ends, or null for anything else.
const char* shortDecimal(const char* first, const char* end, double& value) {
    constexpr double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int maxDigits = 15;
    const char* at = first;
    const bool negative = at < end && *at == '-';
    at += negative ? 1 : 0;
    std::uint64_t digits = 0;
    int count = 0, fraction = -1; // digits after the point; -1 before one
    for (; at < end && count <= maxDigits; ++at) {
        if (*at >= '0' && *at <= '9') {
            digits = digits * 10 + static_cast<unsigned>(*at - '0');
            ++count;
            fraction += fraction >= 0 ? 1 : 0;
        } else if (*at == '.' && fraction < 0) {
            fraction = 0;
        } else {
            break;
        }
    }
    if (count == 0 || count > maxDigits || (at < end && !endsWord(*at))) {
        return nullptr;
    }
    const double magnitude = static_cast<double>(digits) / powersOfTen[std::max(fraction, 0)];
    value = negative ? -magnitude : magnitude;
    return at;
}

} // namespace

XTextReader::XTextReader(XByteSource& source)
    : source_(source), start_(reinterpret_cast<const char*>(source.data())), cursor_(start_),
      end_(start_ + source.size()) {}

bool XTextReader::failWith(const char* why) {
    fault_ = why;
    return false;
}

// Lines are counted only here, on the way to an error, where the data stays in memory.
std::string XTextReader::where() const {
    const std::uint8_t* whole = source_.wholeData();
    const char* first = whole != nullptr ? reinterpret_cast<const char*>(whole) : start_;
    return "line " + std::to_string(1 + linesBefore_ + std::count(first, cursor_, '\n'));
}

// The window moved to start at the cursor, with at least `count` bytes when the data has them.
bool XTextReader::moveWindow(std::size_t count) {
    if (source_.finished()) {
        return false; // the window already reaches the end of the data
    }
    if (source_.wholeData() == nullptr) { // what the window passed over is gone once it moves
        linesBefore_ += std::count(start_, cursor_, '\n');
    }
    const bool enough = source_.advance(cursor_ - start_, count);
    start_ = cursor_ = reinterpret_cast<const char*>(source_.data());
    end_ = start_ + source_.size();
    return enough;
}

// Blanks, separators and comments. A '#' inside a word ("1.#QNAN") is not a comment: words are
// read whole, so this is only ever called between them.
void XTextReader::skipBlank() {
    for (;;) {
        if (cursor_ == end_ && !more(1)) {
            return;
        }
        const char c = *cursor_;
        if (isBlank(c) || isSeparator(c)) {
            ++cursor_;
        } else if (c == '#' || (c == '/' && more(2) && cursor_[1] == '/')) {
            while ((cursor_ = std::find(cursor_, end_, '\n')) == end_ && more(1)) {
            }
        } else {
            return;
        }
    }
}

// Before a token: the whole token in the window, if it is no longer than a word may be.
void XTextReader::startToken() {
    skipBlank();
    more(maxWordBytes + 1);
}

XToken XTextReader::peek() {
    if (place() != peekedAt_) {
        startToken();
        peeked_ = classify();
        peekedAt_ = place();
    }
    return peeked_;
}

// The token at the cursor, after startToken().
XToken XTextReader::classify() const {
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

// Passes over a name or number, leaving `first` at its start.
bool XTextReader::word(const char*& first) {
    first = cursor_;
    while (cursor_ < end_ && !endsWord(*cursor_)) {
        cursor_ += isLeadByte(*cursor_) && end_ - cursor_ > 1 ? 2 : 1;
    }
    if (static_cast<std::size_t>(cursor_ - first) > maxWordBytes) {
        return failWith("a word longer than 64 KiB");
    }
    return true;
}

bool XTextReader::name(std::string_view& name) {
    const XToken token = peek();
    if (token == XToken::string) {
        return quoted(name);
    }
    if (token != XToken::name && token != XToken::number && token != XToken::templateKeyword) {
        return failWith("a name was expected");
    }
    const char* first = nullptr;
    if (!word(first)) {
        return false;
    }
    if (cursor_ == first) {
        return failWith("a name was expected");
    }
    name = std::string_view(first, static_cast<std::size_t>(cursor_ - first));
    return true;
}

bool XTextReader::name(std::string& name) {
    std::string_view view;
    return this->name(view) && (name.assign(view), true);
}

// A number as the file writes it, finite and within float's range; a value too small for a
// double is read as 0. D3DXLoadMeshFromX refuses a file with "nan", "inf" or an old C runtime's
// "1.#QNAN" in it, and so does this reader.
bool XTextReader::number(double& value) {
    startToken();
    const char* first = cursor_;
    if (cursor_ < end_ && *cursor_ == '+') {
        ++cursor_;
    }
    if (const char* next = shortDecimal(cursor_, end_, value)) {
        cursor_ = next;
        return true;
    }
    const auto [next, status] = std::from_chars(cursor_, end_, value);
    if (status == std::errc::result_out_of_range) {
        if (!isTiny(cursor_, next)) {
            cursor_ = first;
            return failWith("a number beyond the range of float");
        }
        value = 0;
    } else if (status != std::errc()) {
        return failWith("a number was expected");
    }
    cursor_ = next;
    if (cursor_ < end_ && !endsWord(*cursor_)) {
        cursor_ = first;
        return failWith("a number that is not finite, or not a number");
    }
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        cursor_ = first;
        return failWith(std::isfinite(value) ? "a number beyond the range of float"
                                             : "a number that is not finite, or not a number");
    }
    return true;
}

bool XTextReader::integer(std::uint32_t& value) {
    startToken();
    const char* first = cursor_;
    const auto [next, status] = std::from_chars(cursor_, end_, value);
    if (status == std::errc() && (next == end_ || endsWord(*next))) {
        cursor_ = next;
        return true;
    }
    // Some writers put "3.0" where a count belongs; take it when it is a whole number.
    double whole = 0;
    if (!number(whole)) {
        return false;
    }
    if (whole < 0 || whole > 4294967295.0 || std::floor(whole) != whole) {
        cursor_ = first;
        return failWith("a whole number from 0 to 4294967295 was expected");
    }
    value = static_cast<std::uint32_t>(whole);
    return true;
}

bool XTextReader::real(float& value) {
    double number = 0;
    if (!this->number(number)) {
        return false;
    }
    value = static_cast<float>(number);
    return true;
}

bool XTextReader::reals(float* values, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!real(values[i])) {
            return false;
        }
    }
    return true;
}

bool XTextReader::string(std::string& value) {
    if (peek() != XToken::string) {
        return failWith("a quoted string was expected");
    }
    std::string_view view;
    return quoted(view) && (value.assign(view), true);
}

// After peek() found a string: its text without the quotes.
bool XTextReader::quoted(std::string_view& value) {
    more(maxWordBytes + 2); // the longest string a file may hold, and both its quotes
    const char* first = cursor_ + 1;
    const char* closing = std::find(first, end_, '"');
    if (closing == end_) {
        return failWith("a string is not closed");
    }
    if (static_cast<std::size_t>(closing - first) > maxWordBytes) {
        return failWith("a string longer than 64 KiB");
    }
    value = std::string_view(first, static_cast<std::size_t>(closing - first));
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
    if (static_cast<std::size_t>(closing - cursor_) > maxWordBytes) {
        return failWith("a <GUID> longer than 64 KiB");
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
        std::string_view ignored;
        return quoted(ignored);
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
    const char* first = nullptr;
    if (!word(first)) {
        return false;
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
