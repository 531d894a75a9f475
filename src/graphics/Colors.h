// Colours as skins and the system name them: 0x00BBGGRR, or a system colour
// (0xFF000000 plus its index) that stands for the desktop theme's value.
#pragma once
#include <cstdint>
#include <string_view>

namespace qv {

using TColor = uint32_t;

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                        clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                        clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;

inline constexpr TColor kSystemColor = 0xFF000000;
inline constexpr TColor clScrollBar = kSystemColor | 0, clBackground = kSystemColor | 1,
                        clActiveCaption = kSystemColor | 2, clInactiveCaption = kSystemColor | 3,
                        clMenu = kSystemColor | 4, clWindow = kSystemColor | 5, clWindowFrame = kSystemColor | 6,
                        clMenuText = kSystemColor | 7, clWindowText = kSystemColor | 8,
                        clCaptionText = kSystemColor | 9, clActiveBorder = kSystemColor | 10,
                        clInactiveBorder = kSystemColor | 11, clAppWorkSpace = kSystemColor | 12,
                        clHighlight = kSystemColor | 13, clHighlightText = kSystemColor | 14,
                        clBtnFace = kSystemColor | 15, clBtnShadow = kSystemColor | 16,
                        clGrayText = kSystemColor | 17, clBtnText = kSystemColor | 18,
                        clInactiveCaptionText = kSystemColor | 19, clBtnHighlight = kSystemColor | 20,
                        cl3DDkShadow = kSystemColor | 21, cl3DLight = kSystemColor | 22,
                        clInfoText = kSystemColor | 23, clInfoBk = kSystemColor | 24,
                        clHotLight = kSystemColor | 26, clGradientActiveCaption = kSystemColor | 27,
                        clGradientInactiveCaption = kSystemColor | 28, clMenuHighlight = kSystemColor | 29,
                        clMenuBar = kSystemColor | 30;

// Not a colour: "no colour" and "the control's default".
inline constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// A colour by the name skins write ("clNavy", "clBtnFace", any case); false
// for a name that is none of them.
bool ColorFromName(std::string_view name, TColor& color);

// A plain 0x00BBGGRR colour: system colours resolved to the standard desktop
// theme (Linux has no system palette to ask), anything else cut to 24 bits.
TColor ColorToRGB(TColor color);

// The colour as a TBitmap32 pixel, 0xFFRRGGBB.
uint32_t ColorToPixel(TColor color);

}  // namespace qv
