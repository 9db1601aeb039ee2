// Nearest-neighbour reduction used for the small working copies of previews.
#pragma once

class TFvDIB;

// Fills Dest, at the size Dest already has, from Source. Both are 24-bit.
// Source is only read: a storage it shares stays shared.
void MakeThumbnail(TFvDIB& Source, TFvDIB& Dest);
