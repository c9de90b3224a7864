// The lockstep clock behind platform/clock.h and the capture's calendar.
//
// Each seated thread is either the one holding the turn or asleep with a
// wake-up time. Only the thread holding the turn runs show code, reads the
// time or sleeps; handing the turn over happens under one mutex, so what a
// thread wrote before it slept is seen by the next one (the mutex orders
// them), and which thread runs next depends only on the wake-up times and
// the order the seats were taken in: a run is repeatable.

#include "platform/capture/virtual_clock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/calendar.h"
#include "platform/clock.h"

struct ClockSeat {
    int64_t wakeNanos = 0;
    bool hasTurn = false;
    bool closed = false;
    std::condition_variable wake;
};

namespace {

struct VirtualClock {
    std::mutex mutex;
    int64_t now = kClockStartNanos;
    std::vector<ClockSeat*> seats;  // in the order they were taken: ties go to the earlier
    ClockSeat* holder = nullptr;
    int newSeats = 0;
    std::condition_variable seated;
};

// Never destroyed: threads still asleep on it at exit stay asleep.
VirtualClock& lockstep = *new VirtualClock;
thread_local ClockSeat* mySeat = nullptr;

// The turn goes to the earliest sleeper; time moves to its wake-up.
void passTurn()
{
    ClockSeat* next = nullptr;
    for (ClockSeat* seat : lockstep.seats)
        if (!seat->closed && (next == nullptr || seat->wakeNanos < next->wakeNanos))
            next = seat;
    lockstep.holder = next;
    if (next == nullptr)
        return;
    if (next->wakeNanos > lockstep.now)
        lockstep.now = next->wakeNanos;
    next->hasTurn = true;
    next->wake.notify_one();
}

// With the lock held: the calling thread gives up the turn and waits for it.
bool waitForTurn(std::unique_lock<std::mutex>& lock, ClockSeat* seat)
{
    seat->wake.wait(lock, [seat] { return seat->hasTurn || seat->closed; });
    return !seat->closed;
}

ClockSeat* addSeat(int64_t wakeNanos)
{
    ClockSeat* seat = new ClockSeat;
    seat->wakeNanos = wakeNanos;
    lockstep.seats.push_back(seat);
    return seat;
}

}  // namespace

void joinClockWithTurn()
{
    std::lock_guard<std::mutex> lock(lockstep.mutex);
    mySeat = addSeat(lockstep.now);
    mySeat->hasTurn = true;
    lockstep.holder = mySeat;
}

void seatCallingThread()
{
    if (mySeat != nullptr)
        return;
    std::unique_lock<std::mutex> lock(lockstep.mutex);
    mySeat = addSeat(lockstep.now);
    ++lockstep.newSeats;
    lockstep.seated.notify_all();
    if (lockstep.holder == nullptr)
        passTurn();
    waitForTurn(lock, mySeat);
}

bool waitForNewSeat(int64_t timeoutMillis)
{
    std::unique_lock<std::mutex> lock(lockstep.mutex);
    bool joined = lockstep.seated.wait_for(lock, std::chrono::milliseconds(timeoutMillis),
                                        [] { return lockstep.newSeats > 0; });
    if (joined)
        --lockstep.newSeats;
    return joined;
}

int64_t clockNow()
{
    seatCallingThread();
    std::lock_guard<std::mutex> lock(lockstep.mutex);
    return lockstep.now;
}

ClockSeat* reserveSeat(int64_t wakeNanos)
{
    std::lock_guard<std::mutex> lock(lockstep.mutex);
    return addSeat(wakeNanos);
}

bool takeSeat(ClockSeat* seat)
{
    mySeat = seat;
    std::unique_lock<std::mutex> lock(lockstep.mutex);
    return waitForTurn(lock, seat);
}

bool sleepOnClock(int64_t nanos)
{
    seatCallingThread();
    std::unique_lock<std::mutex> lock(lockstep.mutex);
    if (mySeat->closed)
        return false;
    if (nanos <= lockstep.now)
        return true;
    mySeat->wakeNanos = nanos;
    mySeat->hasTurn = false;
    passTurn();
    return waitForTurn(lock, mySeat);
}

void closeSeat(ClockSeat* seat)
{
    std::lock_guard<std::mutex> lock(lockstep.mutex);
    seat->closed = true;
    seat->wake.notify_one();
}

// --- platform/clock.h ---

int64_t monotonicNanos() { return clockNow(); }

void sleepUntilNanos(int64_t nanos) { sleepOnClock(nanos); }

uint32_t tickCount() { return static_cast<uint32_t>(clockNow() / kNanosPerMilli); }

// A brief nap lasts until the tick counter moves on, its grain: the pacer's
// frames then last exactly their milliseconds.
void sleepMillis(uint32_t ms)
{
    int64_t now = clockNow();
    sleepOnClock(ms == 0 ? (now / kNanosPerMilli + 1) * kNanosPerMilli : now + int64_t{ms} * kNanosPerMilli);
}

// --- platform/calendar.h ---

// The show's own seconds: the bursts land where they land in a live show
// started at second 0, and every capture is the same.
int64_t calendarSeconds() { return (clockNow() - kClockStartNanos) / kNanosPerSecond; }
