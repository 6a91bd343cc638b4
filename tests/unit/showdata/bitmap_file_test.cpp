#include "bitmap_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "jpeg_to_bitmap.h"
#include "little_endian.h"
#include "test_files.h"
#include "test_picture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Heap blocks that remember their sizes, so that a test can compare what the loader allocated
// with what the block says about itself. Blocks above `limit` bytes are refused.
class RecordingMemory : public PictureMemory {
public:
    explicit RecordingMemory(size_t limit = SIZE_MAX) : limit_(limit) {}
    ~RecordingMemory() override { EXPECT_TRUE(sizes_.empty()) << "blocks left behind"; }

    void* AllocateZeroed(size_t bytes) override
    {
        if (bytes > limit_)
            return nullptr;
        void* block = std::calloc(1, bytes);
        sizes_[block] = bytes;
        return block;
    }
    void Release(void* block) override
    {
        EXPECT_EQ(sizes_.erase(block), 1u);
        std::free(block);
    }
    size_t SizeOf(const void* block) const { return sizes_.at(const_cast<void*>(block)); }

private:
    size_t limit_;
    std::map<void*, size_t> sizes_;
};

// Releases the block at the end of a test.
struct Loaded {
    RecordingMemory& Memory;
    uint8_t* Block;
    Loaded(RecordingMemory& memory, const Bytes& file)
        : Memory(memory)
    {
        MemorySource source(file);
        Block = static_cast<uint8_t*>(LoadBitmapFrom(source, memory));
    }
    ~Loaded()
    {
        if (Block)
            Memory.Release(Block);
    }
    Bytes Range(size_t from, size_t size) const { return Bytes(Block + from, Block + from + size); }
};

void Append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

Bytes U16(uint16_t value)
{
    Bytes bytes(2);
    PutU16(bytes.data(), value);
    return bytes;
}

Bytes U32(uint32_t value)
{
    Bytes bytes(4);
    PutU32(bytes.data(), value);
    return bytes;
}

Bytes FileHeader(uint32_t fileSize, uint32_t bitsOffset)
{
    Bytes bytes = {'B', 'M'};
    for (const Bytes& field : {U32(fileSize), U32(0), U32(bitsOffset)})
        Append(bytes, field);
    return bytes;
}

struct InfoFields {
    int32_t Width = 2, Height = 2;
    uint16_t BitCount = 24;
    uint32_t Compression = 0, ImageSize = 0, ColorsUsed = 0, ColorsImportant = 0;
    uint32_t HeaderSize = 40;
};

Bytes InfoHeader(const InfoFields& f)
{
    Bytes bytes;
    for (const Bytes& field : {U32(f.HeaderSize), U32(uint32_t(f.Width)), U32(uint32_t(f.Height)),
                               U16(1), U16(f.BitCount), U32(f.Compression), U32(f.ImageSize),
                               U32(2835), U32(2835), U32(f.ColorsUsed), U32(f.ColorsImportant)})
        Append(bytes, field);
    bytes.resize(f.HeaderSize, 0);     // a longer header version: its further fields are zero
    return bytes;
}

Bytes CoreHeader(uint16_t width, uint16_t height, uint16_t bitCount)
{
    Bytes bytes;
    for (const Bytes& field : {U32(12), U16(width), U16(height), U16(1), U16(bitCount)})
        Append(bytes, field);
    return bytes;
}

// `count` bytes that say where they are: n, n + 1, ... (never all zero).
Bytes Numbered(size_t count, uint8_t first)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(first + i);
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        Append(out, part);
    return out;
}

// A bitmap file with a file header whose pixel offset points right behind `table`.
Bytes BitmapFile(const Bytes& header, const Bytes& table, const Bytes& pixels)
{
    const uint32_t bitsAt = uint32_t(14 + header.size() + table.size());
    return Concat({FileHeader(uint32_t(bitsAt + pixels.size()), bitsAt), header, table, pixels});
}

InfoFields Info(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = 0)
{
    InfoFields f;
    f.Width = width;
    f.Height = height;
    f.BitCount = bitCount;
    f.Compression = compression;
    return f;
}

InfoFields WithColors(InfoFields f, uint32_t colorsUsed)
{
    f.ColorsUsed = colorsUsed;
    return f;
}

InfoFields WithImageSize(InfoFields f, uint32_t imageSize)
{
    f.ImageSize = imageSize;
    return f;
}

InfoFields WithHeaderSize(InfoFields f, uint32_t headerSize)
{
    f.HeaderSize = headerSize;
    return f;
}

