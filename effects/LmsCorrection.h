// Scaling of the cone responses through the LMS model.
#pragma once

class TFvDIB;

// L, M and S in per cent 0 .. 100. With Average, a cone below 100 per cent is
// blended towards the mean of the other two instead of only darkened.
void LmsCorrection(TFvDIB& Image, int L, int M, int S, bool Average);
