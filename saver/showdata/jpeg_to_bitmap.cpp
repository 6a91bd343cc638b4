#include "jpeg_to_bitmap.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

#include "little_endian.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBitsOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr int kDotsPerCentimetre = 2;
constexpr int kBytesPerPixel = 3;

// The most memory one conversion may take: the decoded picture on its own, and all the whole-image
// arrays of the decoder together (the picture and, for progressive streams, the coefficients). A
// hostile header can claim 65500 x 65500 pixels; such a picture is refused before any of it is
// decoded, by the size check below or by the memory manager (a fatal error).
constexpr uint32_t kMostPictureBytes = uint32_t(512) << 20;

// The decoder's error record: the library's error manager, and behind it the point to resume at
// when the decoder meets a fatal error.
struct PictureErrorManager {
    jpeg_error_mgr Standard;
    jmp_buf RecoveryPoint;
};

// Reports the fatal error the standard way and goes back to the conversion routine; never returns
// to the library.
void PictureErrorExit(j_common_ptr decoder)
{
    decoder->err->output_message(decoder);
    PictureErrorManager* errors = reinterpret_cast<PictureErrorManager*>(decoder->err);
    std::longjmp(errors->RecoveryPoint, 1);
}

// The output module: collects the decoded rows in a whole-image array, and writes them out bottom
// row first when the picture is complete. It lives in the decoder's image pool.
struct BitmapFileWriter {
    void (*StartOutput)(j_decompress_ptr decoder, BitmapFileWriter* writer);
    void (*PutRows)(j_decompress_ptr decoder, BitmapFileWriter* writer, JDIMENSION rowsSupplied);
    void (*FinishOutput)(j_decompress_ptr decoder, BitmapFileWriter* writer);
    std::FILE* OutputFile;
    JSAMPARRAY RowBuffer;
    JDIMENSION RowBufferHeight;
    jvirt_sarray_ptr WholeImage;
    uint32_t DataWidth;
    uint32_t RowWidth;
    int32_t PadBytes;
    uint32_t CurrentRow;
};

void StartBitmapOutput(j_decompress_ptr, BitmapFileWriter*) {}

// Stores the one row of the row buffer as the next row of the whole image: pixels turned from red,
// green, blue to blue, green, red, then the pad bytes.
void PutBitmapRows(j_decompress_ptr decoder, BitmapFileWriter* writer, JDIMENSION rowsSupplied)
{
    if (rowsSupplied == 0 || writer->CurrentRow >= decoder->output_height)
        return;
    JSAMPARRAY imageRow = decoder->mem->access_virt_sarray(
        reinterpret_cast<j_common_ptr>(decoder), writer->WholeImage, writer->CurrentRow, 1, TRUE);
    ++writer->CurrentRow;

    const JSAMPLE* in = writer->RowBuffer[0];
    JSAMPLE* out = imageRow[0];
    for (JDIMENSION x = 0; x < decoder->output_width; ++x) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        in += kBytesPerPixel;
        out += kBytesPerPixel;
    }
    for (int32_t pad = 0; pad < writer->PadBytes; ++pad)
        *out++ = 0;
}

// JFIF densities in dots per centimetre become pixels per metre; other units give no resolution.
int32_t PixelsPerMetre(j_decompress_ptr decoder, UINT16 density)
{
    return decoder->density_unit == kDotsPerCentimetre ? int32_t(density) * 100 : 0;
}

// The 14-byte file header and the 40-byte info header of a 24-bit bottom-up bitmap.
void WriteBitmapHeaders(j_decompress_ptr decoder, BitmapFileWriter* writer)
{
    uint8_t fileHeader[kFileHeaderSize] = {};
    uint8_t infoHeader[kInfoHeaderSize] = {};
    const uint32_t imageBytes = writer->RowWidth * decoder->output_height;

    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    PutU32(fileHeader + 2, kBitsOffset + imageBytes);
    PutU32(fileHeader + 10, kBitsOffset);

    PutU32(infoHeader + 0, kInfoHeaderSize);
    PutU32(infoHeader + 4, decoder->output_width);
    PutU32(infoHeader + 8, decoder->output_height);
    PutU16(infoHeader + 12, 1);                                   // planes
    PutU16(infoHeader + 14, 8 * kBytesPerPixel);                  // bits per pixel
    PutU32(infoHeader + 24, uint32_t(PixelsPerMetre(decoder, decoder->X_density)));
    PutU32(infoHeader + 28, uint32_t(PixelsPerMetre(decoder, decoder->Y_density)));

    std::fwrite(fileHeader, 1, sizeof fileHeader, writer->OutputFile);
    std::fwrite(infoHeader, 1, sizeof infoHeader, writer->OutputFile);
}

// Writes the headers, then the rows from the bottom of the picture to its top.
void FinishBitmapOutput(j_decompress_ptr decoder, BitmapFileWriter* writer)
{
    WriteBitmapHeaders(decoder, writer);
    for (JDIMENSION row = decoder->output_height; row > 0; --row) {
        JSAMPARRAY imageRow = decoder->mem->access_virt_sarray(
            reinterpret_cast<j_common_ptr>(decoder), writer->WholeImage, row - 1, 1, FALSE);
        std::fwrite(imageRow[0], 1, writer->RowWidth, writer->OutputFile);
    }
    std::fflush(writer->OutputFile);
}

