// Palette tables: the names the log says and the values drawing uses.
#include "palette.h"

const char *const colorNames[kPaletteSize] = {
    "black",      "white",      "red",       "green",  "blue",         "yellow",    "magenta", "cyan",
    "purple",     "navy blue",  "dusty plum", "ice blue", "turquoise", "orange",    "brown",   "pink",
    "chalk",      "gold",       "peach",     "forest green", "sea green", "olive", "50% gray", "20% gray",
};

const COLORREF colorValues[kPaletteSize] = {
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),
    RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(153, 0, 204),   RGB(0, 51, 153),
    RGB(153, 102, 153), RGB(153, 255, 255), RGB(153, 255, 204), RGB(255, 102, 0),   RGB(153, 102, 51),
    RGB(255, 153, 204), RGB(255, 255, 153), RGB(204, 153, 51),  RGB(255, 153, 102), RGB(0, 102, 51),
    RGB(51, 204, 153),  RGB(153, 153, 51),  RGB(128, 128, 128), RGB(204, 204, 204),
};
