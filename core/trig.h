// Sine and cosine computed by our own code, so that every build (native
// x86-64, i686 under Windows) turns the same angle into the same bits.
// The platforms' libraries disagree in the last bit for some angles, and
// one bit is enough to move a fog point by a pixel.
//
// Accuracy: below one unit in the last place, as the classic kernels give.
// Only plain double additions and multiplications are used; the process
// must run the x87 unit at 53-bit precision on i686 (SetDoublePrecision in
// win32/processor_features.h).
#pragma once

double TrigCos(double x);
double TrigSin(double x);