Bytes Cut(const Bytes& bytes, size_t length)
{
    return Bytes(bytes.begin(), bytes.begin() + long(length));
}

// What a loaded block must hold.
struct Expected {
    int32_t Width, Height;
    uint16_t BitCount;
    uint32_t ImageSize, ColorsUsed, ColorsImportant;
    Bytes Table;        // colour entries and masks as the block holds them
    Bytes Pixels;       // the first pixel bytes of the block (the rest of the image area is zero)
};

struct LoadCase {
    const char* Name;
    Bytes File;
    Expected Block;
};

std::vector<LoadCase> LoadCases()
{
    const Bytes masks = Concat({U32(0xF800), U32(0x07E0), U32(0x001F)});
    const Bytes quads16 = Numbered(64, 1), quads256 = Numbered(1024, 7);
    Bytes triples16 = Numbered(48, 1), widened16;
    for (size_t i = 0; i < 16; ++i)
        Append(widened16, {triples16[3 * i], triples16[3 * i + 1], triples16[3 * i + 2], 0});

    std::vector<LoadCase> cases = {
        {"24-bit 3 x 2, as the converter writes it",
         BitmapFile(InfoHeader(Info(3, 2, 24)), {}, Numbered(24, 100)),
         {3, 2, 24, 24, 0, 0, {}, Numbered(24, 100)}},
        {"24-bit 1 x 3: each row's pad byte is loaded with it",
         BitmapFile(InfoHeader(Info(1, 3, 24)), {}, Numbered(12, 9)),
         {1, 3, 24, 12, 0, 0, {}, Numbered(12, 9)}},
        {"8-bit, colours used 0: a full table of 256",
         BitmapFile(InfoHeader(Info(4, 2, 8)), quads256, Numbered(8, 50)),
         {4, 2, 8, 8, 256, 0, quads256, Numbered(8, 50)}},
        {"8-bit, colours used 16",
         BitmapFile(InfoHeader(WithColors(Info(4, 2, 8), 16)), quads16, Numbered(8, 50)),
         {4, 2, 8, 8, 16, 0, quads16, Numbered(8, 50)}},
        {"4-bit core header: triples widened to quads",
         BitmapFile(CoreHeader(40000, 2, 4), triples16, Numbered(40000, 3)),
         {40000, 2, 4, 40000, 16, 16, widened16, Numbered(40000, 3)}},
        {"16-bit BI_BITFIELDS: masks behind the header",
         BitmapFile(InfoHeader(Info(2, 2, 16, 3)), masks, Numbered(8, 60)),
         {2, 2, 16, 8, 0, 0, masks, Numbered(8, 60)}},
        {"16-bit BI_BITFIELDS with 2 colours: masks, then the colours",
         BitmapFile(InfoHeader(WithColors(Info(2, 2, 16, 3), 2)), Concat({masks, Numbered(8, 1)}),
                    Numbered(8, 60)),
         {2, 2, 16, 8, 2, 0, Concat({masks, Numbered(8, 1)}), Numbered(8, 60)}},
        {"32-bit BI_RGB: no masks", BitmapFile(InfoHeader(Info(2, 1, 32)), {}, Numbered(8, 70)),
         {2, 1, 32, 8, 0, 0, {}, Numbered(8, 70)}},
        {"packed 1-bit: pixels right behind the table",
         Concat({InfoHeader(Info(8, 2, 1)), Numbered(8, 1), Numbered(8, 80)}),
         {8, 2, 1, 8, 2, 0, Numbered(8, 1), Numbered(8, 80)}},
        {"packed 32-bit BI_RGB: pixels right behind the header",
         Concat({InfoHeader(Info(2, 1, 32)), Numbered(8, 90)}),
         {2, 1, 32, 8, 0, 0, {}, Numbered(8, 90)}},
        {"packed 16-bit BI_BITFIELDS",
         Concat({InfoHeader(Info(2, 1, 16, 3)), masks, Numbered(4, 90)}),
         {2, 1, 16, 4, 0, 0, masks, Numbered(4, 90)}},
        {"top-down rows (negative height)",
         BitmapFile(InfoHeader(Info(2, -3, 24)), {}, Numbered(24, 5)),
         {2, -3, 24, 24, 0, 0, {}, Numbered(24, 5)}},
        {"image size too small for the rows: raised",
         BitmapFile(InfoHeader(WithImageSize(Info(2, 2, 24), 4)), {}, Numbered(16, 5)),
         {2, 2, 24, 16, 0, 0, {}, Numbered(16, 5)}},
        {"image size larger than the rows: kept",
         BitmapFile(InfoHeader(WithImageSize(Info(2, 2, 24), 40)), {}, Numbered(16, 5)),
         {2, 2, 24, 40, 0, 0, {}, Numbered(16, 5)}},
        {"run-length coded: image size as given",
         BitmapFile(InfoHeader(WithImageSize(WithColors(Info(8, 8, 8, 1), 2), 6)), Numbered(8, 1),
                    Numbered(6, 20)),
         {8, 8, 8, 6, 2, 0, Numbered(8, 1), Numbered(6, 20)}},
    };
    // A file whose pixel offset leaves a gap behind the table: the pixels come from the offset.
    Bytes gap = Concat({FileHeader(0, 14 + 40 + 10), InfoHeader(Info(1, 1, 24)), Bytes(10, 0xAA),
                        Numbered(4, 30)});
    cases.push_back({"pixel offset behind a gap", gap, {1, 1, 24, 4, 0, 0, {}, Numbered(4, 30)}});
    return cases;
}

