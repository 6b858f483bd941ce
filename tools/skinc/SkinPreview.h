// A sample panel drawn with a skin, written as SVG, so a skin author can look
// at every control look (idle, hovered, pressed, checked) without Windows.
#pragma once

#include <string>

class CVISkinManager;

// An SVG picture of the sample panel, scaled by `zoom`.
std::string PreviewSkin(CVISkinManager& skin, float zoom = 3.0f);
