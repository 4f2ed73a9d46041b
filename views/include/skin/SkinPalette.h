// The colours of the skin: one light, flat look across every view and dialog.
// The ground, frame and accent colours are the ones the views draw with; the
// rest are the few shades the art needs around them.
#pragma once

#include "draw/Colour.h"

namespace skin {

using draw::COLORREF;
using draw::Rgb;

constexpr COLORREF kViewGround = 0xF5F5F5;    // around the editors
constexpr COLORREF kEditorGround = 0xF8F8F8;  // inside the editors
constexpr COLORREF kPanel = 0xF0F0F0;         // scales, rulers, label grounds
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kFrame = 0xB4A791;         // the view's frame: RGB(0x91, 0xA7, 0xB4)
constexpr COLORREF kAccent = 0xFF8000;        // azure, RGB(0, 128, 255)
constexpr COLORREF kText = 0x323232;          // the edit boxes' text
constexpr COLORREF kQuietText = Rgb(110, 110, 110);
constexpr COLORREF kGlyph = Rgb(70, 70, 70);
constexpr COLORREF kDisabled = Rgb(196, 196, 196);
constexpr COLORREF kHairline = Rgb(214, 214, 214);  // dividers inside panels
constexpr COLORREF kCard = Rgb(242, 244, 246);      // track and loop headers
constexpr COLORREF kTab = Rgb(232, 236, 240);       // tabs not shown
constexpr COLORREF kHotGround = Rgb(229, 241, 255);
constexpr COLORREF kHotBorder = Rgb(153, 201, 255);
constexpr COLORREF kPressedGround = Rgb(204, 228, 255);
constexpr COLORREF kRecord = Rgb(225, 15, 15);
constexpr COLORREF kMaskColour = 0xFFFF00;  // transparent in a progress skin

}  // namespace skin