TEST(LoadBitmap, BlocksHoldHeaderTableAndPixels)
{
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.Name);
        RecordingMemory memory;
        Loaded loaded(memory, c.File);
        ASSERT_NE(loaded.Block, nullptr);
        const uint8_t* header = loaded.Block;
        const Expected& e = c.Block;
        EXPECT_EQ(GetU32(header), 40u);
        EXPECT_EQ(GetI32(header + 4), e.Width);
        EXPECT_EQ(GetI32(header + 8), e.Height);
        EXPECT_EQ(GetU16(header + 12), 1);
        EXPECT_EQ(GetU16(header + 14), e.BitCount);
        EXPECT_EQ(GetU32(header + 20), e.ImageSize);
        EXPECT_EQ(GetU32(header + 32), e.ColorsUsed);
        EXPECT_EQ(GetU32(header + 36), e.ColorsImportant);

        const size_t bitsAt = 40 + e.Table.size();
        EXPECT_EQ(PackedBitmapBitsOffset(loaded.Block), bitsAt);
        EXPECT_EQ(PackedBitmapSize(loaded.Block), bitsAt + e.ImageSize);
        EXPECT_EQ(memory.SizeOf(loaded.Block), bitsAt + e.ImageSize);
        EXPECT_EQ(loaded.Range(40, e.Table.size()), e.Table);
        EXPECT_EQ(loaded.Range(bitsAt, e.Pixels.size()), e.Pixels);
        EXPECT_EQ(loaded.Range(bitsAt + e.Pixels.size(), e.ImageSize - e.Pixels.size()),
                  Bytes(e.ImageSize - e.Pixels.size(), 0));
    }
}

