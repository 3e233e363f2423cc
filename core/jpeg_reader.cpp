#include "jpeg_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "jpeg_color.h"
#include "jpeg_entropy.h"
#include "jpeg_idct.h"
#include "jpeg_input.h"

namespace {

// Larger pictures are refused rather than allocated for.
constexpr uint32_t kMaxEdge = 65500;
// The standard's limit on the blocks of one MCU.
constexpr int kMaxBlocksPerMcu = 10;

enum Marker : int {
    kSof0 = 0xC0,  // baseline
    kSof1 = 0xC1,  // extended sequential, Huffman
    kDht = 0xC4,
    kRst0 = 0xD0,
    kSoi = 0xD8,
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
    int hRatio = 1, vRatio = 1;      // picture pixels per sample
    uint32_t width = 0, height = 0;  // in samples

    // From the scan header.
    const HuffmanTable* dc = nullptr;
    const HuffmanTable* ac = nullptr;
    uint16_t quant[64] = {};  // zigzag order
    int predictor = 0;

    size_t stride = 0;                    // bytes per sample row of the MCU rows
    std::vector<uint8_t> rows, nextRows;  // the MCU row being shown and the one below
    std::vector<uint8_t> above;           // the last sample row of the MCU row before
    std::vector<uint8_t> upsampled;       // one picture row
};

class JpegDecoder {
public:
    JpegDecoder(ByteSource& source, RowSink& sink) : input_(source), bits_(input_), sink_(sink) {}
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
    PictureRead DecodeScan();
    bool DecodeMcuRow(bool intoNext);
    bool ShowMcuRow(uint32_t mcuRow);
    const uint8_t* SampleRow(const Component& component, uint32_t row, uint32_t mcuRow) const;

    JpegInput input_;
    JpegBits bits_;
    RowSink& sink_;

    HuffmanTable dcTables_[4], acTables_[4];
    bool dcDefined_[4] = {}, acDefined_[4] = {};
    uint16_t quantTables_[4][64] = {};
    bool quantDefined_[4] = {};
    uint32_t restartInterval_ = 0;
    bool jfif_ = false;
    int adobeTransform_ = -1;

