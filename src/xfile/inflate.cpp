// Raw DEFLATE decoding with lookup tables: the next bits of the stream index a table that gives
// the symbol and its code length at once, for every code of up to fastBits bits (nearly all of
// them); longer codes are walked length by length past the table.

#include "xfile/inflate.h"

#include <array>
#include <cstring>

namespace {

constexpr int maxCodeBits = 15;
constexpr int fastBits = 10;
constexpr std::size_t windowSize = 32768;

// The stream's bits, least significant first, through a 64-bit buffer refilled a byte at a time.
class BitReader {
  public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // At least 57 bits in the buffer, or every bit the input has left.
    void refill() {
        while (count_ <= 56 && position_ < size_) {
            buffer_ |= std::uint64_t{data_[position_++]} << count_;
            count_ += 8;
        }
    }

    // The next `count` bits without taking them; bits past the input's end read as 0.
    std::uint32_t look(int count) {
        refill();
        return static_cast<std::uint32_t>(buffer_ & ((std::uint64_t{1} << count) - 1));
    }

    int available() const { return count_; }

    void drop(int count) {
        buffer_ >>= count;
        count_ -= count;
    }

    // Reads `count` bits (up to 16); false when the input has run out.
    bool bits(int count, std::uint32_t& value) {
        value = look(count);
        if (count_ < count) {
            return false;
        }
        drop(count);
        return true;
    }

    // Drops the bits left in the current byte and returns whole buffered bytes to the input.
    void skipToByte() {
        drop(count_ % 8);
        position_ -= static_cast<std::size_t>(count_ / 8);
        buffer_ = 0;
        count_ = 0;
    }