TEST(LoadBitmap, RefusedFiles)
{
    // Enough pixel bytes behind every header that only the header decides.
    const Bytes pixels = Numbered(64, 1);
    const InfoFields info24 = Info(2, 2, 24), info8 = Info(2, 2, 8);
    const Bytes whole = BitmapFile(InfoHeader(info24), {}, pixels);
    const struct {
        const char* Name;
        Bytes File;
    } cases[] = {
        {"empty", {}},
        {"file header only", FileHeader(14, 54)},
        {"39 bytes of info header", Cut(whole, 14 + 39)},
        {"packed, 39 bytes of info header", Cut(InfoHeader(Info(2, 2, 24)), 39)},
        {"108-byte header", BitmapFile(InfoHeader(WithHeaderSize(info24, 108)), {}, pixels)},
        {"124-byte header", BitmapFile(InfoHeader(WithHeaderSize(info24, 124)), {}, pixels)},
        {"64-byte header", BitmapFile(InfoHeader(WithHeaderSize(info24, 64)), {}, pixels)},
        {"width 0", BitmapFile(InfoHeader(Info(0, 2, 24)), {}, pixels)},
        {"negative width", BitmapFile(InfoHeader(Info(-2, 2, 24)), {}, pixels)},
        {"height 0", BitmapFile(InfoHeader(Info(2, 0, 24)), {}, pixels)},
        {"core height 0", BitmapFile(CoreHeader(2, 0, 24), {}, pixels)},
        {"bit count 0", BitmapFile(InfoHeader(Info(2, 2, 0)), {}, pixels)},
        {"bit count 33", BitmapFile(InfoHeader(Info(2, 2, 33)), {}, pixels)},
        {"colours used 70000", BitmapFile(InfoHeader(WithColors(info8, 70000)), {}, pixels)},
        {"colours used 65536", BitmapFile(InfoHeader(WithColors(info8, 65536)), {}, pixels)},
        {"colour table beyond 16 bits",
         BitmapFile(InfoHeader(WithColors(Info(2, 2, 16, 3), 16381)), {}, pixels)},
        {"block above 256 MiB", BitmapFile(InfoHeader(Info(100000, 1000, 24)), {}, pixels)},
        {"most negative height", BitmapFile(InfoHeader(Info(1, INT32_MIN, 32)), {}, pixels)},
        {"largest sizes", BitmapFile(InfoHeader(Info(INT32_MAX, INT32_MAX, 32)), {}, pixels)},
        {"run-length image size 4 GiB",
         BitmapFile(InfoHeader(WithImageSize(Info(2, 2, 8, 1), UINT32_MAX)), {}, pixels)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RecordingMemory memory;
        Loaded loaded(memory, c.File);
        EXPECT_EQ(loaded.Block, nullptr);
    }
}

TEST(LoadBitmap, AllocationFailureGivesNothing)
{
    RecordingMemory memory(16);
    Loaded loaded(memory, LoadCases()[0].File);
    EXPECT_EQ(loaded.Block, nullptr);
}

// A file cut at any length gives nothing while its headers are incomplete, and otherwise the same
// block as the whole file with zeros wherever the cut file has no bytes.
TEST(LoadBitmap, FileCutAtEveryLength)
{
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.Name);
        if (c.File.size() > 2000 || c.Block.ColorsImportant != 0)
            continue;     // long files take long; a core table is checked on its own below
        RecordingMemory memory;
        Loaded whole(memory, c.File);
        ASSERT_NE(whole.Block, nullptr);
        const size_t blockSize = PackedBitmapSize(whole.Block);
        const bool packed = c.File[0] != 'B';
        const size_t headerEnd = packed ? 40 : 54;

        // Where each block byte behind the header comes from in the file.
        std::vector<size_t> source(blockSize, SIZE_MAX);
        const size_t tableBytes = c.Block.Table.size();
        const size_t fileTableAt = headerEnd;
        for (size_t i = 0; i < tableBytes; ++i)
            source[40 + i] = fileTableAt + i;
        const size_t fileBitsAt = packed ? fileTableAt + tableBytes : GetU32(c.File.data() + 10);
        for (size_t i = 0; 40 + tableBytes + i < blockSize; ++i)
            source[40 + tableBytes + i] = fileBitsAt + i;

        for (size_t cut = 0; cut < c.File.size(); ++cut) {
            SCOPED_TRACE("cut at " + std::to_string(cut));
            // An exact-size copy, so that the sanitizers see any read past the cut.
            const Bytes bytes(c.File.begin(), c.File.begin() + long(cut));
            Loaded part(memory, bytes);
            if (cut < headerEnd) {
                EXPECT_EQ(part.Block, nullptr);
                continue;
            }
            ASSERT_NE(part.Block, nullptr);
            ASSERT_EQ(PackedBitmapSize(part.Block), blockSize);
            EXPECT_EQ(part.Range(0, 40), whole.Range(0, 40));
            for (size_t i = 40; i < blockSize; ++i) {
                const uint8_t expected = source[i] < cut ? whole.Block[i] : 0;
                if (part.Block[i] != expected) {
                    ADD_FAILURE() << "block byte " << i;
                    break;
                }
            }
        }
    }
}

TEST(LoadBitmap, CoreTableCutInsideAnEntryKeepsZeros)
{
    Bytes triples = Numbered(48, 1);
    const Bytes file = BitmapFile(CoreHeader(8, 1, 4), triples, Numbered(4, 200));
    // Behind the file header, 40 bytes must be there even for the 12-byte core header.
    for (size_t held = 28; held <= 48; ++held) {
        SCOPED_TRACE("table bytes held " + std::to_string(held));
        RecordingMemory memory;
        Loaded loaded(memory, Bytes(file.begin(), file.begin() + long(14 + 12 + held)));
        ASSERT_NE(loaded.Block, nullptr);
        for (size_t i = 0; i < 16; ++i) {
            for (size_t k = 0; k < 3; ++k)
                EXPECT_EQ(loaded.Block[40 + 4 * i + k], 3 * i + k < held ? triples[3 * i + k] : 0);
            EXPECT_EQ(loaded.Block[40 + 4 * i + 3], 0);
        }
        EXPECT_EQ(loaded.Range(40 + 64, 4), Bytes(4, 0));
    }
}

