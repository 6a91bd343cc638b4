#include "self_delete_batch.h"

#include <cstdio>

#include "install_log.h"

int FormatSelfDeleteBatch(const char* exePath, LeadBytePredicate isLeadByte, char* out, size_t outSize)
{
    if (!exePath || !out || outSize == 0)
        return -1;
    char folder[LogLineSize];
    if (!CopyFolderOfPath(exePath, isLeadByte, folder, sizeof(folder)))
        return -1;
    const int length = std::snprintf(out, outSize,
                                     ":Repeat\r\n"
                                     "del \"%s\"\r\n"
                                     "if exist \"%s\" goto Repeat\r\n"
                                     "rmdir \"%s\"\r\n"
                                     "del \"%s\"\r\n",
                                     exePath, exePath, folder, SelfDeleteBatchPath);
    if (length < 0 || size_t(length) >= outSize) {
        out[0] = '\0';
        return -1;
    }
    return length;
}
