// The classic system colours (what GetSysColor gives in the standard scheme),
// for everything that USER-side code draws itself: menus and dialog controls.
#pragma once

#include <windows.h>

namespace standin {

constexpr COLORREF kFaceColour = RGB(212, 208, 200);        // COLOR_3DFACE: dialogs, buttons, menus
constexpr COLORREF kLightColour = RGB(255, 255, 255);       // COLOR_3DHIGHLIGHT: lit edges
constexpr COLORREF kShadowColour = RGB(128, 128, 128);      // COLOR_3DSHADOW
constexpr COLORREF kDarkShadowColour = RGB(64, 64, 64);     // COLOR_3DDKSHADOW
constexpr COLORREF kTextColour = RGB(0, 0, 0);              // COLOR_WINDOWTEXT, COLOR_BTNTEXT, COLOR_MENUTEXT
constexpr COLORREF kGreyTextColour = RGB(128, 128, 128);    // COLOR_GRAYTEXT
constexpr COLORREF kWindowColour = RGB(255, 255, 255);      // COLOR_WINDOW: edit fields
constexpr COLORREF kSelectionColour = RGB(0, 0, 128);       // COLOR_HIGHLIGHT: a highlighted menu item
constexpr COLORREF kSelectionTextColour = RGB(255, 255, 255);  // COLOR_HIGHLIGHTTEXT

}  // namespace standin
