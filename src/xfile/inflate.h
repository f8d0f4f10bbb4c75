// A raw DEFLATE decoder (stored, fixed and dynamic Huffman blocks) for the compressed forms of
// .x files. Their MSZIP blocks are each a separate deflate stream whose back references may
// reach into the output of the blocks before it, so the decoder appends to one output buffer
// and lets distances reach back into whatever that buffer already holds (at most 32 KiB).
//
// Our own code so that neither platform needs zlib; the unit tests check it against zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Inflates one raw deflate stream of `size` bytes and appends its output to `output`. The stream
// must end within the input and produce at most `outputLimit` bytes. On failure returns false
// with the reason in error; output then holds whatever was decoded before the fault.
bool inflateRaw(const std::uint8_t* data, std::size_t size, std::size_t outputLimit,
                std::vector<std::uint8_t>& output, std::string& error);
