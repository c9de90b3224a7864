#pragma once
// What tells the scenes apart in a picture of 24 x 80 code page 437 cells.

#include <string>

// The column whose rows 1..23 hold the helix's core: an 'I', or the dark
// block where the ribbon is edge-on (where every row is edge-on but one step
// off, the dark blocks stand next to the core: the core has the most 'I's).
// -1 when no column does.
int helixCore(const std::string& picture);
