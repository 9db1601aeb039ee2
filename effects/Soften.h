// Box mean over a square window, counting only the pixels inside the image.
#pragma once

class TFvDIB;

// Radius 1 to 7 (other values are clamped to that range).
void Soften(TFvDIB& Image, int Radius);
