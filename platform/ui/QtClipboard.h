// The desktop clipboard behind TClipboard. Device-independent bitmaps travel
// as BMP file data (MIME type image/bmp); any other image that the clipboard
// offers is taken as a device-independent bitmap too.
#pragma once

// Makes every TClipboard use the desktop's clipboard.
void InstallQtClipboard();
