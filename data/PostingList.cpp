#include "data/PostingList.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "data/BitSet.h"

namespace lex::postings {

namespace {

constexpr size_t kBlock = 128;
constexpr size_t kBlockHeader = 5;  // first rank (4 bytes), width of the gaps (1 byte)

size_t bitmapBytes(uint32_t entries) {
    return (static_cast<size_t>(entries) + 63) / 64 * 8;
}

// Bits needed for the largest gap of a block (gaps are stored less one: a run of consecutive
// ranks needs no bits at all).
unsigned blockWidth(const uint32_t* ranks, size_t n) {
    uint32_t widest = 0;
    for (size_t i = 1; i < n; ++i)
        widest |= ranks[i] - ranks[i - 1] - 1;
    return static_cast<unsigned>(std::bit_width(widest));
}

size_t packedBytes(const uint32_t* ranks, size_t n) {
    size_t bytes = 0;
    for (size_t b = 0; b < n; b += kBlock) {
        const size_t m = std::min(kBlock, n - b);
        bytes += kBlockHeader + ((m - 1) * blockWidth(ranks + b, m) + 7) / 8;
    }
    return bytes;
}

uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

ListRef append(LargeVector<uint8_t>& buffer, const uint32_t* ranks, size_t n, uint32_t entries) {
    ListRef ref;
    ref.count = static_cast<uint32_t>(n);
    const size_t packed = packedBytes(ranks, n);
    ref.bitmap = bitmapBytes(entries) < packed;
    if (ref.bitmap) {
        // Bitmaps start on an 8-byte boundary, as their words are laid out in the set.
        buffer.resize((buffer.size() + 7) / 8 * 8, 0);
        ref.offset = static_cast<uint32_t>(buffer.size());
        ref.bytes = static_cast<uint32_t>(bitmapBytes(entries));
        buffer.resize(buffer.size() + ref.bytes, 0);
        uint8_t* bits = buffer.data() + ref.offset;
        for (size_t i = 0; i < n; ++i)
            bits[ranks[i] / 8] |= static_cast<uint8_t>(1u << (ranks[i] % 8));
        return ref;
    }
    ref.offset = static_cast<uint32_t>(buffer.size());
    ref.bytes = static_cast<uint32_t>(packed);
    buffer.resize(buffer.size() + packed, 0);
    uint8_t* out = buffer.data() + ref.offset;
    for (size_t b = 0; b < n; b += kBlock) {
        const size_t m = std::min(kBlock, n - b);
        const unsigned width = blockWidth(ranks + b, m);
        std::memcpy(out, &ranks[b], 4);
        out[4] = static_cast<uint8_t>(width);
        out += kBlockHeader;
        size_t bit = 0;
        for (size_t i = 1; i < m; ++i, bit += width) {
            uint64_t gap = ranks[b + i] - ranks[b + i - 1] - 1;
            for (unsigned k = 0; k < width; ++k, gap >>= 1)
                if (gap & 1)
                    out[(bit + k) / 8] |= static_cast<uint8_t>(1u << ((bit + k) % 8));
        }
        out += ((m - 1) * width + 7) / 8;
    }
    return ref;
}

bool fits(const ListRef& list, size_t bufferBytes, uint32_t entries) {
    if (list.count > entries || list.offset > bufferBytes || list.bytes > bufferBytes - list.offset)
        return false;
    if (list.bitmap)
        return list.bytes == bitmapBytes(entries) && list.offset % 8 == 0;
    return true;
}

void addTo(const uint8_t* buffer, size_t bufferBytes, const ListRef& list, BitSet& out) {
    const auto entries = static_cast<uint32_t>(out.size());
    if (!fits(list, bufferBytes, entries))
        return;
    const uint8_t* p = buffer + list.offset;
    if (list.bitmap) {
        uint64_t* words = out.words();
        const size_t n = std::min(out.wordCount(), static_cast<size_t>(list.bytes / 8));
        for (size_t w = 0; w < n; ++w)
            words[w] |= load64(p + 8 * w);
        if (entries % 64 && n == out.wordCount())  // nothing beyond the last entry
            words[n - 1] &= (uint64_t{1} << (entries % 64)) - 1;
        return;
    }
    const uint8_t* end = p + list.bytes;
    uint64_t* words = out.words();
    auto set = [words](uint64_t r) { words[r >> 6] |= uint64_t{1} << (r & 63); };
    for (size_t left = list.count; left > 0;) {
        const size_t m = std::min(kBlock, left);
        left -= m;
        if (end - p < static_cast<std::ptrdiff_t>(kBlockHeader))
            return;
        uint64_t rank = load32(p);
        const unsigned width = p[4];
        p += kBlockHeader;
        const size_t dataBytes = ((m - 1) * width + 7) / 8;
        if (width > 32 || end - p < static_cast<std::ptrdiff_t>(dataBytes) || rank >= entries)
            return;
        set(rank);
        const uint64_t mask = width == 0 ? 0 : (~uint64_t{0} >> (64 - width));
        size_t bit = 0;
        for (size_t i = 1; i < m; ++i, bit += width) {
            // Eight bytes from the byte holding the gap's first bit: the padding after the
            // last list keeps this inside the buffer.
            const uint64_t gap = width ? (load64(p + bit / 8) >> (bit % 8)) & mask : 0;
            rank += gap + 1;
            if (rank >= entries)
                return;
            set(rank);
        }
        p += dataBytes;
    }
}

}  // namespace lex::postings