    bool frameRead_ = false;
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
        if (marker == kSos)
            return ReadSegment(bytes) && ReadScanHeader(Segment(bytes)) ? DecodeScan() : PictureRead::Unsupported;
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
    if (!application && !table && marker != kSof0 && marker != kSof1) return false;
    if (!ReadSegment(bytes)) return false;
    const Segment segment(bytes);
    switch (marker) {
    case kSof0:
    case kSof1: return ReadFrame(segment);
    case kDht: return ReadHuffmanTables(segment);
    case kDqt: return ReadQuantTables(segment);
    case kDri:
        restartInterval_ = bytes.size() == 2 ? static_cast<uint32_t>(bytes[0] << 8 | bytes[1]) : 0;
        return bytes.size() == 2;
    default: ReadApplicationData(marker, segment); return true;
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
    // The rows stream out only when the first scan holds every component.
    if (count != components_.size() || segment.Left() != 2 * count + 3) return false;
    for (size_t i = 0; i < count; ++i) {
        const int id = segment.Byte();
        const int tables = segment.Byte();
        const auto component = std::find_if(components_.begin(), components_.end(),
                                            [id](const Component& candidate) { return candidate.id == id; });
        if (component == components_.end() || std::find(scan_.begin(), scan_.end(), &*component) != scan_.end())
            return false;
        const int dc = tables >> 4, ac = tables & 15;
        if (dc > 3 || ac > 3 || !dcDefined_[dc] || !acDefined_[ac] || !quantDefined_[component->quantTable])
            return false;
        component->dc = &dcTables_[dc];
        component->ac = &acTables_[ac];
        std::memcpy(component->quant, quantTables_[component->quantTable], sizeof component->quant);
        scan_.push_back(&*component);
    }
    const int start = segment.Byte(), end = segment.Byte(), approximation = segment.Byte();
    if (start != 0 || end != 63 || approximation != 0) return false;

    const auto named = [this](const char* ids) {
        return components_[0].id == ids[0] && components_[1].id == ids[1] && components_[2].id == ids[2];
    };
    // As the reference library decides: JFIF is YCbCr whatever else the
    // file says.
    rgb_ = count == 3 && !jfif_ && (adobeTransform_ >= 0 ? adobeTransform_ == 0 : named("RGB"));
    return true;
}

PictureRead JpegDecoder::DecodeScan() {
    if (!sink_.Start(width_, height_)) return PictureRead::Stopped;
    for (Component& component : components_) {
        component.stride = size_t{mcusAcross_} * static_cast<size_t>(component.h) * 8;
        const size_t rows = 8 * static_cast<size_t>(component.v);
        component.rows.resize(component.stride * rows);
        component.nextRows.resize(component.stride * rows);
        component.above.resize(component.stride);
        if (component.hRatio > 1 || component.vRatio > 1) component.upsampled.resize(width_);
    }
    pixels_.resize(width_);
    restartsLeft_ = restartInterval_;

    if (!DecodeMcuRow(false)) return PictureRead::Unsupported;
    for (uint32_t mcuRow = 0; mcuRow < mcuRows_; ++mcuRow) {
        // The row below is decoded first: the rows of halved components
        // at the bottom of this one are interpolated with it.
        if (mcuRow + 1 < mcuRows_ && !DecodeMcuRow(true)) return PictureRead::Unsupported;
        if (!ShowMcuRow(mcuRow)) return PictureRead::Stopped;
        for (Component& component : components_) {
            const size_t last = component.stride * (8 * static_cast<size_t>(component.v) - 1);
            std::memcpy(component.above.data(), component.rows.data() + last, component.stride);
            std::swap(component.rows, component.nextRows);
        }
    }
    return PictureRead::Decoded;
}

bool JpegDecoder::DecodeMcuRow(bool intoNext) {
    for (uint32_t mcu = 0; mcu < mcusAcross_; ++mcu) {
        if (restartInterval_) {
            if (restartsLeft_ == 0) {
                if (bits_.Overran() || bits_.EndInterval() != kRst0 + nextRestart_) return false;
                nextRestart_ = (nextRestart_ + 1) & 7;
                restartsLeft_ = restartInterval_;
                for (Component* component : scan_) component->predictor = 0;
            }
            --restartsLeft_;
        }
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
    const uint32_t rowsPerMcu = 8 * static_cast<uint32_t>(component.v);
    const uint32_t first = mcuRow * rowsPerMcu;
    if (row < first) return component.above.data();
    if (row >= first + rowsPerMcu) return component.nextRows.data() + component.stride * (row - first - rowsPerMcu);
    return component.rows.data() + component.stride * (row - first);
}

bool JpegDecoder::ShowMcuRow(uint32_t mcuRow) {
    const uint32_t top = mcuRow * 8 * static_cast<uint32_t>(vMax_);
    const uint32_t bottom = std::min(height_, top + 8 * static_cast<uint32_t>(vMax_));
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
                        component.upsampled.data(), width_);
            samples[i] = component.upsampled.data();
        }
        if (components_.size() == 1)
            GreyToPixels(samples[0], pixels_.data(), width_);
        else if (rgb_)
            RgbToPixels(samples[0], samples[1], samples[2], pixels_.data(), width_);
        else
            ycc_.Convert(samples[0], samples[1], samples[2], pixels_.data(), width_);
        if (!sink_.Row(pixels_.data())) return false;
    }
    return true;
}

}  // namespace

PictureRead ReadJpeg(ByteSource& source, RowSink& sink) {
    // On the heap: the tables and the input's buffer are too large for a
    // decoding thread's stack to take lightly.
    const auto decoder = std::make_unique<JpegDecoder>(source, sink);
    return decoder->Read();
}
