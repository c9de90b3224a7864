#pragma once
// The capture's clock: virtual time that moves only when every thread taking
// part is asleep on it, in lockstep. One thread runs at a time (it holds
// the turn); when it sleeps, the turn goes to the sleeper with the earliest
// wake-up, and time jumps to that wake-up. So the show renders as fast as
// the processor allows, every thread gets to run at each moment it asked
// for, and a run is the same every time.

#include <cstdint>

// Where virtual time starts: one second, so the first tick is above 30.
constexpr int64_t kClockStartNanos = 1000000000;

struct ClockSeat;

// The calling thread takes part from now on and holds the turn. Called once,
// by the thread that runs the show, before anything else uses the clock.
void joinClockWithTurn();

// Virtual time now, for a thread that takes part (one that does not yet is
// seated first: see seatCallingThread).
int64_t clockNow();

// Seats the calling thread if it is not seated yet: it waits for the turn,
// which comes after the thread holding it sleeps. Returns at once for a
// seated thread.
void seatCallingThread();

// Blocks in real time (at most timeoutMillis) until some thread has been
// seated through seatCallingThread since the last call. Lets the thread
// that started another one wait until it has joined, so that time does not
// move on without it.
bool waitForNewSeat(int64_t timeoutMillis);

// A seat for a thread that is about to be started by the caller: it sleeps
// until wakeNanos and then runs when the turn comes to it.
ClockSeat* reserveSeat(int64_t wakeNanos);

// The calling thread, which owns seat (from reserveSeat), waits for its
// first turn. False when the seat was closed meanwhile.
bool takeSeat(ClockSeat* seat);

// Sleeps the calling (seated) thread until nanos. False, at once or on
// waking, when its seat was closed: the thread must stop using the clock.
bool sleepOnClock(int64_t nanos);

// The seat's thread is never woken again; if it is asleep, its
// sleepOnClock returns false. Called by the thread holding the turn.
void closeSeat(ClockSeat* seat);
