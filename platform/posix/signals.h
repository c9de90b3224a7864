#pragma once
// The signals that end, crash, stop, continue or resize the demo: each one
// leaves the terminal in a known state, and one that ends the demo ends it by
// that same signal, so the parent's wait status names it.

#include <signal.h>

// Installs every handler, the crash handlers on an alternate stack (a stack
// overflow still gets the terminal back). Call once, after
// terminalStateStart.
void installSignalHandling();

// True once after the demo was continued, the terminal resized, or a frame
// did not reach it whole: what is on the screen can no longer be trusted.
bool takeRepaintRequest();
void requestRepaint();

// Holds back the signals whose handlers write to the terminal, so that none
// lands inside a frame, and lets them through again.
void holdSignalsForWrite(sigset_t* before);
void releaseSignalsAfterWrite(const sigset_t* before);
