#include "bitmap_file.h"

#include <cstdlib>
#include <cstring>

#include "little_endian.h"

namespace {

// BITMAPFILEHEADER (14 bytes).
constexpr size_t kFileHeaderSize = 14;
constexpr uint16_t kBitmapFileType = 0x4D42;     // "BM"
constexpr size_t kFileBitsOffsetAt = 10;

// BITMAPCOREHEADER (12 bytes).
constexpr uint32_t kCoreHeaderSize = 12;
constexpr size_t kCoreWidthAt = 4;
constexpr size_t kCoreHeightAt = 6;
constexpr size_t kCorePlanesAt = 8;
constexpr size_t kCoreBitCountAt = 10;

// BITMAPINFOHEADER (40 bytes).
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kInfoWidthAt = 4;
constexpr size_t kInfoHeightAt = 8;
constexpr size_t kInfoPlanesAt = 12;
constexpr size_t kInfoBitCountAt = 14;
constexpr size_t kInfoCompressionAt = 16;
constexpr size_t kInfoImageSizeAt = 20;
constexpr size_t kInfoColorsUsedAt = 32;
constexpr size_t kInfoColorsImportantAt = 36;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kColorMasksSize = 12;           // three 32-bit masks
constexpr size_t kRgbTripleSize = 3;
constexpr size_t kRgbQuadSize = 4;

// Limits against hostile headers: no real picture comes near them.
constexpr uint32_t kMostBitsPerPixel = 32;
constexpr uint64_t kMostPictureBytes = uint64_t(256) << 20;

bool IsCoreHeader(const uint8_t* header)
{
    return GetU32(header) == kCoreHeaderSize;
}

// Colour table bytes (and masks) behind a header, counted without the 16-bit cut.
uint64_t WidePaletteSize(const uint8_t* header, uint64_t colorCount)
{
    if (IsCoreHeader(header))
        return colorCount * kRgbTripleSize;
    if (GetU32(header + kInfoCompressionAt) == kBiBitfields)
        return colorCount * kRgbQuadSize + kColorMasksSize;
    return colorCount * kRgbQuadSize;
}

// What the header part of a bitmap file says, once checked: the block's 40-byte info header, the
// colour table's sizes in the file and in the block, and where the pixel rows start.
struct BitmapInfo {
    uint8_t Header[kInfoHeaderSize];
    bool CoreTable = false;          // the file's colour table holds RGBTRIPLEs
    uint16_t ColorCount = 0;
    size_t TableBytesInFile = 0;     // colour entries (and masks) behind the header in the file
    size_t TableBytes = 0;           // the same in the block: RGBQUADs (and masks)
    size_t ImageBytes = 0;
    bool HasBitsOffset = false;      // the file header gives the pixel rows' position
    uint64_t BitsPosition = 0;
};

// The core header's fields, widened to an info header of the same picture.
void WidenCoreHeader(const uint8_t* core, uint16_t colorCount, uint8_t* info)
{
    uint8_t widened[kInfoHeaderSize] = {};
    PutU32(widened, kInfoHeaderSize);
    PutU32(widened + kInfoWidthAt, GetU16(core + kCoreWidthAt));
    PutU32(widened + kInfoHeightAt, GetU16(core + kCoreHeightAt));
    PutU16(widened + kInfoPlanesAt, GetU16(core + kCorePlanesAt));
    PutU16(widened + kInfoBitCountAt, GetU16(core + kCoreBitCountAt));
    PutU32(widened + kInfoColorsUsedAt, colorCount);
    PutU32(widened + kInfoColorsImportantAt, colorCount);
    std::memcpy(info, widened, sizeof widened);
}

// Reads the file header (if any) and the info or core header, and leaves the file right behind the
// header, where the colour table starts. Refuses header versions other than core and info, and
// headers whose sizes no real picture has:
// - width not positive, height 0, bit count 0 or above 32;
// - a colour table whose size does not fit the 16 bits that BitmapPaletteSize gives (so that the
//   colour count and the palette size of the block always describe exactly the table it holds);
// - a block (header, colour table and pixel rows) above 256 MiB.
// All sizes are computed in 64 bits, so no header can make them wrap.
bool ReadBitmapInfo(ByteSource& file, BitmapInfo* info)
{
    const uint64_t start = file.Position();
    uint8_t fileHeader[kFileHeaderSize];
    if (file.Read(fileHeader, sizeof fileHeader) == sizeof fileHeader &&
        GetU16(fileHeader) == kBitmapFileType) {
        const uint32_t bitsOffset = GetU32(fileHeader + kFileBitsOffsetAt);
        info->HasBitsOffset = bitsOffset != 0;
        info->BitsPosition = start + bitsOffset;
    } else if (!file.SeekTo(start)) {
        return false;                // a packed bitmap: the info header comes first
    }

    const uint64_t headerStart = file.Position();
    uint8_t header[kInfoHeaderSize];
    if (file.Read(header, sizeof header) != sizeof header)
        return false;

    // Colours used is a 32-bit field; a count that does not fit 16 bits is refused below.
    const uint64_t wideColorCount =
        (!IsCoreHeader(header) && GetU32(header + kInfoColorsUsedAt) != 0)
            ? GetU32(header + kInfoColorsUsedAt)
            : BitmapColorCount(header);
    if (WidePaletteSize(header, wideColorCount) > UINT16_MAX)
        return false;
    info->ColorCount = uint16_t(wideColorCount);
    info->TableBytesInFile = size_t(WidePaletteSize(header, wideColorCount));

    if (IsCoreHeader(header)) {
        info->CoreTable = true;
        WidenCoreHeader(header, info->ColorCount, header);
        if (!file.SeekTo(headerStart + kCoreHeaderSize))
            return false;
    } else if (GetU32(header) != kInfoHeaderSize) {
        return false;
    }
    info->TableBytes = size_t(WidePaletteSize(header, wideColorCount));

    const int32_t width = GetI32(header + kInfoWidthAt);
    const int32_t height = GetI32(header + kInfoHeightAt);
    const uint32_t bitCount = GetU16(header + kInfoBitCountAt);
    if (width <= 0 || height == 0 || bitCount == 0 || bitCount > kMostBitsPerPixel)
        return false;

    // Rows stored top-down (negative height) take as many bytes as bottom-up ones. Uncompressed
    // pixels always get the room that width and height call for, whatever the image size field
    // says, so that whoever draws the block never reads past its end.
    const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    const uint64_t stride = (uint64_t(bitCount) * uint64_t(width) + 31) / 32 * 4;
    const uint64_t computedImageBytes = stride * rows;
    const uint32_t compression = GetU32(header + kInfoCompressionAt);
    const uint64_t fileImageBytes = GetU32(header + kInfoImageSizeAt);
    uint64_t imageBytes = fileImageBytes != 0 ? fileImageBytes : computedImageBytes;
    if ((compression == kBiRgb || compression == kBiBitfields) && imageBytes < computedImageBytes)
        imageBytes = computedImageBytes;
    if (kInfoHeaderSize + info->TableBytes + imageBytes > kMostPictureBytes)
        return false;
    info->ImageBytes = size_t(imageBytes);

    PutU32(header + kInfoImageSizeAt, uint32_t(imageBytes));
    PutU32(header + kInfoColorsUsedAt, info->ColorCount);
    std::memcpy(info->Header, header, sizeof header);
    return true;
}

// Reads the colour table (entries and masks) into the block's table area. A core table's
// RGBTRIPLEs are widened in place to RGBQUADs, from the last entry to the first, so that no entry
// is overwritten before it has moved. A table that ends early keeps zero bytes.
void ReadColorTable(ByteSource& file, const BitmapInfo& info, uint8_t* table)
{
    file.Read(table, info.TableBytesInFile);
    if (!info.CoreTable)
        return;
    for (size_t i = info.ColorCount; i-- > 0;) {
        uint8_t* quad = table + i * kRgbQuadSize;
        const uint8_t* triple = table + i * kRgbTripleSize;
        const uint8_t blue = triple[0], green = triple[1], red = triple[2];
        quad[0] = blue;
        quad[1] = green;
        quad[2] = red;
        quad[3] = 0;
    }
}

}  // namespace

