// One horizontal pass of a Gaussian blur with small integer weights.
#pragma once

class TFvDIB;

// Value 1 to 50 (other values are clamped to that range) is ten times the
// standard deviation. The callers blur in two dimensions by a pass, a left
// turn, a second pass and a right turn.
void GaussianBlurPass(TFvDIB& Image, int Value);

// That whole sequence in one call, with the same bytes and without the turns.
void GaussianBlur(TFvDIB& Image, int Value);
