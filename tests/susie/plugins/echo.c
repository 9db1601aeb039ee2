/* Test picture plug-in ("00IN") that returns the blocks its data spells
   out: "ECHO", the header block's length (32-bit little-endian), the header
   block, then the pixel block. So tests and the fuzzer hand the host any
   header, true or lying, through the real plug-in path. Its preview is the
   picture with a width of 1, so tests tell the two apart. */
#include "PluginSupport.h"

static const char* const Entries[] = {"00IN", "Echo test plug-in", "*.echo", "Echoed blocks"};

int32_t GetPluginInfo(int32_t InfoNo, char* Buf, int32_t BufLen)
{
    return InfoEntry(Entries, 4, InfoNo, Buf, BufLen);
}

int32_t IsSupported(const char* FileName, const void* DW)
{
    (void)FileName;
    return memcmp(DW, "ECHO", 4) == 0;
}

int32_t GetPictureInfo(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info)
{
    (void)Buf;
    (void)Len;
    (void)Flag;
    memset(Info, 0, sizeof *Info);
    return 0;
}

static int32_t Blocks(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                      TProgressCallback ProgressCallBack, intptr_t Data, int preview)
{
    size_t size;
    uint32_t infoSize;
    unsigned char* d = ReadData(Buf, Len, Flag, &size);
    if (d == NULL || size < 8 || memcmp(d, "ECHO", 4) != 0) {
        free(d);
        return 2;
    }
    memcpy(&infoSize, d + 4, 4);
    if (infoSize > size - 8 || (ProgressCallBack != NULL && ProgressCallBack(0, 1, Data) != 0)) {
        free(d);
        return 2;
    }
    const size_t bitsSize = size - 8 - infoSize;
    unsigned char* info = malloc(infoSize > 0 ? infoSize : 1);
    unsigned char* bits = malloc(bitsSize > 0 ? bitsSize : 1);
    if (info == NULL || bits == NULL) {
        free(info);
        free(bits);
        free(d);
        return 4;
    }
    memcpy(info, d + 8, infoSize);
    memcpy(bits, d + 8 + infoSize, bitsSize);
    if (preview && infoSize >= 8)
        memcpy(info + 4, "\1\0\0\0", 4);
    free(d);
    *HBMInfo = info;
    *HBM = bits;
    return 0;
}

int32_t GetPicture(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                   TProgressCallback ProgressCallBack, intptr_t Data)
{
    return Blocks(Buf, Len, Flag, HBMInfo, HBM, ProgressCallBack, Data, 0);
}

int32_t GetPreview(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                   TProgressCallback ProgressCallBack, intptr_t Data)
{
    return Blocks(Buf, Len, Flag, HBMInfo, HBM, ProgressCallBack, Data, 1);
}