// Damaged headers never make a block that says more than it holds: whoever draws it reads within
// the block. The sanitizers watch every read of the file bytes.
TEST(LoadBitmap, DamagedFilesNeverOverstateTheirBlock)
{
    const std::vector<LoadCase> cases = LoadCases();
    std::mt19937 random(7);
    int loadedCount = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes file = cases[random() % cases.size()].File;
        if (file.size() > 4000)
            continue;
        const int flips = 1 + int(random() % 6);
        for (int i = 0; i < flips; ++i) {
            const size_t at = random() % 2 ? random() % (file.size() < 70 ? file.size() : 70)
                                           : random() % file.size();
            const uint8_t flipped = uint8_t(file[at] ^ (1u << (random() % 8)));
            file[at] = random() % 3 ? uint8_t(random()) : flipped;
        }
        if (random() % 3 == 0)
            file.resize(random() % (file.size() + 1));

        RecordingMemory memory(size_t(16) << 20);
        Loaded loaded(memory, file);
        if (!loaded.Block)
            continue;
        ++loadedCount;
        const uint8_t* header = loaded.Block;
        ASSERT_EQ(PackedBitmapSize(loaded.Block), memory.SizeOf(loaded.Block));
        const uint32_t compression = GetU32(header + 16);
        if (compression == 0 || compression == 3) {
            const int32_t height = GetI32(header + 8);
            const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
            const uint64_t bits = uint64_t(GetU16(header + 14)) * GetU32(header + 4);
            const uint64_t stride = (bits + 31) / 32 * 4;
            EXPECT_GE(GetU32(header + 20), stride * rows);
        }
        const uint32_t colors = GetU32(header + 32);
        if (colors != 0) {
            EXPECT_EQ(BitmapColorCount(header), colors);
        }
    }
    EXPECT_GT(loadedCount, 100) << "the damage should leave many files loadable";
}

TEST(LoadBitmap, ColorCountAndPaletteSize)
{
    const struct {
        const char* Name;
        Bytes Header;
        uint16_t Colors, PaletteSize;
    } cases[] = {
        {"core 1-bit", CoreHeader(1, 1, 1), 2, 6},
        {"core 8-bit", CoreHeader(1, 1, 8), 256, 768},
        {"core 24-bit", CoreHeader(1, 1, 24), 0, 0},
        {"info 4-bit", InfoHeader(Info(1, 1, 4)), 16, 64},
        {"info 8-bit, 16 used", InfoHeader(WithColors(Info(1, 1, 8), 16)), 16, 64},
        {"info 24-bit, 256 used", InfoHeader(WithColors(Info(1, 1, 24), 256)), 256, 1024},
        {"info 16-bit bitfields", InfoHeader(Info(1, 1, 16, 3)), 0, 12},
        {"info 32-bit BI_RGB", InfoHeader(Info(1, 1, 32)), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(BitmapColorCount(c.Header.data()), c.Colors);
        EXPECT_EQ(BitmapPaletteSize(c.Header.data()), c.PaletteSize);
    }
}

// The converter's file, loaded from disk: the block is its info header and its pixel rows.
TEST(LoadBitmap, LoadsTheConvertersFile)
{
    ScratchFolder folder;
    const std::string jpegPath = folder.Path("picture.jpg"), bitmapPath = folder.Path("SSS1.tmp");
    TestPictureSpec spec;
    spec.Width = 3;
    spec.Height = 2;
    std::string error;
    ASSERT_TRUE(WriteFileBytes(jpegPath, MakeTestJpeg(spec, &error))) << error;
    ASSERT_EQ(ConvertShowPicture(jpegPath.c_str(), bitmapPath.c_str(), 0), 1);
    const Bytes file = ReadFileBytes(bitmapPath);
    ASSERT_EQ(file.size(), 78u);

    RecordingMemory memory;
    uint8_t* block = static_cast<uint8_t*>(LoadBitmapFile(bitmapPath.c_str(), memory));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(memory.SizeOf(block), 64u);
    EXPECT_EQ(GetU32(block + 20), 24u);
    EXPECT_EQ(GetU32(block + 32), 0u);
    // The file's info header, with the image size filled in.
    const Bytes infoHeader = Concat({Bytes(file.begin() + 14, file.begin() + 34), U32(24),
                                     Bytes(file.begin() + 38, file.begin() + 54)});
    EXPECT_EQ(Bytes(block, block + 40), infoHeader);
    EXPECT_EQ(Bytes(block + 40, block + 64), Bytes(file.begin() + 54, file.end()));
    memory.Release(block);

    EXPECT_EQ(LoadBitmapFile(folder.Path("missing.bmp").c_str(), memory), nullptr);
}

}  // namespace
