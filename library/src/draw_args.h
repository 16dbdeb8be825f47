// Argument rules of the drawing operations: each bad value is reported in the
// text window and replaced by a safe one.
#pragma once

#include <cstdint>

#include "telka.h"

// A usable colour index: 0..23 unchanged; anything else is reported and red.
int32_t validate_color(int32_t color);
// A negative width becomes its magnitude (INT32_MIN, which has none in 32 bits, becomes INT32_MAX).
int32_t validate_width(int32_t width);
int32_t validate_radius(int32_t radius);
// Negative sizes become their magnitude, then sizes above 127 become 127.
int32_t validate_ptsize(int32_t ptsize);
// Makes p1 the upper-left and p2 the lower-right corner (y grows upwards).
void order_corners(Point *p1, Point *p2);
// x + d computed without overflow, saturated to int32.
int32_t offset_saturated(int32_t x, int64_t d);
