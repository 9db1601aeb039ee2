/* Test plug-ins that differ in their version string and in the exports they
   have, built from this one source with macros:
   SPI_VERSION, SPI_PATTERN (its first pattern), NO_PLUGIN_INFO, SILENT_DESCRIPTION (entry 1 claims a text but
   writes none), FILLING_DESCRIPTION (entry 1 fills the buffer it is given), ENDLESS_FORMATS (a pattern and a type for every entry number from 2 on), WITH_LOADER, WITH_PICTURE_INFO, WITH_PICTURE, WITH_ARCHIVE, NO_GET_ARCHIVE_INFO, NO_GET_FILE_INFO, NO_GET_FILE (an archive one without that export). Their format entries end with an unmatched pattern (entry 4
   without entry 5). None of them decodes anything; the archive one's GetFile
   answers the length it is given. */
#include "PluginSupport.h"

#ifndef NO_PLUGIN_INFO
#ifndef SPI_PATTERN
#define SPI_PATTERN "*.var"
#endif
static const char* const Entries[] = {SPI_VERSION, "Variant test plug-in", SPI_PATTERN, "Variant", "*.orphan"};

int32_t GetPluginInfo(int32_t InfoNo, char* Buf, int32_t BufLen)
{
#ifdef SILENT_DESCRIPTION
    if (InfoNo == 1)
        return 8;
#endif
#ifdef FILLING_DESCRIPTION
    if (InfoNo == 1 && BufLen > 0) {
        memset(Buf, 'd', (size_t)BufLen - 1);
        Buf[BufLen - 1] = 0;
        return BufLen - 1;
    }
#endif
#ifdef ENDLESS_FORMATS
    if (InfoNo >= 2)
        return CopyInfo(InfoNo % 2 == 0 ? SPI_PATTERN : "Variant", Buf, BufLen);
#endif
    return InfoEntry(Entries, 5, InfoNo, Buf, BufLen);
}
#endif

#ifdef WITH_LOADER
int32_t IsSupported(const char* FileName, const void* DW)
{
    (void)FileName;
    (void)DW;
    return 0;
}
#endif

#ifdef WITH_PICTURE_INFO
int32_t GetPictureInfo(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info)
{
    (void)Buf;
    (void)Len;
    (void)Flag;
    (void)Info;
    return 2;
}
#endif

#ifdef WITH_PICTURE
int32_t GetPicture(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                   TProgressCallback ProgressCallBack, intptr_t Data)
{
    (void)Buf;
    (void)Len;
    (void)Flag;
    (void)HBMInfo;
    (void)HBM;
    (void)ProgressCallBack;
    (void)Data;
    return 2;
}
#endif

#ifdef WITH_ARCHIVE
#ifndef NO_GET_ARCHIVE_INFO
int32_t GetArchiveInfo(const char* Buf, int32_t Len, uint16_t Flag, void** FileInfoHandle)
{
    (void)Buf;
    (void)Len;
    (void)Flag;
    *FileInfoHandle = NULL;
    return 0;
}
#endif

#ifndef NO_GET_FILE_INFO
int32_t GetFileInfo(const char* Buf, int32_t Len, const char* FileName, uint16_t Flag, TFileInfo* FileInfo)
{
    (void)Buf;
    (void)Len;
    (void)FileName;
    (void)Flag;
    memset(FileInfo, 0, sizeof *FileInfo);
    return 0;
}
#endif

#ifndef NO_GET_FILE
int32_t GetFile(const char* Src, int32_t Len, const char* Dest, uint16_t Flag, TProgressCallback ProgressCallback,
                intptr_t Data)
{
    (void)Src;
    (void)Dest;
    (void)Flag;
    (void)ProgressCallback;
    (void)Data;
    return Len;
}
#endif
#endif
