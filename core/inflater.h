// A zlib stream (deflate data in a two-byte header and an Adler-32 check)
// decompressed on demand: the caller asks for as many bytes as it needs
// next, and only the 32 KB window that back-references may reach is held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Where the compressed bytes come from, a piece at a time.
class CompressedInput {
public:
    virtual ~CompressedInput() = default;
    // Points `bytes` at the next piece and gives its length; 0 once the
    // stream's bytes are used up or cannot be read.
    virtual size_t NextPiece(const uint8_t** bytes) = 0;
};

class Inflater {
public:
    explicit Inflater(CompressedInput& input);
    // Exactly `count` decompressed bytes into `into`; false when the data
    // is damaged or ends before them (and from then on).
    bool Read(uint8_t* into, size_t count);
    // True when the stream ends here, after what was read: its last block
    // closes and its check matches the bytes it gave.
    bool Finish();

    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

private:
    // A canonical prefix code: codes of up to kFastBits bits through one
    // table look-up, longer ones bit by bit.
    struct Code {
        static constexpr int kFastBits = 10;
        uint16_t fast[1 << kFastBits];  // symbol << 4 | length; 0 for longer codes
        uint16_t counts[16];            // how many codes there are of each length
        uint16_t symbols[288];          // in the order of their codes
        bool Build(const uint8_t* lengths, int symbolCount);
    };
    enum class State { Header, BlockHeader, Stored, Codes, Done, Failed };

    bool Fail();
    void Need(int bits) {
        if (bitCount_ < bits) Refill(bits);
    }
    void Refill(int bits);
    bool Consume(int bits);
    bool Take(int bits, uint32_t& value);
    bool Decode(const Code& code, uint32_t& symbol);
    bool DecodeLong(const Code& code, uint32_t& symbol);
    bool ReadStreamHeader();
    bool StartBlock();
    bool ReadDynamicCodes();
    bool StartCopy(uint32_t lengthSymbol);
    void KeepInWindow(const uint8_t* bytes, size_t count);
    void UpdateCheck(const uint8_t* bytes, size_t count);

    CompressedInput& input_;
    const uint8_t* piece_ = nullptr;
    const uint8_t* pieceEnd_ = nullptr;
    bool inputEnded_ = false;
    uint64_t bits_ = 0;
    int bitCount_ = 0;    // bits in bits_, the padding included
    int paddedBits_ = 0;  // zero bits put in past the input's end: reading one fails

    State state_ = State::Header;
    bool lastBlock_ = false;
    uint32_t storedLeft_ = 0;
    uint32_t copyLength_ = 0, copyDistance_ = 0;
    Code literals_, distances_;

    std::vector<uint8_t> window_;
    uint32_t windowAt_ = 0;
    uint64_t produced_ = 0;
    uint32_t adlerLow_ = 1, adlerHigh_ = 0;
};
