#include "jpeg_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "jpeg_coefficients.h"
#include "jpeg_color.h"
#include "jpeg_entropy.h"
#include "jpeg_idct.h"
#include "jpeg_input.h"
#include "jpeg_progressive.h"

namespace {

// Larger pictures are refused rather than allocated for.
constexpr uint32_t kMaxEdge = 65500;
// The standard's limit on the blocks of one MCU.
constexpr int kMaxBlocksPerMcu = 10;

enum Marker : int {
    kSof0 = 0xC0,  // baseline
    kSof1 = 0xC1,  // extended sequential, Huffman
    kSof2 = 0xC2,  // progressive, Huffman
    kDht = 0xC4,
    kRst0 = 0xD0,
    kSoi = 0xD8,
    kEoi = 0xD9,
    kSos = 0xDA,
    kDqt = 0xDB,
    kDri = 0xDD,
    kApp0 = 0xE0,
    kApp14 = 0xEE,
    kApp15 = 0xEF,
    kCom = 0xFE,
};

// The fields of one marker segment; callers check Has() before reading.
class Segment {
public:
    explicit Segment(const std::vector<uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}
    size_t Left() const { return size_ - at_; }
    bool Has(size_t count) const { return Left() >= count; }
    int Byte() { return data_[at_++]; }
    int Word() {
        const int high = Byte();
        return high << 8 | Byte();
    }
    const uint8_t* Bytes(size_t count) {
        const uint8_t* bytes = data_ + at_;
        at_ += count;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

struct Component {
    int id = 0;
    int h = 1, v = 1;  // sampling factors: blocks across and down in an MCU
    int quantTable = 0;
    int hRatio = 1, vRatio = 1;                 // picture pixels per sample (in the rows, once planned)
    int blockSize = 8;                          // samples a side each block gives
    uint32_t blocksAcross = 0, blocksDown = 0;  // of a scan of this component alone
    uint32_t width = 0, height = 0;             // in samples (at the rows' scale, once planned)

    // From the scan header.
    const HuffmanTable* dc = nullptr;
    const HuffmanTable* ac = nullptr;
    uint16_t quant[64] = {};  // zigzag order, as the component's first scan found it
    bool quantLatched = false;
    int predictor = 0;
    JpegCoefficients coefficients;  // of a progressive file

    size_t stride = 0;                    // bytes per sample row of the MCU rows
    std::vector<uint8_t> rows, nextRows;  // the MCU row being shown and the one below
    std::vector<uint8_t> above;           // the last sample row of the MCU row before
    std::vector<uint8_t> upsampled;       // one picture row
};

class JpegDecoder {
public:
    JpegDecoder(ByteSource& source, RowSink& sink, size_t coefficientBudget)
        : input_(source), bits_(input_), sink_(sink), coefficientBudget_(coefficientBudget) {}
    PictureRead Read();

private:
    int NextMarker();
    bool ReadHeaderSegment(int marker, std::vector<uint8_t>& bytes);
    bool ReadSegment(std::vector<uint8_t>& bytes);
    bool ReadFrame(Segment segment);
    bool ReadHuffmanTables(Segment segment);
    bool ReadQuantTables(Segment segment);
    void ReadApplicationData(int marker, Segment segment);
    bool ReadScanHeader(Segment segment);
    bool ReadBand(Segment& segment);
    PictureRead ReadProgressiveScans(std::vector<uint8_t>& bytes);
    bool PlanCoefficients();
    PictureRead DecodeProgressiveScan();
    bool NextInterval(ProgressiveBlocks* blocks);
    bool DecodeBandOf(ProgressiveBlocks& blocks, Component& component, uint32_t x, uint32_t y);
    PictureRead ShowRows(bool (JpegDecoder::*fillMcuRow)(uint32_t mcuRow, bool intoNext));
    bool DecodeMcuRow(uint32_t mcuRow, bool intoNext);
    bool TransformMcuRow(uint32_t mcuRow, bool intoNext);
    bool ShowMcuRow(uint32_t mcuRow);
    const uint8_t* SampleRow(const Component& component, uint32_t row, uint32_t mcuRow) const;

    JpegInput input_;
    JpegBits bits_;
    RowSink& sink_;
    size_t coefficientBudget_;

    HuffmanTable dcTables_[4], acTables_[4];
    bool dcDefined_[4] = {}, acDefined_[4] = {};
    uint16_t quantTables_[4][64] = {};
    bool quantDefined_[4] = {};
    uint32_t restartInterval_ = 0;
    bool jfif_ = false;
    int adobeTransform_ = -1;

    bool frameRead_ = false;
    bool progressive_ = false;
    ProgressiveBand band_;                       // of the scan being read
    int blockSize_ = 8;                          // samples a side of a luma block in the rows: 8 at full size
    uint32_t shownWidth_ = 0, shownHeight_ = 0;  // the rows' size
    uint32_t width_ = 0, height_ = 0;
    int hMax_ = 1, vMax_ = 1;
    uint32_t mcusAcross_ = 0, mcuRows_ = 0;
    std::vector<Component> components_;  // in the frame's order
    std::vector<Component*> scan_;       // in the scan's order
    bool rgb_ = false;

    uint32_t restartsLeft_ = 0;
    int nextRestart_ = 0;
    YccToRgb ycc_;
    std::vector<uint32_t> pixels_;
};

PictureRead JpegDecoder::Read() {
    if (input_.Byte() != 0xFF || input_.Byte() != kSoi) return PictureRead::Unsupported;
    std::vector<uint8_t> bytes;
    for (;;) {
        const int marker = NextMarker();
        if (marker == kSos) {
            if (!ReadSegment(bytes) || !ReadScanHeader(Segment(bytes))) return PictureRead::Unsupported;
            return progressive_ ? ReadProgressiveScans(bytes) : ShowRows(&JpegDecoder::DecodeMcuRow);
        }
        if (!ReadHeaderSegment(marker, bytes)) return PictureRead::Unsupported;
    }
}

// One segment before the scan. False on a bad one, and on markers this
// reader does not take: other frame types, arithmetic coding tables, a
// picture's end before its scan, hierarchical files.
bool JpegDecoder::ReadHeaderSegment(int marker, std::vector<uint8_t>& bytes) {
    const bool application = (marker >= kApp0 && marker <= kApp15) || marker == kCom;
    if (application && marker != kApp0 && marker != kApp14) {
        const int length = input_.Word();
        return length >= 2 && input_.Skip(static_cast<size_t>(length - 2));
    }
    const bool table = marker == kDht || marker == kDqt || marker == kDri;
    if (!application && !table && marker != kSof0 && marker != kSof1 && marker != kSof2) return false;
    if (!ReadSegment(bytes)) return false;
    const Segment segment(bytes);
    switch (marker) {
    case kSof0:
    case kSof1:
        return ReadFrame(segment);
    case kSof2:
        progressive_ = true;
        return ReadFrame(segment);
    case kDht:
        return ReadHuffmanTables(segment);
    case kDqt:
        return ReadQuantTables(segment);
    case kDri:
        restartInterval_ = bytes.size() == 2 ? static_cast<uint32_t>(bytes[0] << 8 | bytes[1]) : 0;
        return bytes.size() == 2;
    default:
        ReadApplicationData(marker, segment);
        return true;
    }
}

// The next marker's code; -1 when something else comes.
int JpegDecoder::NextMarker() {
    if (input_.Byte() != 0xFF) return -1;
    int marker;
    do marker = input_.Byte();
    while (marker == 0xFF);
    return marker > 0 ? marker : -1;
}

bool JpegDecoder::ReadSegment(std::vector<uint8_t>& bytes) {
    const int length = input_.Word();
    if (length < 2) return false;
    bytes.resize(static_cast<size_t>(length - 2));
    return input_.Take(bytes.data(), bytes.size());
}

bool JpegDecoder::ReadFrame(Segment segment) {
    if (frameRead_ || !segment.Has(6)) return false;
    const int precision = segment.Byte();
    height_ = static_cast<uint32_t>(segment.Word());  // 0: given by a later marker, which this reader does not take
    width_ = static_cast<uint32_t>(segment.Word());
    const size_t count = static_cast<size_t>(segment.Byte());
    if (precision != 8 || !width_ || !height_ || width_ > kMaxEdge || height_ > kMaxEdge) return false;
    if ((count != 1 && count != 3) || segment.Left() != 3 * count) return false;

    components_.resize(count);
    int blocksPerMcu = 0;
    for (Component& component : components_) {
        component.id = segment.Byte();
        const int sampling = segment.Byte();
        component.quantTable = segment.Byte();
        component.h = sampling >> 4;
        component.v = sampling & 15;
        if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4 || component.quantTable > 3)
            return false;
        for (const Component& other : components_)
            if (&other != &component && other.id == component.id) return false;
        // A lone component's scan has blocks for MCUs, whatever its factors.
        if (count == 1) component.h = component.v = 1;
        hMax_ = std::max(hMax_, component.h);
        vMax_ = std::max(vMax_, component.v);
        blocksPerMcu += component.h * component.v;
    }
    if (blocksPerMcu > kMaxBlocksPerMcu) return false;
    for (Component& component : components_) {
        // Only whole ratios between the components' resolutions.
        if (hMax_ % component.h || vMax_ % component.v) return false;
        component.hRatio = hMax_ / component.h;
        component.vRatio = vMax_ / component.v;
        component.width =
            (width_ + static_cast<uint32_t>(component.hRatio) - 1) / static_cast<uint32_t>(component.hRatio);
        component.height =
            (height_ + static_cast<uint32_t>(component.vRatio) - 1) / static_cast<uint32_t>(component.vRatio);
        component.blocksAcross = (component.width + 7) / 8;
        component.blocksDown = (component.height + 7) / 8;
    }
    const uint32_t mcuWidth = 8 * static_cast<uint32_t>(hMax_), mcuHeight = 8 * static_cast<uint32_t>(vMax_);
    mcusAcross_ = (width_ + mcuWidth - 1) / mcuWidth;
    mcuRows_ = (height_ + mcuHeight - 1) / mcuHeight;
    frameRead_ = true;
    return true;
}

bool JpegDecoder::ReadHuffmanTables(Segment segment) {
    while (segment.Left() > 0) {
        if (!segment.Has(17)) return false;
        const int kindAndIndex = segment.Byte();
        const int kind = kindAndIndex >> 4, index = kindAndIndex & 15;
        if (kind > 1 || index > 3) return false;
        const uint8_t* counts = segment.Bytes(16);
        size_t total = 0;
        for (int i = 0; i < 16; ++i) total += counts[i];
        if (!segment.Has(total)) return false;
        const uint8_t* symbols = segment.Bytes(total);
        // 8-bit samples have DC differences of 11 bits at most.
        if (kind == 0 && std::any_of(symbols, symbols + total, [](uint8_t size) { return size > 11; })) return false;
        if (!BuildHuffmanTable(counts, symbols, kind ? acTables_[index] : dcTables_[index])) return false;
        (kind ? acDefined_ : dcDefined_)[index] = true;
    }
    return true;
}

bool JpegDecoder::ReadQuantTables(Segment segment) {
    while (segment.Left() > 0) {
        const int precisionAndIndex = segment.Byte();
        const int wide = precisionAndIndex >> 4, index = precisionAndIndex & 15;
        if (wide > 1 || index > 3 || !segment.Has(wide ? 128 : 64)) return false;
        for (uint16_t& factor : quantTables_[index])
            factor = static_cast<uint16_t>(wide ? segment.Word() : segment.Byte());
        quantDefined_[index] = true;
    }
    return true;
}

// What the application segments say about colour: a JFIF file is YCbCr,
// an Adobe one says which transform it used (0: none, RGB as it is).
void JpegDecoder::ReadApplicationData(int marker, Segment segment) {
    if (marker == kApp0 && segment.Has(5) && std::memcmp(segment.Bytes(5), "JFIF", 5) == 0) jfif_ = true;
    if (marker == kApp14 && segment.Has(12) && std::memcmp(segment.Bytes(5), "Adobe", 5) == 0) {
        segment.Bytes(6);  // version and flags
        adobeTransform_ = segment.Byte();
    }
}

bool JpegDecoder::ReadScanHeader(Segment segment) {
    if (!frameRead_ || !segment.Has(1)) return false;
    const size_t count = static_cast<size_t>(segment.Byte());
    // The rows stream out only when the first scan holds every component;
    // a progressive file's scans add up in the coefficients first.
    if (!progressive_ && count != components_.size()) return false;
    if (count < 1 || count > components_.size() || segment.Left() != 2 * count + 3) return false;
    scan_.clear();
    std::vector<int> tables;
    for (size_t i = 0; i < count; ++i) {
        const int id = segment.Byte();
        tables.push_back(segment.Byte());
        const auto component = std::find_if(components_.begin(), components_.end(),
                                            [id](const Component& candidate) { return candidate.id == id; });
        if (component == components_.end() || std::find(scan_.begin(), scan_.end(), &*component) != scan_.end())
            return false;
        scan_.push_back(&*component);
    }
    if (!ReadBand(segment)) return false;
    for (size_t i = 0; i < count; ++i) {
        Component& component = *scan_[i];
        const int dc = tables[i] >> 4, ac = tables[i] & 15;
        // A progressive scan uses one of the two, or (refining DC) neither.
        const bool dcUsed = band_.start == 0 && band_.high == 0, acUsed = band_.end > 0;
        if (dc > 3 || ac > 3 || (dcUsed && !dcDefined_[dc]) || (acUsed && !acDefined_[ac])) return false;
        if (!component.quantLatched && !quantDefined_[component.quantTable]) return false;
        component.dc = &dcTables_[dc];
        component.ac = &acTables_[ac];
        if (!component.quantLatched)
            std::memcpy(component.quant, quantTables_[component.quantTable], sizeof component.quant);
        component.quantLatched = true;
    }

    const auto named = [this](const char* ids) {
        return components_[0].id == ids[0] && components_[1].id == ids[1] && components_[2].id == ids[2];
    };
    // As the reference library decides: JFIF is YCbCr whatever else the
    // file says.
    rgb_ = components_.size() == 3 && !jfif_ && (adobeTransform_ >= 0 ? adobeTransform_ == 0 : named("RGB"));
    return true;
}

// Which coefficients the scan holds, and which of their bits. A sequential
// scan holds them all; a progressive one the DC coefficient of one or more
// components, or a band of AC ones of one, a bit more at a time.
bool JpegDecoder::ReadBand(Segment& segment) {
    band_.start = segment.Byte();
    band_.end = segment.Byte();
    const int approximation = segment.Byte();
    band_.high = approximation >> 4;
    band_.low = approximation & 15;
    if (!progressive_) return band_.start == 0 && band_.end == 63 && approximation == 0;
    if (band_.start == 0 ? band_.end != 0 : band_.end < band_.start || band_.end > 63 || scan_.size() != 1)
        return false;
    return band_.low <= 13 && (band_.high == 0 || band_.high == band_.low + 1);
}

// The scans of a progressive file, each into the coefficients, and at the
// picture's end the rows from them. Between scans only tables, restart
// intervals and application data may come.
PictureRead JpegDecoder::ReadProgressiveScans(std::vector<uint8_t>& bytes) {
    if (!PlanCoefficients()) return PictureRead::Unsupported;
    for (;;) {
        // AC coefficients of a component that keeps only its DC ones are
        // not read at all.
        int marker;
        if (band_.start > 0 && scan_[0]->blockSize == 1) {
            if (!sink_.Continue()) return PictureRead::Stopped;
            marker = bits_.SkipScan();
        } else {
            const PictureRead scan = DecodeProgressiveScan();
            if (scan != PictureRead::Decoded) return scan;
            marker = bits_.EndInterval();
        }
        for (; marker != kSos; marker = NextMarker()) {
            if (marker == kEoi) {
                if (!sink_.Continue()) return PictureRead::Stopped;
                return ShowRows(&JpegDecoder::TransformMcuRow);
            }
            if (marker == kSof0 || marker == kSof1 || marker == kSof2 || !ReadHeaderSegment(marker, bytes))
                return PictureRead::Unsupported;
        }
        if (!ReadSegment(bytes) || !ReadScanHeader(Segment(bytes))) return PictureRead::Unsupported;
    }
}

// How many coefficients of each block to keep: all of them where they fit
// the budget, else the lowest frequencies that the size the picture is
// shown at needs; a picture that even those would not fit is left to
// others.
bool JpegDecoder::PlanCoefficients() {
    uint32_t shownWidth = 0, shownHeight = 0;
    sink_.ShownSize(shownWidth, shownHeight);
    int reduction = 1;  // 2, 4 or 8: the picture is shown at most that much smaller
    const auto atLeastShown = [&](int by) {
        const uint32_t factor = static_cast<uint32_t>(by);
        return (width_ + factor - 1) / factor >= shownWidth && (height_ + factor - 1) / factor >= shownHeight;
    };
    while (reduction < 8 && shownWidth && shownHeight && atLeastShown(2 * reduction)) reduction *= 2;
    uint64_t blocks = 0;
    for (const Component& component : components_)
        blocks +=
            uint64_t{mcusAcross_} * static_cast<uint64_t>(component.h) * mcuRows_ * static_cast<uint64_t>(component.v);
    int kept = 8;
    if (blocks * JpegCoefficients::BytesPerBlock(kept) > coefficientBudget_) kept = 8 / reduction;
    // A component at half the resolution both ways (4:2:0's chroma) keeps
    // twice as many a side where that is not all of them and the budget
    // allows: its samples then come at the rows' resolution, as the
    // reference library's reduced decodes give them, rather than
    // interpolated from half of it.
    const auto bytesKept = [&](bool chromaDoubled) {
        uint64_t bytes = 0;
        for (const Component& component : components_) {
            const bool doubled =
                chromaDoubled && kept < 8 && component.hRatio == component.vRatio && kept * component.hRatio <= 8;
            bytes += uint64_t{mcusAcross_} * static_cast<uint64_t>(component.h) * mcuRows_ *
                     static_cast<uint64_t>(component.v) *
                     JpegCoefficients::BytesPerBlock(doubled ? kept * component.hRatio : kept);
        }
        return bytes;
    };
    const bool chromaDoubled = bytesKept(true) <= coefficientBudget_;
    if (!chromaDoubled && bytesKept(false) > coefficientBudget_) return false;
    for (Component& component : components_) {
        component.blockSize = kept;
        if (chromaDoubled && kept < 8 && component.hRatio == component.vRatio && kept * component.hRatio <= 8) {
            component.blockSize = kept * component.hRatio;
            component.hRatio = component.vRatio = 1;
        }
    }
    blockSize_ = kept;
    for (Component& component : components_)
        component.coefficients.Allocate(mcusAcross_ * static_cast<uint32_t>(component.h),
                                        mcuRows_ * static_cast<uint32_t>(component.v), component.blockSize);
    return true;
}

PictureRead JpegDecoder::DecodeProgressiveScan() {
    ProgressiveBlocks blocks(bits_, band_);
    restartsLeft_ = restartInterval_;
    nextRestart_ = 0;
    for (Component* component : scan_) component->predictor = 0;
    // Several components go by MCUs; one alone by its own blocks, which
    // stop at its edge where MCUs would go on.
    const bool interleaved = scan_.size() > 1;
    const uint32_t across = interleaved ? mcusAcross_ : scan_[0]->blocksAcross;
    const uint32_t down = interleaved ? mcuRows_ : scan_[0]->blocksDown;
    for (uint32_t row = 0; row < down; ++row) {
        if (!sink_.Continue()) return PictureRead::Stopped;
        for (uint32_t column = 0; column < across; ++column) {
            if (!NextInterval(&blocks)) return PictureRead::Unsupported;
            if (!interleaved) {
                if (!DecodeBandOf(blocks, *scan_[0], column, row)) return PictureRead::Unsupported;
                continue;
            }
            for (Component* component : scan_)
                for (int y = 0; y < component->v; ++y)
                    for (int x = 0; x < component->h; ++x)
                        if (!DecodeBandOf(blocks, *component,
                                          column * static_cast<uint32_t>(component->h) + static_cast<uint32_t>(x),
                                          row * static_cast<uint32_t>(component->v) + static_cast<uint32_t>(y)))
                            return PictureRead::Unsupported;
        }
        if (bits_.Overran()) return PictureRead::Unsupported;
    }
    return PictureRead::Decoded;
}

// Counts an MCU off the restart interval; at the interval's end, takes the
// restart marker due and starts the predictors (and any run of empty
// blocks) afresh. False when that marker is not there.
bool JpegDecoder::NextInterval(ProgressiveBlocks* blocks) {
    if (!restartInterval_) return true;
    if (restartsLeft_ == 0) {
        if (bits_.Overran() || bits_.EndInterval() != kRst0 + nextRestart_) return false;
        nextRestart_ = (nextRestart_ + 1) & 7;
        restartsLeft_ = restartInterval_;
        for (Component* component : scan_) component->predictor = 0;
        if (blocks) blocks->Restart();
    }
    --restartsLeft_;
    return true;
}

bool JpegDecoder::DecodeBandOf(ProgressiveBlocks& blocks, Component& component, uint32_t x, uint32_t y) {
    const CoefficientBlock block = component.coefficients.Block(x, y);
    return band_.start == 0 ? blocks.Dc(component.dc, component.predictor, block) : blocks.Ac(*component.ac, block);
}

// The samples of an MCU row from the coefficients kept.
bool JpegDecoder::TransformMcuRow(uint32_t mcuRow, bool intoNext) {
    for (Component& component : components_) {
        const size_t block = static_cast<size_t>(component.blockSize);
        uint8_t* rows = (intoNext ? component.nextRows : component.rows).data();
        const uint32_t blocksAcross = mcusAcross_ * static_cast<uint32_t>(component.h);
        for (int y = 0; y < component.v; ++y) {
            const uint32_t blockRow = mcuRow * static_cast<uint32_t>(component.v) + static_cast<uint32_t>(y);
            uint8_t* out = rows + static_cast<size_t>(y) * block * component.stride;
            for (uint32_t x = 0; x < blocksAcross; ++x, out += block) {
                int16_t coefficients[64];
                component.coefficients.Dequantize(x, blockRow, component.quant, coefficients);
                if (component.blockSize == 8)
                    InverseDct(coefficients, out, component.stride);
                else
                    InverseDctScaled(coefficients, component.blockSize, out, component.stride);
            }
        }
    }
    return true;
}

PictureRead JpegDecoder::ShowRows(bool (JpegDecoder::*fillMcuRow)(uint32_t mcuRow, bool intoNext)) {
    // At 1/2, 1/4 or 1/8 (blocks of 4, 2 or 1 samples), the sizes as the
    // reference library gives them: rounded up.
    const auto scaled = [](uint32_t size, int factor, int maxFactor, int blockSize) {
        const uint64_t samples = uint64_t{size} * static_cast<uint64_t>(factor * blockSize);
        const uint64_t per = 8 * static_cast<uint64_t>(maxFactor);
        return static_cast<uint32_t>((samples + per - 1) / per);
    };
    shownWidth_ = scaled(width_, 1, 1, blockSize_);
    shownHeight_ = scaled(height_, 1, 1, blockSize_);
    if (!sink_.Start(shownWidth_, shownHeight_)) return PictureRead::Stopped;
    for (Component& component : components_) {
        const size_t block = static_cast<size_t>(component.blockSize);
        component.width = scaled(width_, component.h, hMax_, component.blockSize);
        component.height = scaled(height_, component.v, vMax_, component.blockSize);
        component.stride = size_t{mcusAcross_} * static_cast<size_t>(component.h) * block;
        const size_t rows = block * static_cast<size_t>(component.v);
        component.rows.resize(component.stride * rows);
        component.nextRows.resize(component.stride * rows);
        component.above.resize(component.stride);
        if (component.hRatio > 1 || component.vRatio > 1) component.upsampled.resize(shownWidth_);
    }
    pixels_.resize(shownWidth_);
    restartsLeft_ = restartInterval_;

    if (!(this->*fillMcuRow)(0, false)) return PictureRead::Unsupported;
    for (uint32_t mcuRow = 0; mcuRow < mcuRows_; ++mcuRow) {
        // The row below is decoded first: the rows of halved components
        // at the bottom of this one are interpolated with it.
        if (mcuRow + 1 < mcuRows_ && !(this->*fillMcuRow)(mcuRow + 1, true)) return PictureRead::Unsupported;
        if (!ShowMcuRow(mcuRow)) return PictureRead::Stopped;
        for (Component& component : components_) {
            const size_t last =
                component.stride * (static_cast<size_t>(component.blockSize) * static_cast<size_t>(component.v) - 1);
            std::memcpy(component.above.data(), component.rows.data() + last, component.stride);
            std::swap(component.rows, component.nextRows);
        }
    }
    return PictureRead::Decoded;
}

bool JpegDecoder::DecodeMcuRow(uint32_t, bool intoNext) {
    for (uint32_t mcu = 0; mcu < mcusAcross_; ++mcu) {
        if (!NextInterval(nullptr)) return false;
        for (Component* component : scan_) {
            uint8_t* rows = (intoNext ? component->nextRows : component->rows).data();
            for (int y = 0; y < component->v; ++y) {
                for (int x = 0; x < component->h; ++x) {
                    int16_t block[64] = {};
                    const int last = bits_.DecodeBlock(*component->dc, *component->ac, component->quant,
                                                       component->predictor, block);
                    if (last < 0) return false;
                    const size_t column =
                        (size_t{mcu} * static_cast<size_t>(component->h) + static_cast<size_t>(x)) * 8;
                    uint8_t* out = rows + static_cast<size_t>(y) * 8 * component->stride + column;
                    if (last == 0)
                        FillBlock(block[0], out, component->stride);
                    else
                        InverseDct(block, out, component->stride);
                }
            }
        }
        if (bits_.Overran()) return false;
    }
    return true;
}

// Sample row `row` of a component, which lies in MCU row `mcuRow`, in the
// one above (its last row) or in the one below (its first row).
const uint8_t* JpegDecoder::SampleRow(const Component& component, uint32_t row, uint32_t mcuRow) const {
    const uint32_t rowsPerMcu = static_cast<uint32_t>(component.blockSize * component.v);
    const uint32_t first = mcuRow * rowsPerMcu;
    if (row < first) return component.above.data();
    if (row >= first + rowsPerMcu) return component.nextRows.data() + component.stride * (row - first - rowsPerMcu);
    return component.rows.data() + component.stride * (row - first);
}

bool JpegDecoder::ShowMcuRow(uint32_t mcuRow) {
    const uint32_t rowsPerMcu = static_cast<uint32_t>(blockSize_ * vMax_);
    const uint32_t top = mcuRow * rowsPerMcu;
    const uint32_t bottom = std::min(shownHeight_, top + rowsPerMcu);
    for (uint32_t y = top; y < bottom; ++y) {
        const uint8_t* samples[3] = {};
        for (size_t i = 0; i < components_.size(); ++i) {
            Component& component = components_[i];
            const uint32_t row = y / static_cast<uint32_t>(component.vRatio);
            samples[i] = SampleRow(component, row, mcuRow);
            if (component.hRatio == 1 && component.vRatio == 1) continue;
            // The upper of a sample's two picture rows leans on the sample
            // row above, the lower on the one below; edges repeat.
            const bool lower = y % 2 == 1;
            const uint8_t* neighbour = nullptr;
            if (UpsamplingBlendsRows(component.hRatio, component.vRatio)) {
                const uint32_t other = lower ? std::min(row + 1, component.height - 1) : row > 0 ? row - 1 : 0;
                neighbour = SampleRow(component, other, mcuRow);
            }
            UpsampleRow(samples[i], neighbour, lower, component.hRatio, component.vRatio, component.width,
                        component.upsampled.data(), shownWidth_);
            samples[i] = component.upsampled.data();
        }
        if (components_.size() == 1)
            GreyToPixels(samples[0], pixels_.data(), shownWidth_);
        else if (rgb_)
            RgbToPixels(samples[0], samples[1], samples[2], pixels_.data(), shownWidth_);
        else
            ycc_.Convert(samples[0], samples[1], samples[2], pixels_.data(), shownWidth_);
        if (!sink_.Row(pixels_.data())) return false;
    }
    return true;
}

}  // namespace

PictureRead ReadJpeg(ByteSource& source, RowSink& sink) { return ReadJpegWithin(source, sink, kJpegCoefficientBudget); }

PictureRead ReadJpegWithin(ByteSource& source, RowSink& sink, size_t coefficientBudget) {
    // On the heap: the tables and the input's buffer are too large for a
    // decoding thread's stack to take lightly.
    const auto decoder = std::make_unique<JpegDecoder>(source, sink, coefficientBudget);
    return decoder->Read();
}
