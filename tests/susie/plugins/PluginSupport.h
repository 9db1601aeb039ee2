/* Shared pieces of the test plug-ins: information entries and reading the
   data a host hands over (a file at an offset, or memory). */
#ifndef PLUGIN_SUPPORT_H
#define PLUGIN_SUPPORT_H

#include "susie/SusiePlugin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static inline int32_t CopyInfo(const char* text, char* buf, int32_t len)
{
    if (len <= 0)
        return 0;
    size_t n = strlen(text);
    if (n > (size_t)len - 1)
        n = (size_t)len - 1;
    memcpy(buf, text, n);
    buf[n] = 0;
    return (int32_t)n;
}

static inline int32_t InfoEntry(const char* const* entries, int32_t count, int32_t no, char* buf, int32_t len)
{
    return no >= 0 && no < count ? CopyInfo(entries[no], buf, len) : 0;
}

/* The picture data as one malloc'd block (Flag 0: the file from offset Len on;
   Flag 1: a copy of Len bytes); NULL when it cannot be read. */
static inline unsigned char* ReadData(const char* buf, int32_t len, int32_t flag, size_t* size)
{
    if ((flag & 7) == 1) {
        if (len < 0)
            return NULL;
        unsigned char* data = malloc(len > 0 ? (size_t)len : 1);
        if (data != NULL)
            memcpy(data, buf, (size_t)len);
        *size = (size_t)len;
        return data;
    }
    FILE* f = fopen(buf, "rb");
    if (f == NULL)
        return NULL;
    unsigned char* data = NULL;
    if (fseek(f, 0, SEEK_END) == 0) {
        long end = ftell(f);
        if (end >= len && fseek(f, len, SEEK_SET) == 0) {
            *size = (size_t)(end - len);
            data = malloc(*size > 0 ? *size : 1);
            if (data != NULL && fread(data, 1, *size, f) != *size) {
                free(data);
                data = NULL;
            }
        }
    }
    fclose(f);
    return data;
}

#endif
