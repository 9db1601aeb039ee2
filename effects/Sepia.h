// Sepia tones: every pixel becomes a tinted grey of its own luma.
#pragma once

class TFvDIB;

void SepiaNormal(TFvDIB& Image);
void SepiaRed(TFvDIB& Image);
void SepiaGreen(TFvDIB& Image);
void SepiaBlue(TFvDIB& Image);
void SepiaPurple(TFvDIB& Image);
// A grey with two saw-tooth ramps over the luma range.
void SepiaMetal(TFvDIB& Image);
