/*
 * A stand-in for the card maker's physical-memory helper, for the Windows
 * tests only (it is never shipped): it answers as the test sets it and
 * records every call.
 */
#include <windows.h>

static DWORD initResults[10];
static DWORD translateFrom;
static DWORD physicalAnswer;
static DWORD calls[64][3];
static LONG callCount;

static void record(DWORD function, DWORD first, DWORD second)
{
    LONG at = InterlockedIncrement(&callCount) - 1;
    if (at < 64) {
        calls[at][0] = function;
        calls[at][1] = first;
        calls[at][2] = second;
    }
}

DWORD WINAPI TavHelperInit(DWORD index)
{
    record(1, index, 0);
    return index < 10 ? initResults[index] : 0;
}

DWORD WINAPI TavHelperVirt2Phys(DWORD number, DWORD address, DWORD* physical)
{
    record(2, number, address);
    if (!physical || translateFrom == 0 || number < translateFrom)
        return 0;
    *physical = physicalAnswer ? physicalAnswer : (address | 0x80000000u);
    return 1;
}

DWORD WINAPI TavHelperExit(DWORD value)
{
    record(3, value, 0);
    return 1;
}

/* The answers: TavHelperInit(i) returns inits[i]; TavHelperVirt2Phys succeeds
 * from number from on (0: never) with physical. Forgets the calls. */
void WINAPI TavHelperTestSet(const DWORD* inits, DWORD from, DWORD physical)
{
    int i;
    for (i = 0; i < 10; ++i)
        initResults[i] = inits ? inits[i] : 0;
    translateFrom = from;
    physicalAnswer = physical;
    callCount = 0;
}

/* Copies up to max calls as (function 1 init, 2 translate, 3 exit, first
 * argument, second argument); returns how many were made. */
DWORD WINAPI TavHelperTestCalls(DWORD (*out)[3], DWORD max)
{
    DWORD count = callCount < 64 ? (DWORD)callCount : 64;
    DWORD i;
    for (i = 0; i < count && i < max; ++i) {
        out[i][0] = calls[i][0];
        out[i][1] = calls[i][1];
        out[i][2] = calls[i][2];
    }
    return count;
}
