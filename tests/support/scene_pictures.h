#pragma once
// What tells the scenes apart in a picture of 24 x 80 code page 437 cells.

#include <cstdint>
#include <string>
#include <vector>

#include "effects/closing_logo.h"

constexpr uint8_t kDarkShade = 178;

// The column whose rows 1..23 hold the helix's core: an 'I', or the dark
// block where the ribbon is edge-on (where every row is edge-on but one step
// off, the dark blocks stand next to the core: the core has the most 'I's).
// -1 when no column does.
int helixCore(const std::string& picture);

// Whether a picture shows the ball's dotted field.
bool showsTheBall(const std::string& picture);

// Where the five scenes end in a run's pictures: the first picture of the
// ball (the dotted field), of the helix, of the credits (the helix leaves
// column 10), of the farewell (the helix turns back left) and of the logo
// (its '8's). Fewer than five when the run shows fewer cuts.
std::vector<size_t> sceneCuts(const std::vector<std::string>& pictures);

// The closing logo's 24 lines, as the show leaves them on the screen (for
// tests linked with the effects).
inline std::string logoPicture()
{
    setupLogoLines();
    std::string picture;
    for (int line = 0; line < 24; ++line)
        picture += std::string(logoLines[line], 80);
    return picture;
}
