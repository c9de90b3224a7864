#pragma once
// An allocator that tests can make refuse: call number refuseCall answers
// nullptr and any call after it aborts (0: never refuses). Blocks stay
// reachable, as banners are never released.

extern int allocationCalls;
extern int refuseCall;
