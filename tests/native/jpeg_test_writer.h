// A small JPEG writer for the reader's tests: files no encoder at hand
// makes (Huffman tables of a chosen shape, marker combinations, progressive
// scans with restart intervals and runs of empty blocks), from quantized
// coefficients, with every quantization factor 1. Components are sampled
// 1 x 1, so an interleaved MCU is one block of each.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

// A DHT table: codes per length and their symbols, as the segment has them.
struct TestHuffmanCode {
    std::vector<uint8_t> counts = std::vector<uint8_t>(16), symbols;

    void Add(int length, uint8_t symbol) {
        ++counts[static_cast<size_t>(length - 1)];
        symbols.push_back(symbol);
    }
    // The canonical code of `symbol`: its bits and their number.
    std::pair<uint32_t, int> CodeOf(uint8_t symbol) const {
        uint32_t code = 0;
        size_t index = 0;
        for (int length = 1; length <= 16; ++length, code <<= 1)
            for (int i = 0; i < counts[static_cast<size_t>(length - 1)]; ++i, ++code, ++index)
                if (symbols[index] == symbol) return {code, length};
        std::abort();  // a symbol the table lacks: the test is wrong
    }
};

// DC sizes 0 to 11, 4 bits each.
inline TestHuffmanCode TestDcCode() {
    TestHuffmanCode code;
    for (uint8_t size = 0; size <= 11; ++size) code.Add(4, size);
    return code;
}

// Every AC symbol (runs and sizes, 16 zeros, end of block and runs of
// ends of blocks), `length` bits each, after `first` at `firstLength` bits
// when `firstLength` is nonzero.
inline TestHuffmanCode TestAcCode(int length, uint8_t first = 0, int firstLength = 0) {
    TestHuffmanCode code;
    if (firstLength) code.Add(firstLength, first);
    for (int symbol = 0; symbol < 256; ++symbol) {
        const int run = symbol >> 4, size = symbol & 15;
        const bool used = size ? size <= 10 : run == 15 || run <= 14;
        if (used && !(firstLength && symbol == first)) code.Add(length, static_cast<uint8_t>(symbol));
    }
    return code;
}

struct TestJpeg {
    uint32_t width = 16, height = 16;
    std::vector<uint8_t> ids = {1};  // one per component
    bool jfif = false;
    int adobeTransform = -1;  // -1: no Adobe marker
    int restartInterval = 0;
    bool progressive = false;  // a DC scan of all components, then one scan per band per component
    std::vector<std::pair<int, int>> bands = {{1, 5}, {6, 63}};
    TestHuffmanCode dc = TestDcCode(), ac = TestAcCode(8);
    // Per component, blocks in rows across the picture: zigzag order.
    std::vector<std::vector<std::array<int, 64>>> blocks;
};

class TestBitWriter {
public:
    explicit TestBitWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            byte_ = static_cast<uint8_t>(byte_ << 1 | (bits >> i & 1));
            if (++used_ == 8) Emit();
        }
    }
    void Code(const TestHuffmanCode& code, uint8_t symbol) {
        const auto [bits, length] = code.CodeOf(symbol);
        Put(bits, length);
    }
    // A value's size category, then its bits (negative values as ones' complement).
    static int SizeOf(int value) {
        int size = 0;
        for (int magnitude = std::abs(value); magnitude; magnitude >>= 1) ++size;
        return size;
    }
    void Value(int value, int size) { Put(static_cast<uint32_t>(value > 0 ? value : value + (1 << size) - 1), size); }
    // Pads the last byte with ones.
    void Flush() {
        while (used_) Put(1, 1);
    }

private:
    void Emit() {
        out_.push_back(byte_);
        if (byte_ == 0xFF) out_.push_back(0);
        byte_ = 0;
        used_ = 0;
    }
    std::vector<uint8_t>& out_;
    uint8_t byte_ = 0;
    int used_ = 0;
};

