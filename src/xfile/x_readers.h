// The two readers of a .x file's data: text and binary. Both give the same small vocabulary
// (names, numbers, strings, GUIDs, braces), skip separators wherever they stand, and skip a
// whole object body, so the object parser does not care which form it reads.
//
// Separators are lax on purpose: real text files miss or double their commas and semicolons.
//
// Both read through an XByteSource window, asking it for more only when a token may not fit in
// what it shows. No name, string or GUID may be longer than maxWordBytes, so a token always
// fits in a window and a compressed file never needs more memory than a window for one.
#pragma once

#include "xfile/x_source.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

constexpr std::size_t maxWordBytes = 65536;

enum class XToken {
    end,
    name,
    number,
    string,
    guid,
    openBrace,
    closeBrace,
    templateKeyword,
    other
};

class XTextReader {
  public:
    explicit XTextReader(XByteSource& source);

    XToken peek();
    bool name(std::string& name);
    bool name(std::string_view& name); // a view of the window, valid until the next read
    bool integer(std::uint32_t& value);
    bool real(float& value);
    bool reals(float* values, std::size_t n); // n numbers, as n calls of real() read them
    bool string(std::string& value);
    bool guid();
    bool openBrace();
    bool closeBrace();
    bool skipValue();
    bool skipBody(); // after an object's '{': up to and past its matching '}'

    std::size_t remainingBytes() const { return source_.remainingFrom(cursor_ - start_); }
    bool sizeKnown() const { return source_.sizeKnown(); } // remainingBytes() then is exact
    // A number and the separator or blank that ends it.
    static constexpr std::size_t minBytesPerNumber = 2;
    // A number and its separator seldom take fewer; a list of shorter ones grows as it is read.
    static constexpr std::size_t typicalBytesPerNumber = 8;
    std::string where() const; // "line 12"
    const char* fault() const { return fault_; }

  private:
    // At least `count` bytes from the cursor, when the data has them. Inline, as every token
    // asks; the window seldom has to move.
    bool more(std::size_t count) {
        return static_cast<std::size_t>(end_ - cursor_) >= count || moveWindow(count);
    }
    bool moveWindow(std::size_t count);
    void skipBlank();
    void startToken();
    std::size_t place() const { return source_.offset() + (cursor_ - start_); }
    XToken classify() const;
    bool word(const char*& first);
    bool quoted(std::string_view& value);
    bool number(double& value);
    bool failWith(const char* why);

    XByteSource& source_;
    const char* start_;
    const char* cursor_;
    const char* end_;
    std::size_t linesBefore_ = 0; // lines before start_ in data that does not stay in memory
    // The token last found by peek() and its place in the data: an object's reader asks for the
    // next token several times. A place, not a pointer, as the window moves.
    std::size_t peekedAt_ = SIZE_MAX;
    XToken peeked_ = XToken::end;
    const char* fault_ = "";
};

class XBinaryReader {
  public:
    XBinaryReader(XByteSource& source, std::size_t floatSize, std::size_t firstByte);

    XToken peek();
    bool name(std::string& name);
    bool name(std::string_view& name); // valid until the next read
    // Inline for the common case, the next item of an integer list whole in the window: a
    // mesh's faces are millions of them.
    bool integer(std::uint32_t& value) {
        if (listLeft_ > 0 && list_ == List::integers && size_ - position_ >= 4) {
            std::memcpy(&value, data_ + position_, 4); // little-endian, as every target is
            position_ += 4;
            --listLeft_;
            return true;
        }
        return anyInteger(value);
    }
    bool real(float& value);
    bool reals(float* values, std::size_t n); // runs of a list's items copied from the window
    bool string(std::string& value);
    bool guid();
    bool openBrace();
    bool closeBrace();
    bool skipValue();
    bool skipBody();

    std::size_t remainingBytes() const { return source_.remainingFrom(position_); }
    bool sizeKnown() const { return source_.sizeKnown(); }
    static constexpr std::size_t minBytesPerNumber = 4;
    static constexpr std::size_t typicalBytesPerNumber = 4;
    std::string where() const; // "byte 345"
    const char* fault() const { return fault_; }

  private:
    enum class List { none, integers, floats };

    // At least `count` bytes from the position, when the data has them.
    bool more(std::size_t count) { return size_ - position_ >= count || moveWindow(count); }
    bool moveWindow(std::size_t count);
    bool skipBytes(std::size_t count);
    void skipSeparators();
    bool readWord(std::uint16_t& value);
    bool readDword(std::uint32_t& value);
    bool nextNumber(double& value, bool& whole);
    bool anyInteger(std::uint32_t& value);
    std::size_t floatsInWindow(std::size_t wanted) const;
    bool startList(List kind);
    bool bytesWithCount(std::string_view& value);
    bool skipToken();
    bool failWith(const char* why);

    XByteSource& source_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0; // in the window
    std::size_t floatSize_;
    std::size_t firstByte_;
    List list_ = List::none;
    std::uint32_t listLeft_ = 0;
    std::string string_; // a string read as a name: its view outlives the window's move after it
    const char* fault_ = "";
};
