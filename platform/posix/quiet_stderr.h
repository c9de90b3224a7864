#pragma once
// Keeps what libraries print on standard error (ALSA, PortAudio, libopenmpt)
// off the picture.

// When standard error is the terminal standard output draws on, points file
// descriptor 2 at /dev/null for the rest of the run. Standard error sent
// anywhere else is left alone.
void silenceStderrOnTerminal();

// For the setup of a library that talks a lot: descriptor 2 points at
// /dev/null until restoreStderr. Returns a copy of the old descriptor, or -1.
int silenceStderr();
void restoreStderr(int saved);