namespace test_jpeg_detail {

inline void Segment(std::vector<uint8_t>& out, uint8_t marker, const std::vector<uint8_t>& body) {
    out.insert(out.end(),
               {0xFF, marker, static_cast<uint8_t>((body.size() + 2) >> 8), static_cast<uint8_t>(body.size() + 2)});
    out.insert(out.end(), body.begin(), body.end());
}

inline void FlushEobRun(TestBitWriter& bits, const TestHuffmanCode& ac, int& eobRun) {
    if (eobRun <= 0) return;
    const int extra = TestBitWriter::SizeOf(eobRun) - 1;
    bits.Code(ac, static_cast<uint8_t>(extra << 4));
    bits.Put(static_cast<uint32_t>(eobRun - (1 << extra)), extra);
    eobRun = 0;
}

// Codes coefficients start..end of one block; `eobRun` counts empty
// blocks not yet coded (progressive scans), -1 where runs are not coded.
inline void CodeBand(TestBitWriter& bits, const TestHuffmanCode& ac, const std::array<int, 64>& block, int start,
                     int end, int& eobRun) {
    int last = start - 1;
    for (int k = start; k <= end; ++k)
        if (block[static_cast<size_t>(k)]) last = k;
    const auto flushRun = [&] { FlushEobRun(bits, ac, eobRun); };
    if (last < start && eobRun >= 0) {
        if (++eobRun == 0x7FFF) flushRun();
        return;
    }
    flushRun();
    int run = 0;
    for (int k = start; k <= last; ++k) {
        const int value = block[static_cast<size_t>(k)];
        if (!value) {
            ++run;
            continue;
        }
        for (; run >= 16; run -= 16) bits.Code(ac, 0xF0);
        const int size = TestBitWriter::SizeOf(value);
        bits.Code(ac, static_cast<uint8_t>(run << 4 | size));
        bits.Value(value, size);
        run = 0;
    }
    if (last < end) {
        if (eobRun >= 0)
            eobRun = 1;
        else
            bits.Code(ac, 0x00);
    }
}

}  // namespace test_jpeg_detail

inline std::vector<uint8_t> WriteTestJpeg(const TestJpeg& picture) {
    using namespace test_jpeg_detail;
    const size_t count = picture.ids.size();
    std::vector<uint8_t> out = {0xFF, 0xD8};
    if (picture.jfif) Segment(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    if (picture.adobeTransform >= 0)
        Segment(out, 0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, static_cast<uint8_t>(picture.adobeTransform)});
    std::vector<uint8_t> quant(65, 1);
    quant[0] = 0;
    Segment(out, 0xDB, quant);
    std::vector<uint8_t> frame = {8,
                                  static_cast<uint8_t>(picture.height >> 8),
                                  static_cast<uint8_t>(picture.height),
                                  static_cast<uint8_t>(picture.width >> 8),
                                  static_cast<uint8_t>(picture.width),
                                  static_cast<uint8_t>(count)};
    for (uint8_t id : picture.ids) frame.insert(frame.end(), {id, 0x11, 0});
    Segment(out, picture.progressive ? 0xC2 : 0xC0, frame);
    for (const auto& [kind, code] : {std::make_pair(0x00, &picture.dc), std::make_pair(0x10, &picture.ac)}) {
        std::vector<uint8_t> table = {static_cast<uint8_t>(kind)};
        table.insert(table.end(), code->counts.begin(), code->counts.end());
        table.insert(table.end(), code->symbols.begin(), code->symbols.end());
        Segment(out, 0xC4, table);
    }
    if (picture.restartInterval)
        Segment(out, 0xDD,
                {static_cast<uint8_t>(picture.restartInterval >> 8), static_cast<uint8_t>(picture.restartInterval)});

    const size_t blocks = picture.blocks[0].size();
    // One scan: the components given, coefficients start..end.
    const auto scan = [&](const std::vector<size_t>& components, int start, int end) {
        std::vector<uint8_t> header = {static_cast<uint8_t>(components.size())};
        for (size_t c : components) header.insert(header.end(), {picture.ids[c], 0x00});
        header.insert(header.end(), {static_cast<uint8_t>(start), static_cast<uint8_t>(end), 0});
        Segment(out, 0xDA, header);
        TestBitWriter bits(out);
        std::vector<int> predictors(count);
        int eobRun = picture.progressive ? 0 : -1, restart = 0;
        for (size_t b = 0; b < blocks; ++b) {
            if (picture.restartInterval && b && b % static_cast<size_t>(picture.restartInterval) == 0) {
                FlushEobRun(bits, picture.ac, eobRun);
                bits.Flush();
                out.insert(out.end(), {0xFF, static_cast<uint8_t>(0xD0 + restart)});
                restart = (restart + 1) & 7;
                std::fill(predictors.begin(), predictors.end(), 0);
            }
            for (size_t c : components) {
                const std::array<int, 64>& block = picture.blocks[c][b];
                if (start == 0) {
                    const int difference = block[0] - predictors[c];
                    predictors[c] = block[0];
                    bits.Code(picture.dc, static_cast<uint8_t>(TestBitWriter::SizeOf(difference)));
                    bits.Value(difference, TestBitWriter::SizeOf(difference));
                }
                if (end > 0) CodeBand(bits, picture.ac, block, std::max(start, 1), end, eobRun);
            }
        }
        FlushEobRun(bits, picture.ac, eobRun);
        bits.Flush();
    };
    std::vector<size_t> all;
    for (size_t c = 0; c < count; ++c) all.push_back(c);
    if (!picture.progressive) {
        scan(all, 0, 63);
    } else {
        scan(all, 0, 0);
        for (const auto& [start, end] : picture.bands)
            for (size_t c = 0; c < count; ++c) scan({c}, start, end);
    }
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}
