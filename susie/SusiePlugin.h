/* The binary interface between the host and an image plug-in (an ELF shared
   library with the ".spi" extension). Plug-ins written in C compile against
   this header; docs/plugins.md explains the rules around it. */
#ifndef FAROVINTER_SUSIE_PLUGIN_H
#define FAROVINTER_SUSIE_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
/* 30 bytes: HInfo is pointer-sized here. */
typedef struct {
    int32_t Left, Top, Width, Height;
    uint16_t XDensity, YDensity;
    int16_t ColorDepth;
    void* HInfo; /* a malloc'd text block or NULL; the host frees it */
} TPictureInfo;

/* 428 bytes. */
typedef struct {
    unsigned char Method[8];
    uint32_t Position, CompSize, FileSize, TimeStamp;
    char Path[200], FileName[200];
    int32_t CRC;
} TFileInfo;
#pragma pack(pop)

/* Return 0 to go on, 1 to ask the plug-in to stop. */
typedef int32_t (*TProgressCallback)(int32_t Num, int32_t Done, intptr_t Data);

/* The exports, looked up by these names. Flag 0: Buf is a path and Len the
   offset of the picture in that file; Flag 1: Buf is the data and Len its
   length. */
typedef int32_t (*TGetPluginInfo)(int32_t InfoNo, char* Buf, int32_t BufLen);
typedef int32_t (*TIsSupported)(const char* FileName, const void* DW); /* DW: the 2048-byte head block */
typedef int32_t (*TGetPictureInfo)(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info);
typedef int32_t (*TGetPicture)(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                               TProgressCallback ProgressCallBack, intptr_t Data);
typedef TGetPicture TGetPreview;
typedef int32_t (*TGetArchiveInfo)(const char* Buf, int32_t Len, uint16_t Flag, void** FileInfoHandle);
typedef int32_t (*TGetFileInfo)(const char* Buf, int32_t Len, const char* FileName, uint16_t Flag,
                                TFileInfo* FileInfo);
typedef int32_t (*TGetFile)(const char* Src, int32_t Len, const char* Dest, uint16_t Flag,
                            TProgressCallback ProgressCallback, intptr_t Data);
typedef int32_t (*TConfigurationDlg)(void* Parent, int32_t Fnc);

/* The same exports as a plug-in defines them. */
int32_t GetPluginInfo(int32_t InfoNo, char* Buf, int32_t BufLen);
int32_t IsSupported(const char* FileName, const void* DW);
int32_t GetPictureInfo(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info);
int32_t GetPicture(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                   TProgressCallback ProgressCallBack, intptr_t Data);
int32_t GetPreview(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                   TProgressCallback ProgressCallBack, intptr_t Data);
int32_t GetArchiveInfo(const char* Buf, int32_t Len, uint16_t Flag, void** FileInfoHandle);
int32_t GetFileInfo(const char* Buf, int32_t Len, const char* FileName, uint16_t Flag, TFileInfo* FileInfo);
int32_t GetFile(const char* Src, int32_t Len, const char* Dest, uint16_t Flag, TProgressCallback ProgressCallback,
                intptr_t Data);
int32_t ConfigurationDlg(void* Parent, int32_t Fnc);

#ifdef __cplusplus
}
static_assert(sizeof(TPictureInfo) == 30, "TPictureInfo is 30 bytes");
static_assert(sizeof(TFileInfo) == 428, "TFileInfo is 428 bytes");
#endif

#endif
