// Turns by 90 and 180 degrees of a 24-bit image.
#pragma once

class TFvDIB;

// Right turns clockwise, otherwise anticlockwise; W x H becomes H x W. The
// image is replaced only once the turned copy is complete.
void Rotate90(TFvDIB& Image, bool Right);
void Rotate180(TFvDIB& Image);