    bool bytes(std::size_t count, const std::uint8_t*& start) {
        if (count > size_ - position_) {
            return false;
        }
        start = data_ + position_;
        position_ += count;
        return true;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

// A canonical Huffman code: a table for the codes of up to fastBits bits, indexed by the next
// fastBits bits of the stream (each entry the symbol times 16 plus the code's length, 0 for a
// longer code or none), and the counts and symbols in code order for the longer ones.
struct HuffmanCode {
    std::array<std::uint16_t, 1u << fastBits> fast{};
    std::array<std::uint16_t, maxCodeBits + 1> countOfLength{};
    std::array<std::uint16_t, 288> symbols{};
};

// Deflate sends codes most significant bit first into a least-significant-first stream.
std::uint32_t reversed(std::uint32_t code, int length) {
    std::uint32_t result = 0;
    for (int i = 0; i < length; ++i) {
        result = result << 1 | (code >> i & 1u);
    }
    return result;
}

// Builds the code from each symbol's code length. Refuses an over-subscribed code; an incomplete
// one is allowed (a single distance code is legal) and fails only if an unused code is met.
bool buildCode(const std::uint8_t* lengths, int symbolCount, HuffmanCode& code) {
    code.countOfLength.fill(0);
    code.fast.fill(0);
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        ++code.countOfLength[lengths[symbol]];
    }
    code.countOfLength[0] = 0;
    int left = 1;
    for (int length = 1; length <= maxCodeBits; ++length) {
        left = left * 2 - code.countOfLength[length];
        if (left < 0) {
            return false;
        }
    }
    std::array<std::uint16_t, maxCodeBits + 2> offset{};
    std::array<std::uint32_t, maxCodeBits + 2> nextCode{};
    for (int length = 1; length <= maxCodeBits; ++length) {
        offset[length + 1] = offset[length] + code.countOfLength[length];
        nextCode[length + 1] = (nextCode[length] + code.countOfLength[length]) << 1;
    }
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        const int length = lengths[symbol];
        if (length == 0) {
            continue;
        }
        code.symbols[offset[length]++] = static_cast<std::uint16_t>(symbol);
        const std::uint32_t bits = reversed(nextCode[length]++, length);
        if (length <= fastBits) {
            for (std::uint32_t index = bits; index < code.fast.size(); index += 1u << length) {
                code.fast[index] = static_cast<std::uint16_t>(symbol << 4 | length);
            }
        }
    }
    return true;
}

// Decodes one symbol: by the table when its code is short, else length by length, codes of each
// length being consecutive numbers.
bool decodeSymbol(BitReader& in, const HuffmanCode& code, int& symbol) {
    const std::uint32_t entry = code.fast[in.look(fastBits)];
    const int length = static_cast<int>(entry & 15u);
    if (length != 0) {
        if (length > in.available()) {
            return false;
        }
        in.drop(length);
        symbol = static_cast<int>(entry >> 4);
        return true;
    }
    const std::uint32_t bits = in.look(maxCodeBits);
    int first = 0; // first code of the current length
    int index = 0; // index of that code's symbol
    int value = 0;
    for (int bit = 1; bit <= maxCodeBits; ++bit) {
        value |= static_cast<int>(bits >> (bit - 1) & 1u);
        const int count = code.countOfLength[bit];
        if (value - first < count) {
            if (bit > in.available()) {
                return false;
            }
            in.drop(bit);
            symbol = code.symbols[index + value - first];
            return true;
        }
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    return false;
}

constexpr std::array<std::uint16_t, 29> lengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> lengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> distanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> distanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                        4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                        9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Inflater {
  public:
    Inflater(const std::uint8_t* data, std::size_t size, std::size_t limit,
             std::vector<std::uint8_t>& output)
        : in_(data, size), output_(output), streamStart_(output.size()), written_(output.size()),
          limit_(limit) {
        output_.resize(streamStart_ + limit_);
    }

    // Leaves the output at what was decoded, whatever the outcome.
    ~Inflater() { output_.resize(written_); }

    bool run(std::string& error) {
        std::uint32_t last = 0;
        do {
            std::uint32_t type = 0;
            if (!in_.bits(1, last) || !in_.bits(2, type)) {
                return fail(error, "the stream ends inside a block header");
            }
            const char* fault = type == 0   ? storedBlock()
                                : type == 1 ? fixedBlock()
                                : type == 2 ? dynamicBlock()
                                            : "a block of the reserved type 3";
            if (fault != nullptr) {
                return fail(error, fault);
            }
        } while (last == 0);
        return true;
    }

  private:
    static bool fail(std::string& error, const char* why) {
        error = why;
        return false;
    }

    const char* storedBlock() {
        in_.skipToByte();
        const std::uint8_t* header = nullptr;
        if (!in_.bytes(4, header)) {
            return "the stream ends inside a stored block's length";
        }
        const unsigned length = header[0] | header[1] << 8;
        const unsigned complement = header[2] | header[3] << 8;
        if ((length ^ 0xFFFFu) != complement) {
            return "a stored block's length does not match its complement";
        }
        const std::uint8_t* bytes = nullptr;
        if (!in_.bytes(length, bytes)) {
            return "the stream ends inside a stored block";
        }
        if (length > room()) {
            return "the output grows past its stated size";
        }
        std::memcpy(output_.data() + written_, bytes, length);
        written_ += length;
        return nullptr;
    }

    const char* fixedBlock() {
        std::array<std::uint8_t, 288> lengths{};
        for (int symbol = 0; symbol < 288; ++symbol) {
            lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
        }
        std::array<std::uint8_t, 30> distances{};
        distances.fill(5);
        buildCode(lengths.data(), 288, literals_);
        buildCode(distances.data(), 30, distances_);
        return codedData();
    }

    const char* dynamicBlock() {
        std::uint32_t literalCount = 0, distanceCount = 0, lengthCodeCount = 0;
        if (!in_.bits(5, literalCount) || !in_.bits(5, distanceCount) ||
            !in_.bits(4, lengthCodeCount)) {
            return "the stream ends inside a code description";
        }
        literalCount += 257;
        distanceCount += 1;
        lengthCodeCount += 4;
        if (literalCount > 286 || distanceCount > 30) {
            return "a code description with too many codes";
        }
        static constexpr std::array<std::uint8_t, 19> order = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
        std::array<std::uint8_t, 19> codeLengthLengths{};
        for (std::uint32_t i = 0; i < lengthCodeCount; ++i) {
            std::uint32_t length = 0;
            if (!in_.bits(3, length)) {
                return "the stream ends inside a code description";
            }
            codeLengthLengths[order[i]] = static_cast<std::uint8_t>(length);
        }
        HuffmanCode lengthCode;
        if (!buildCode(codeLengthLengths.data(), 19, lengthCode)) {
            return "an impossible code-length code";
        }
        std::array<std::uint8_t, 316> lengths{};
        const char* fault = readCodeLengths(lengthCode, literalCount + distanceCount, lengths);
        if (fault != nullptr) {
            return fault;
        }
        if (lengths[256] == 0) {
            return "a literal code without an end-of-block code";
        }
        if (!buildCode(lengths.data(), static_cast<int>(literalCount), literals_) ||
            !buildCode(lengths.data() + literalCount, static_cast<int>(distanceCount),
                       distances_)) {
            return "an impossible literal or distance code";
        }
        return codedData();
    }

    const char* readCodeLengths(const HuffmanCode& lengthCode, std::uint32_t total,
                                std::array<std::uint8_t, 316>& lengths) {
        std::uint32_t filled = 0;
        while (filled < total) {
            int symbol = 0;
            if (!decodeSymbol(in_, lengthCode, symbol)) {
                return "a bad or cut code length";
            }
            if (symbol < 16) {
                lengths[filled++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint32_t repeat = 0;
            std::uint8_t value = 0;
            bool read = false;
            if (symbol == 16) {
                if (filled == 0) {
                    return "a repeated code length with nothing before it";
                }
                value = lengths[filled - 1];
                read = in_.bits(2, repeat);
                repeat += 3;
            } else if (symbol == 17) {
                read = in_.bits(3, repeat);
                repeat += 3;
            } else {
                read = in_.bits(7, repeat);
                repeat += 11;
            }
            if (!read || repeat > total - filled) {
                return "a code length repeated past the end of the code";
            }
            while (repeat-- > 0) {
                lengths[filled++] = value;
            }
        }
        return nullptr;
    }

    const char* codedData() {
        for (;;) {
            int symbol = 0;
            if (!decodeSymbol(in_, literals_, symbol)) {
                return "a bad or cut literal code";
            }
            if (symbol < 256) {
                if (room() == 0) {
                    return "the output grows past its stated size";
                }
                output_[written_++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            if (symbol == 256) {
                return nullptr;
            }
            const char* fault = copyMatch(symbol - 257);
            if (fault != nullptr) {
                return fault;
            }
        }
    }

    const char* copyMatch(int lengthSymbol) {
        if (lengthSymbol >= 29) {
            return "a length code out of range";
        }
        std::uint32_t extra = 0;
        if (!in_.bits(lengthExtra[lengthSymbol], extra)) {
            return "the stream ends inside a length";
        }
        const std::size_t length = lengthBase[lengthSymbol] + extra;
        int distanceSymbol = 0;
        if (!decodeSymbol(in_, distances_, distanceSymbol) || distanceSymbol >= 30) {
            return "a bad or cut distance code";
        }
        if (!in_.bits(distanceExtra[distanceSymbol], extra)) {
            return "the stream ends inside a distance";
        }
        const std::size_t distance = distanceBase[distanceSymbol] + extra;
        if (distance > written_ || distance > windowSize) {
            return "a distance reaching before the start of the data";
        }
        if (length > room()) {
            return "the output grows past its stated size";
        }
        std::uint8_t* to = output_.data() + written_;
        const std::uint8_t* from = to - distance;
        if (distance >= length) {
            std::memcpy(to, from, length);
        } else if (distance == 1) {
            std::memset(to, *from, length); // a run of one byte
        } else {
            for (std::size_t i = 0; i < length; ++i) {
                to[i] = from[i]; // overlaps what this copy writes: byte by byte
            }
        }
        written_ += length;
        return nullptr;
    }

    std::size_t room() const { return limit_ - (written_ - streamStart_); }

    BitReader in_;
    std::vector<std::uint8_t>& output_;
    std::size_t streamStart_;
    std::size_t written_;
    std::size_t limit_;
    HuffmanCode literals_;
    HuffmanCode distances_;
};

} // namespace

bool inflateRaw(const std::uint8_t* data, std::size_t size, std::size_t outputLimit,
                std::vector<std::uint8_t>& output, std::string& error) {
    Inflater inflater(data, size, outputLimit, output);
    return inflater.run(error);
}
