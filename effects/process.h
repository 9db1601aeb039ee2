// The engine's colour, filter and geometry operations.
#pragma once

#include "effects/ByteConversion.h"
#include "effects/ScanLineTable.h"
#include "effects/LookupTables.h"
#include "effects/Sepia.h"
#include "effects/Grayscale.h"
#include "effects/ColorModels.h"
#include "effects/HlsCorrection.h"
#include "effects/LmsCorrection.h"
#include "effects/AutoLevel.h"
#include "effects/Rotation.h"
#include "effects/Flip.h"
#include "effects/Thumbnail.h"
