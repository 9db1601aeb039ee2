// A software stand-in for the platform's graphics device interface: palettes,
// bitmaps (device-dependent ones are 32-bit true colour, as on the screen the
// program assumes), DIB sections, memory device contexts and the copying
// functions between them. Handles are pointers to objects of this layer; a
// null handle is the platform's 0.
#pragma once

#include "platform/core/FileMapping.h"
#include "platform/gdi/GdiTypes.h"

#include <cstddef>

struct GdiObject;
struct GdiPalette;
struct GdiBitmap;
struct GdiBrush;
struct DeviceContext;

using HGDIOBJ = GdiObject*;
using HPALETTE = GdiPalette*;
using HBITMAP = GdiBitmap*;
using HBRUSH = GdiBrush*;
using HDC = DeviceContext*;

// --- Objects ----------------------------------------------------------------

// Deletes a palette, bitmap or brush. Fails (false) for a null handle, for a
// stock object and for an object that is selected into a device context.
bool DeleteObject(HGDIOBJ object);
// The same for each kind of handle, so that callers need not see the object types.
bool DeleteObject(HPALETTE palette);
bool DeleteObject(HBITMAP bitmap);
bool DeleteObject(HBRUSH brush);

// The stock objects every new device context starts with: a 1 x 1 monochrome
// bitmap and the 20-colour default palette. They are never deleted.
HBITMAP StockBitmap();
HPALETTE StockPalette();

// --- Palettes ---------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* logPalette);
// Copies count entries from start into entries; answers the number copied. With
// entries null, answers the palette's number of entries.
unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, PALETTEENTRY* entries);
unsigned SetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, const PALETTEENTRY* entries);
// A new palette with the same entries, or null.
HPALETTE CopyPalette(HPALETTE palette);
// The index of the entry nearest to colour (squared RGB distance, lowest index on a tie).
unsigned GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);

// --- Bitmaps ----------------------------------------------------------------

// A bitmap compatible with the device: 32 bits per pixel for the screen and for
// a memory context that holds a 32-bit bitmap, 1 bit for a memory context that
// still holds its stock bitmap. Pixels start black. Null on failure or a size
// of 0.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A DIB section for an uncompressed 1, 4, 8, 16, 24 or 32-bit header; RLE and
// other headers fail with null. With section given, the pixels are a view of
// that memory section at offset (so both see the same bytes); otherwise the
// bitmap owns zeroed memory. bits receives the first byte in memory order.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, unsigned usage, void** bits,
                         HFILEMAPPING section, uint32_t offset);
// Deletes a DIB section that owns its memory (one not made over a section)
// and hands that memory over as a section of its own, with the bytes as they
// are; the bitmap's header tells their layout. Null, and the bitmap kept, for
// any other bitmap or one selected into a context.
HFILEMAPPING DetachDIBSectionMemory(HBITMAP bitmap);
// Fills a BITMAP description; answers false for a null handle.
bool GetObject(HBITMAP bitmap, BITMAP* description);
// The header and colour table the bitmap was made with (biHeight negative for a top-down layout).
bool GetBitmapInfo(HBITMAP bitmap, BITMAPINFO* info);
// Replaces the colour table of an indexed bitmap; answers the number of entries set.
unsigned SetDIBColorTable(HDC dc, unsigned start, unsigned count, const RGBQUAD* colours);

// --- Brushes ----------------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF colour);

// --- Device contexts --------------------------------------------------------

// The screen: 32 bits per pixel, one plane, not a palette device, stretching supported.
HDC GetDC(void* window);
int ReleaseDC(void* window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
// Selects a bitmap or brush; answers the previously selected object of that kind, null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
HBRUSH SelectObject(HDC dc, HBRUSH brush);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool forceBackground);
unsigned RealizePalette(HDC dc);
// Answers the previous mode, 0 on failure.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int GetDeviceCaps(HDC dc, int index);
// The bitmap currently selected into dc.
HBITMAP GetCurrentBitmap(HDC dc);

// --- Drawing ----------------------------------------------------------------

// Copies the source rectangle (xSrc, ySrc, wSrc, hSrc) of a DIB onto the
// destination rectangle. Source coordinates count rows from the bottom of a
// bottom-up DIB, as on the platform. The source may be 1, 4, 8, 16, 24 or
// 32-bit, or RLE4/RLE8 (decoded, never read past bitsSize). Destination index
// i of d along an axis with s source pixels takes source index
// floor((2i + 1) * s / (2d)); a negative extent mirrors the axis. Answers the
// number of rows drawn, 0 on failure.
int StretchDIBits(HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc,
                  int hSrc, const void* bits, size_t bitsSize, const BITMAPINFO* info, unsigned usage,
                  DWORD rop);
// The pixels StretchDIBits draws for an RLE4 or RLE8 DIB, written into out
// as the same DIB uncompressed: BI_RGB of the same depth, bottom-up, rows of
// DibStride bytes. out must hold outSize zeroed bytes, exactly that picture;
// pixels the data never reaches stay 0. Drawing the result with the header
// changed to BI_RGB draws what drawing the RLE data draws. False, with out
// untouched, for anything StretchDIBits would not draw.
bool ExpandRleDIB(const BITMAPINFO* info, const void* bits, size_t bitsSize, void* out, size_t outSize);
bool StretchBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop);
bool BitBlt(HDC dest, int xDest, int yDest, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
// Copies rows [start, start + lines) of the bitmap, counted from the bottom,
// into bits in the format that info's header asks for (1, 4, 8, 16, 24 or
// 32-bit, bottom-up unless biHeight is negative); for 1, 4 and 8 bits the
// colour table is filled too. With bits null only the header is completed.
// The bitmap must not be selected into a context other than dc. Answers the
// number of rows copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, unsigned start, unsigned lines, void* bits, BITMAPINFO* info,
              unsigned usage);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Reads and writes single pixels of the selected bitmap; GetPixel answers
// CLR_INVALID outside it.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
