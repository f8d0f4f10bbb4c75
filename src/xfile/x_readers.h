// The two readers of a .x file's data: text and binary. Both give the same small vocabulary
// (names, numbers, strings, GUIDs, braces), skip separators wherever they stand, and skip a
// whole object body, so the object parser does not care which form it reads.
//
// Separators are lax on purpose: real text files miss or double their commas and semicolons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
    XTextReader(const std::uint8_t* data, std::size_t size);

    XToken peek();
    bool name(std::string& name);
    bool integer(std::uint32_t& value);
    bool real(float& value);
    bool string(std::string& value);
    bool guid();
    bool openBrace();
    bool closeBrace();
    bool skipValue();
    bool skipBody(); // after an object's '{': up to and past its matching '}'

    std::size_t remainingBytes() const { return end_ - cursor_; }
    static constexpr std::size_t minBytesPerNumber = 1;
    std::string where() const; // "line 12"
    const char* fault() const { return fault_; }

  private:
    void skipBlank();
    bool failWith(const char* why);

    const char* start_;
    const char* cursor_;
    const char* end_;
    const char* fault_ = "";
};

class XBinaryReader {
  public:
    XBinaryReader(const std::uint8_t* data, std::size_t size, std::size_t floatSize,
                  std::size_t firstByte);

    XToken peek();
    bool name(std::string& name);
    bool integer(std::uint32_t& value);
    bool real(float& value);
    bool string(std::string& value);
    bool guid();
    bool openBrace();
    bool closeBrace();
    bool skipValue();
    bool skipBody();

    std::size_t remainingBytes() const { return size_ - position_; }
    static constexpr std::size_t minBytesPerNumber = 4;
    std::string where() const; // "byte 345"
    const char* fault() const { return fault_; }

  private:
    enum class List { none, integers, floats };

    void skipSeparators();
    bool readWord(std::uint16_t& value);
    bool readDword(std::uint32_t& value);
    bool nextNumber(double& value, bool& whole);
    bool startList(List kind);
    bool bytesWithCount(std::string& value);
    bool skipToken();
    bool failWith(const char* why);

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::size_t floatSize_;
    std::size_t firstByte_;
    List list_ = List::none;
    std::uint32_t listLeft_ = 0;
    const char* fault_ = "";
};
