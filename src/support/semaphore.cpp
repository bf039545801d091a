#include "support/semaphore.h"

SEMAPHORE::SEMAPHORE(int) {}

SEMAPHORE::~SEMAPHORE() = default;

int SEMAPHORE::in(int)
{
    mutex_.lock();
    return 1;
}

int SEMAPHORE::out()
{
    mutex_.unlock();
    return 1;
}