// Only three-component output (red, green, blue) fits the file, and the decoded picture must stay
// within kMostPictureBytes (which also keeps the file's size within its 32-bit field). Grayscale
// pictures are asked for as RGB, which the decoder gives; four-colour (CMYK, YCCK) pictures cannot
// be turned into RGB by the decoder and are refused.
bool ChooseOutputFormat(j_decompress_ptr decoder)
{
    if (decoder->jpeg_color_space == JCS_GRAYSCALE)
        decoder->out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(decoder);
    if (decoder->output_components != kBytesPerPixel)
        return false;
    const uint64_t rowWidth = (uint64_t(decoder->output_width) * kBytesPerPixel + 3) / 4 * 4;
    return rowWidth * decoder->output_height <= kMostPictureBytes;
}

// The writer for the decoder's picture, or nullptr when the picture does not fit a 24-bit bitmap
// file. Runs after jpeg_read_header and before jpeg_start_decompress.
BitmapFileWriter* CreateBitmapFileWriter(j_decompress_ptr decoder)
{
    if (!ChooseOutputFormat(decoder))
        return nullptr;

    j_common_ptr common = reinterpret_cast<j_common_ptr>(decoder);
    BitmapFileWriter* writer = static_cast<BitmapFileWriter*>(
        decoder->mem->alloc_small(common, JPOOL_IMAGE, sizeof(BitmapFileWriter)));
    writer->StartOutput = StartBitmapOutput;
    writer->PutRows = PutBitmapRows;
    writer->FinishOutput = FinishBitmapOutput;
    writer->OutputFile = nullptr;
    writer->DataWidth = decoder->output_width * kBytesPerPixel;
    writer->RowWidth = writer->DataWidth;
    while (writer->RowWidth & 3)
        ++writer->RowWidth;
    writer->PadBytes = int32_t(writer->RowWidth - writer->DataWidth);
    writer->CurrentRow = 0;
    writer->WholeImage = decoder->mem->request_virt_sarray(
        common, JPOOL_IMAGE, FALSE, writer->RowWidth, decoder->output_height, 1);
    writer->RowBuffer = decoder->mem->alloc_sarray(common, JPOOL_IMAGE, writer->RowWidth, 1);
    writer->RowBufferHeight = 1;
    return writer;
}

// Ends a conversion that failed: no decoder call may follow on this decoder but its destruction.
int AbandonConversion(j_decompress_ptr decoder, std::FILE* showFile, std::FILE* bitmapFile)
{
    jpeg_destroy_decompress(decoder);
    std::fclose(showFile);
    std::fclose(bitmapFile);
    return 0;
}

}  // namespace

// Nothing with a destructor lives in this frame: a fatal decoder error comes back to the setjmp
// below through longjmp. The decoder and the error record are changed after the setjmp only
// through their addresses, and the files are not changed after it.
int ConvertShowPicture(const char* showPath, const char* bitmapPath, int32_t jpegOffset)
{
    std::FILE* const showFile = std::fopen(showPath, "rb");
    if (!showFile)
        return 0;
    // A negative offset would leave the stream at the start of the file; it names no picture.
    if (jpegOffset < 0 || std::fseek(showFile, jpegOffset, SEEK_SET) != 0) {
        std::fclose(showFile);
        return 0;
    }
    std::FILE* const bitmapFile = std::fopen(bitmapPath, "wb");
    if (!bitmapFile) {
        std::fclose(showFile);
        return 0;
    }

    jpeg_decompress_struct decoder = {};    // so that an early error destroys an empty decoder
    PictureErrorManager errors;
    decoder.err = jpeg_std_error(&errors.Standard);
    errors.Standard.error_exit = PictureErrorExit;
    if (setjmp(errors.RecoveryPoint))
        return AbandonConversion(&decoder, showFile, bitmapFile);

    jpeg_create_decompress(&decoder);
    decoder.mem->max_memory_to_use = long(kMostPictureBytes);
    jpeg_stdio_src(&decoder, showFile);
    jpeg_read_header(&decoder, TRUE);

    BitmapFileWriter* const writer = CreateBitmapFileWriter(&decoder);
    if (!writer)
        return AbandonConversion(&decoder, showFile, bitmapFile);
    writer->OutputFile = bitmapFile;

    jpeg_start_decompress(&decoder);
    writer->StartOutput(&decoder, writer);
    while (decoder.output_scanline < decoder.output_height) {
        const JDIMENSION rows =
            jpeg_read_scanlines(&decoder, writer->RowBuffer, writer->RowBufferHeight);
        writer->PutRows(&decoder, writer, rows);
    }
    writer->FinishOutput(&decoder, writer);

    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    std::fclose(showFile);
    // A bitmap file that could not be written whole (a full disk) is a failed conversion.
    const bool written = std::ferror(bitmapFile) == 0;
    return std::fclose(bitmapFile) == 0 && written ? 1 : 0;
}
