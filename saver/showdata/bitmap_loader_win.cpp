#include "bitmap_file.h"
#include "showdata_win.h"

namespace {

// Pictures live in fixed, zero-initialised global memory; the block's address is its handle.
class GlobalPictureMemory : public PictureMemory {
public:
    void* AllocateZeroed(size_t bytes) override { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes); }
    void Release(void* block) override { GlobalFree(block); }
};

}  // namespace

ScenePicture LoadBitmapFile(const char* path)
{
    GlobalPictureMemory memory;
    return LoadBitmapFile(path, memory);
}

void FreeScenePicture(ScenePicture picture)
{
    if (picture)
        GlobalFree(picture);
}
