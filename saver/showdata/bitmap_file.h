// Reads a Windows bitmap file (with or without its file header, core or info header, any bit
// depth) into one block holding a packed device-independent bitmap: 40-byte info header, colour
// table (and colour masks), pixel rows.
#pragma once
#include <cstddef>
#include <cstdint>

#include "byte_source.h"

// Where picture blocks come from: global memory on Windows, the C heap natively.
class PictureMemory {
public:
    virtual ~PictureMemory() = default;
    virtual void* AllocateZeroed(size_t bytes) = 0;   // nullptr on failure
    virtual void Release(void* block) = 0;
};

class HeapPictureMemory : public PictureMemory {
public:
    void* AllocateZeroed(size_t bytes) override;
    void Release(void* block) override;
};

// `header` points to a 40-byte info header or a 12-byte core header.
uint16_t BitmapColorCount(const void* header);
uint16_t BitmapPaletteSize(const void* header);

// The packed bitmap, or nullptr. Never reads or writes outside what it allocated; pixel bytes the
// file does not hold are zero.
void* LoadBitmapFrom(ByteSource& file, PictureMemory& memory);
void* LoadBitmapFile(const char* path, PictureMemory& memory);

// Size in bytes of a packed bitmap made by the loader (header + colour table + pixel rows).
size_t PackedBitmapSize(const void* packed);
// Offset of the pixel rows inside a packed bitmap.
size_t PackedBitmapBitsOffset(const void* packed);
