/* Test picture plug-in ("00IN"): binary PNM, P5 (grey, 8-bit with a grey
   colour table) and P6 (colour, 24-bit). It reports progress once per row
   and stops when the host asks it to. */
#include "PluginSupport.h"

#include <ctype.h>

static const char* const Entries[] = {"00IN", "PNM test plug-in", "*.pnm;*.ppm", "Portable pixmap", "*.pgm",
                                      "Portable graymap"};

typedef struct {
    int grey;
    long width, height;
    size_t pixels; /* offset of the first pixel */
} Pnm;

static int ReadNumber(const unsigned char* d, size_t size, size_t* at, long* value)
{
    while (*at < size && (isspace(d[*at]) || d[*at] == '#')) {
        if (d[*at] == '#')
            while (*at < size && d[*at] != '\n')
                ++*at;
        else
            ++*at;
    }
    if (*at >= size || !isdigit(d[*at]))
        return 0;
    *value = 0;
    while (*at < size && isdigit(d[*at])) {
        *value = *value * 10 + (d[*at] - '0');
        if (*value > 100000)
            return 0;
        ++*at;
    }
    return 1;
}

static int Parse(const unsigned char* d, size_t size, Pnm* pnm)
{
    long maxval;
    size_t at = 2;
    if (size < 3 || d[0] != 'P' || (d[1] != '5' && d[1] != '6'))
        return 0;
    pnm->grey = d[1] == '5';
    if (!ReadNumber(d, size, &at, &pnm->width) || !ReadNumber(d, size, &at, &pnm->height) ||
        !ReadNumber(d, size, &at, &maxval) || maxval != 255 || pnm->width == 0 || pnm->height == 0 ||
        at >= size)
        return 0;
    pnm->pixels = at + 1;
    return size - pnm->pixels >= (size_t)(pnm->width * pnm->height * (pnm->grey ? 1 : 3));
}

int32_t GetPluginInfo(int32_t InfoNo, char* Buf, int32_t BufLen)
{
    return InfoEntry(Entries, 6, InfoNo, Buf, BufLen);
}

int32_t IsSupported(const char* FileName, const void* DW)
{
    const unsigned char* d = DW;
    (void)FileName;
    return d[0] == 'P' && (d[1] == '5' || d[1] == '6') && isspace(d[2]);
}

int32_t GetPictureInfo(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info)
{
    size_t size;
    Pnm pnm;
    unsigned char* d = ReadData(Buf, Len, Flag, &size);
    int ok = d != NULL && Parse(d, size, &pnm);
    free(d);
    if (!ok)
        return 2;
    memset(Info, 0, sizeof *Info);
    Info->Width = (int32_t)pnm.width;
    Info->Height = (int32_t)pnm.height;
    Info->ColorDepth = pnm.grey ? 8 : 24;
    Info->HInfo = strdup("PNM");
    return 0;
}

int32_t GetPicture(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                   TProgressCallback ProgressCallBack, intptr_t Data)
{
    size_t size;
    Pnm pnm;
    unsigned char* d = ReadData(Buf, Len, Flag, &size);
    if (d == NULL || !Parse(d, size, &pnm)) {
        free(d);
        return 2;
    }
    const int bits = pnm.grey ? 8 : 24;
    const size_t stride = ((size_t)pnm.width * bits + 31) / 32 * 4;
    const size_t colours = pnm.grey ? 256 : 0;
    unsigned char* info = calloc(1, 40 + 4 * colours);
    unsigned char* rows = calloc(1, stride * (size_t)pnm.height);
    if (info == NULL || rows == NULL) {
        free(info);
        free(rows);
        free(d);
        return 4;
    }
    /* Handed out before decoding, as some plug-ins do: a failed call leaves
       them pointing at what it freed. */
    *HBMInfo = info;
    *HBM = rows;
    int32_t header[3] = {40, (int32_t)pnm.width, (int32_t)pnm.height};
    uint16_t planesAndBits[2] = {1, (uint16_t)bits};
    memcpy(info, header, 12);
    memcpy(info + 12, planesAndBits, 4);
    for (size_t i = 0; i < colours; ++i)
        info[40 + 4 * i] = info[41 + 4 * i] = info[42 + 4 * i] = (unsigned char)i;
    for (long y = 0; y < pnm.height; ++y) {
        if (ProgressCallBack != NULL && ProgressCallBack((int32_t)y, (int32_t)pnm.height, Data) != 0) {
            free(info);
            free(rows);
            free(d);
            return 1;
        }
        /* Rows are stored bottom first. */
        unsigned char* out = rows + stride * (size_t)(pnm.height - 1 - y);
        const unsigned char* in = d + pnm.pixels + (size_t)y * (size_t)pnm.width * (pnm.grey ? 1 : 3);
        for (long x = 0; x < pnm.width; ++x) {
            if (pnm.grey) {
                out[x] = in[x];
            } else {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
        }
    }
    free(d);
    return 0;
}