void* HeapPictureMemory::AllocateZeroed(size_t bytes)
{
    return std::calloc(1, bytes);
}

void HeapPictureMemory::Release(void* block)
{
    std::free(block);
}

uint16_t BitmapColorCount(const void* header)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(header);
    uint32_t bitCount;
    if (IsCoreHeader(bytes)) {
        bitCount = GetU16(bytes + kCoreBitCountAt);
    } else {
        const uint32_t colorsUsed = GetU32(bytes + kInfoColorsUsedAt);
        if (colorsUsed != 0)
            return uint16_t(colorsUsed);
        bitCount = GetU16(bytes + kInfoBitCountAt);
    }
    return bitCount <= 8 ? uint16_t(1u << bitCount) : 0;
}

uint16_t BitmapPaletteSize(const void* header)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(header);
    return uint16_t(WidePaletteSize(bytes, BitmapColorCount(header)));
}

void* LoadBitmapFrom(ByteSource& file, PictureMemory& memory)
{
    BitmapInfo info;
    if (!ReadBitmapInfo(file, &info))
        return nullptr;

    // One zero-filled block for header, colour table and pixel rows: pixel bytes that the file
    // does not hold stay zero.
    const size_t tableAt = kInfoHeaderSize;
    const size_t bitsAt = tableAt + info.TableBytes;
    uint8_t* block = static_cast<uint8_t*>(memory.AllocateZeroed(bitsAt + info.ImageBytes));
    if (!block)
        return nullptr;
    std::memcpy(block, info.Header, kInfoHeaderSize);
    ReadColorTable(file, info, block + tableAt);

    // Without a pixel offset from the file header the rows follow the colour table.
    if (info.HasBitsOffset && !file.SeekTo(info.BitsPosition)) {
        memory.Release(block);
        return nullptr;
    }
    file.Read(block + bitsAt, info.ImageBytes);
    return block;
}

void* LoadBitmapFile(const char* path, PictureMemory& memory)
{
    FileSource file(path);
    if (!file.IsOpen())
        return nullptr;
    return LoadBitmapFrom(file, memory);
}

size_t PackedBitmapBitsOffset(const void* packed)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(packed);
    return size_t(GetU16(bytes)) + BitmapPaletteSize(packed);
}

size_t PackedBitmapSize(const void* packed)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(packed);
    return PackedBitmapBitsOffset(packed) + GetU32(bytes + kInfoImageSizeAt);
}
