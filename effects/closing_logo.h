#pragma once
// The full-screen logo shown at the end, written straight to the terminal.

constexpr int kLogoLines = 25;
constexpr int kLogoLineLength = 80;

// Zero-terminated lines of the logo; empty until setupLogoLines has run.
extern const char* logoLines[kLogoLines];

// Points entry i of logoLines at line i of the logo.
void setupLogoLines();

// Homes the cursor and writes lines 0 to 23 one after another, 1,920 cells,
// as one frame.
void drawClosingLogo(const char* const* lines);
