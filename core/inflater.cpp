#include "inflater.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kWindowSize = 32768;
constexpr uint32_t kWindowMask = kWindowSize - 1;
constexpr int kMaxCodeBits = 15;

// Lengths 3..258 (symbols 257..285) and distances 1..32768 (symbols
// 0..29): a base and the number of extra bits that follow the symbol.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The order in which a dynamic block gives the lengths of its code-length code.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

uint32_t Reversed(uint32_t code, int bits) {
    uint32_t reversed = 0;
    for (int i = 0; i < bits; ++i, code >>= 1) reversed = reversed << 1 | (code & 1);
    return reversed;
}

}  // namespace

bool Inflater::Code::Build(const uint8_t* lengths, int symbolCount) {
    std::fill(std::begin(counts), std::end(counts), 0);
    std::fill(std::begin(fast), std::end(fast), 0);
    for (int symbol = 0; symbol < symbolCount; ++symbol) ++counts[lengths[symbol]];
    int left = 1;  // codes of the current length still free
    for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
        left = (left << 1) - counts[bits];
        if (left < 0) return false;  // more codes than the lengths allow
    }
    // An incomplete code is allowed: its unused codes fail when met.
    uint16_t offsets[kMaxCodeBits + 1] = {0, 0};
    for (int bits = 1; bits < kMaxCodeBits; ++bits) offsets[bits + 1] = offsets[bits] + counts[bits];
    for (int symbol = 0; symbol < symbolCount; ++symbol)
        if (lengths[symbol]) symbols[offsets[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
    uint32_t code = 0;
    int index = 0;
    for (int bits = 1; bits <= kFastBits; ++bits, code <<= 1)
        for (int i = 0; i < counts[bits]; ++i, ++index, ++code)
            for (uint32_t at = Reversed(code, bits); at < (1u << kFastBits); at += 1u << bits)
                fast[at] = static_cast<uint16_t>(symbols[index] << 4 | bits);
    return true;
}

Inflater::Inflater(CompressedInput& input) : input_(input), window_(kWindowSize) {}

bool Inflater::Fail() {
    state_ = State::Failed;
    return false;
}

// Fills the bit buffer well beyond `bits` while the input lasts, so that
// most calls find enough bits already there; past the input's end zero
// bits fill in, so that a look-ahead near the end works, and Take and
// Decode refuse to hand one of them out.
void Inflater::Refill(int bits) {
    while (bitCount_ < bits) {
        if (piece_ == pieceEnd_ && !inputEnded_) {
            const uint8_t* next = nullptr;
            const size_t size = input_.NextPiece(&next);
            inputEnded_ = size == 0;
            piece_ = size ? next : nullptr;
            pieceEnd_ = size ? next + size : nullptr;
        }
        if (piece_ == pieceEnd_) {
            paddedBits_ += 8;
            bitCount_ += 8;
            continue;
        }
        while (bitCount_ <= 56 && piece_ != pieceEnd_) {
            bits_ |= uint64_t{*piece_++} << bitCount_;
            bitCount_ += 8;
        }
    }
}

bool Inflater::Consume(int bits) {
    if (bits > bitCount_ - paddedBits_) return Fail();
    bits_ >>= bits;
    bitCount_ -= bits;
    return true;
}

bool Inflater::Take(int bits, uint32_t& value) {
    Need(bits);
    value = static_cast<uint32_t>(bits_ & ((uint64_t{1} << bits) - 1));
    return Consume(bits);
}

bool Inflater::Decode(const Code& code, uint32_t& symbol) {
    Need(kMaxCodeBits);
    const uint16_t entry = code.fast[bits_ & ((1u << Code::kFastBits) - 1)];
    if (!entry) return DecodeLong(code, symbol);
    symbol = entry >> 4;
    return Consume(entry & 15);
}

// Canonical codes of one length are consecutive numbers, and each length's
// first code follows the previous length's last, doubled.
bool Inflater::DecodeLong(const Code& code, uint32_t& symbol) {
    int32_t first = 0, index = 0, value = 0;
    for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
        value |= static_cast<int32_t>(bits_ >> (bits - 1) & 1);
        const int32_t count = code.counts[bits];
        if (value - first < count) {
            symbol = code.symbols[index + value - first];
            return Consume(bits);
        }
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    return Fail();  // a code the block left unused
}

bool Inflater::ReadStreamHeader() {
    uint32_t method, flags;
    if (!Take(8, method) || !Take(8, flags)) return false;
    // Deflate with a window of at most 32 KB, no preset dictionary.
    if ((method & 15) != 8 || method >> 4 > 7 || (method << 8 | flags) % 31 != 0 || flags & 0x20) return Fail();
    state_ = State::BlockHeader;
    return true;
}

bool Inflater::StartBlock() {
    uint32_t last, type;
    if (!Take(1, last) || !Take(2, type)) return false;
    lastBlock_ = last != 0;
    if (type == 0) {
        uint32_t skipped, length, complement;
        if (!Take(bitCount_ % 8, skipped) || !Take(16, length) || !Take(16, complement)) return false;
        if ((length ^ 0xFFFF) != complement) return Fail();
        storedLeft_ = length;
        state_ = State::Stored;
        return true;
    }
    if (type == 1) {
        uint8_t lengths[288 + 30];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        std::fill(lengths + 288, lengths + 318, 5);
        literals_.Build(lengths, 288);
        distances_.Build(lengths + 288, 30);
        state_ = State::Codes;
        return true;
    }
    if (type == 2 && ReadDynamicCodes()) {
        state_ = State::Codes;
        return true;
    }
    return Fail();
}

bool Inflater::ReadDynamicCodes() {
    uint32_t literalCount, distanceCount, lengthCodeCount;
    if (!Take(5, literalCount) || !Take(5, distanceCount) || !Take(4, lengthCodeCount)) return false;
    literalCount += 257;
    distanceCount += 1;
    lengthCodeCount += 4;
    if (literalCount > 286 || distanceCount > 30) return false;
    uint8_t lengths[286 + 30] = {};
    for (uint32_t i = 0; i < lengthCodeCount; ++i) {
        uint32_t length;
        if (!Take(3, length)) return false;
        lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(length);
    }
    Code lengthCode;
    if (!lengthCode.Build(lengths, 19)) return false;
    std::fill(lengths, lengths + 19, 0);
    const uint32_t total = literalCount + distanceCount;
    for (uint32_t at = 0; at < total;) {
        uint32_t symbol, repeat;
        if (!Decode(lengthCode, symbol)) return false;
        if (symbol < 16) {
            lengths[at++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        if (symbol == 16) {
            if (at == 0 || !Take(2, repeat)) return false;  // repeats a length before it
            value = lengths[at - 1];
            repeat += 3;
        } else if (symbol == 17) {
            if (!Take(3, repeat)) return false;
            repeat += 3;
        } else {
            if (!Take(7, repeat)) return false;
            repeat += 11;
        }
        if (repeat > total - at) return false;
        std::fill(lengths + at, lengths + at + repeat, value);
        at += repeat;
    }
    // Without a code for the block's end, it could never end.
    return lengths[256] != 0 && literals_.Build(lengths, literalCount) &&
           distances_.Build(lengths + literalCount, distanceCount);
}

bool Inflater::StartCopy(uint32_t lengthSymbol) {
    uint32_t extra, distanceSymbol, distanceExtra;
    lengthSymbol -= 257;
    if (lengthSymbol >= 29 || !Take(kLengthExtra[lengthSymbol], extra) || !Decode(distances_, distanceSymbol))
        return Fail();
    if (distanceSymbol >= 30 || !Take(kDistanceExtra[distanceSymbol], distanceExtra)) return Fail();
    copyLength_ = kLengthBase[lengthSymbol] + extra;
    copyDistance_ = kDistanceBase[distanceSymbol] + distanceExtra;
    if (copyDistance_ > produced_) return Fail();  // before the stream's start
    return true;
}

// The output goes straight to `into`; copies reach back into it, and past
// its start into the window, which takes the output's last 32 KB at the end.
bool Inflater::Read(uint8_t* into, size_t count) {
    uint8_t* out = into;
    uint8_t* const end = into + count;
    const uint8_t* const window = window_.data();
    while (out < end) {
        if (copyLength_) {
            uint32_t length = static_cast<uint32_t>(std::min<size_t>(copyLength_, end - out));
            copyLength_ -= length;
            produced_ += length;
            const size_t written = out - into;
            if (copyDistance_ > written) {  // starts in the window
                const uint32_t back = static_cast<uint32_t>(copyDistance_ - written);
                const uint32_t fromWindow = std::min(length, back);
                for (uint32_t i = 0, from = windowAt_ - back; i < fromWindow; ++i)
                    *out++ = window[(from + i) & kWindowMask];
                length -= fromWindow;
            }
            // A copy nearer than its length repeats its first copyDistance_
            // bytes: any whole number of those back gives the same bytes,
            // so each step may reach back twice as far as the one before.
            for (uint32_t reach = copyDistance_; length;) {
                const uint32_t step = std::min(length, reach);
                std::memcpy(out, out - reach, step);
                out += step;
                length -= step;
                if (reach <= static_cast<size_t>(out - into) / 2) reach *= 2;
            }
            continue;
        }
        uint32_t symbol;
        switch (state_) {
        case State::Codes:
            if (!Decode(literals_, symbol)) return false;
            while (symbol < 256) {  // literals come in runs
                *out++ = static_cast<uint8_t>(symbol);
                ++produced_;
                if (out == end) break;
                if (!Decode(literals_, symbol)) return false;
            }
            if (symbol < 256) {
                break;
            } else if (symbol == 256) {
                state_ = State::BlockHeader;
            } else if (!StartCopy(symbol)) {
                return false;
            }
            break;
        case State::Stored:
            if (storedLeft_ == 0) {
                state_ = State::BlockHeader;
            } else {
                if (!Take(8, symbol)) return false;
                --storedLeft_;
                *out++ = static_cast<uint8_t>(symbol);
                ++produced_;
            }
            break;
        case State::BlockHeader:
            if (lastBlock_) {
                state_ = State::Done;
                return false;
            }
            if (!StartBlock()) return Fail();
            break;
        case State::Header:
            if (!ReadStreamHeader()) return Fail();
            break;
        case State::Done:
        case State::Failed:
            return false;
        }
    }
    KeepInWindow(into, count);
    UpdateCheck(into, count);
    return true;
}

void Inflater::KeepInWindow(const uint8_t* bytes, size_t count) {
    if (count > kWindowSize) {
        bytes += count - kWindowSize;
        count = kWindowSize;
    }
    const size_t first = std::min<size_t>(count, kWindowSize - windowAt_);
    std::memcpy(window_.data() + windowAt_, bytes, first);
    std::memcpy(window_.data(), bytes + first, count - first);
    windowAt_ = static_cast<uint32_t>((windowAt_ + count) & kWindowMask);
}

void Inflater::UpdateCheck(const uint8_t* bytes, size_t count) {
    constexpr uint32_t kModulus = 65521;
    constexpr size_t kBytesBeforeOverflow = 5552;
    while (count) {
        size_t run = std::min(count, kBytesBeforeOverflow);
        count -= run;
        // Sixteen bytes at a time: each adds its value to the low sum and,
        // through the low sums after it, its value times its distance from
        // the run's end to the high sum.
        for (; run >= 16; run -= 16, bytes += 16) {
            uint32_t sum = 0, weighted = 0;
            for (uint32_t i = 0; i < 16; ++i) {
                sum += bytes[i];
                weighted += (16 - i) * bytes[i];
            }
            adlerHigh_ += 16 * adlerLow_ + weighted;
            adlerLow_ += sum;
        }
        for (; run; --run) {
            adlerLow_ += *bytes++;
            adlerHigh_ += adlerLow_;
        }
        adlerLow_ %= kModulus;
        adlerHigh_ %= kModulus;
    }
}

bool Inflater::Finish() {
    uint8_t more;
    if (Read(&more, 1) || state_ != State::Done) return false;  // more data, or damaged
    uint32_t skipped, check = 0;
    if (!Take(bitCount_ % 8, skipped)) return false;
    for (int i = 0; i < 4; ++i) {
        uint32_t byte;
        if (!Take(8, byte)) return false;
        check = check << 8 | byte;
    }
    return check == (adlerHigh_ << 16 | adlerLow_);
}
