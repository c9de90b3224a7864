#pragma once
// Keeps what libraries print on standard error off the terminal while they
// are being set up: file descriptor 2 points at /dev/null in between.

// Returns a copy of the old descriptor 2 for restoreStderr, or -1.
int silenceStderr();
void restoreStderr(int saved);
