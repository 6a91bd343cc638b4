// Times the saver's picture path, ConvertShowPicture followed by LoadBitmapFile, on a photo-like
// picture. Writes the picture (and a tiny one, for measuring a decoder program's start-up) into
// the given folder, so that a script can time other decoders on the same files.
//
//   convert_bench FOLDER RUNS [WIDTH HEIGHT]
//
// Prints "picture_bytes=N" and "convert_load_ms=T" (mean milliseconds per run).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bitmap_file.h"
#include "jpeg_to_bitmap.h"
#include "test_picture.h"

namespace {

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool MakePicture(const std::string& path, int width, int height)
{
    TestPictureSpec spec;
    spec.Width = width;
    spec.Height = height;
    spec.Pattern = TestPattern::Gradient;
    spec.Quality = 85;
    std::string error;
    const std::vector<uint8_t> jpeg = MakeTestJpeg(spec, &error);
    if (jpeg.empty() || !WriteBytes(path, jpeg)) {
        std::fprintf(stderr, "convert_bench: cannot write %s %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("picture_bytes=%zu\n", jpeg.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: convert_bench FOLDER RUNS [WIDTH HEIGHT]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = std::atoi(argv[2]);
    const int width = argc == 5 ? std::atoi(argv[3]) : 1600;
    const int height = argc == 5 ? std::atoi(argv[4]) : 1200;
    if (runs < 1) {
        std::fprintf(stderr, "convert_bench: RUNS must be at least 1\n");
        return 2;
    }
    const std::string picture = folder + "/picture.jpg", bitmap = folder + "/SSS1.tmp";
    if (!MakePicture(picture, width, height) || !MakePicture(folder + "/tiny.jpg", 8, 8))
        return 1;

    HeapPictureMemory memory;
    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < runs; ++run) {
        void* block = ConvertShowPicture(picture.c_str(), bitmap.c_str(), 0) == 1
                          ? LoadBitmapFile(bitmap.c_str(), memory)
                          : nullptr;
        if (!block) {
            std::fprintf(stderr, "convert_bench: the picture did not convert and load\n");
            return 1;
        }
        memory.Release(block);
    }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("convert_load_ms=%.3f\n", elapsed.count() / runs);
    return 0;
}
