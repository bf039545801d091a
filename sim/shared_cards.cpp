#include "shared_cards.h"

#include "low_memory.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr uint32_t kMagic = 0x53374331; // "1C7S"
constexpr uint32_t kVersion = 1;

} // namespace

// The file's layout. Each card's state has a journal: the state as it was
// when its lock was last taken, and whether a change may be under way.
struct SharedSet {
    uint32_t magic;
    uint32_t version;
    uint32_t layoutSize;
    pthread_mutex_t setLock; // the count and the power-on settings
    int32_t count;
    CardSettings poweredWith;
    struct Card {
        pthread_mutex_t lock;
        uint32_t changing;
        CardState state;
        CardState before;
    } cards[kMaxCards];
};

namespace {

std::string systemReason(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + strerror(errno);
}

bool initMutex(pthread_mutex_t* mutex)
{
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0)
        return false;
    bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
              pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
              pthread_mutex_init(mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ok;
}

// When the kernel keeps no robust list for the process (qemu's user-mode
// emulator does not pass it on), a lock whose holder died is never marked.
// Mark it as the kernel would: the owner's thread id gives way to the
// owner-died bit, and one waiter is woken, so that the next lock attempt
// reports EOWNERDEAD.
void markIfOwnerDied(pthread_mutex_t* mutex)
{
    int* word = reinterpret_cast<int*>(&mutex->__data.__lock);
    int value = __atomic_load_n(word, __ATOMIC_ACQUIRE);
    int owner = value & FUTEX_TID_MASK;
    if (owner == 0 || (value & FUTEX_OWNER_DIED))
        return;
    if (kill(owner, 0) == 0 || errno != ESRCH)
        return;
    int died = (value & FUTEX_WAITERS) | FUTEX_OWNER_DIED;
    if (__atomic_compare_exchange_n(word, &value, died, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE))
        syscall(SYS_futex, word, FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

// Locks a robust mutex; true when its last holder died holding it (the
// mutex is then made consistent again, and the caller repairs the data).
bool lockRobust(pthread_mutex_t* mutex)
{
    for (;;) {
        timespec until;
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_nsec += 200 * 1000 * 1000;
        if (until.tv_nsec >= 1000 * 1000 * 1000) {
            until.tv_sec += 1;
            until.tv_nsec -= 1000 * 1000 * 1000;
        }
        int result = pthread_mutex_timedlock(mutex, &until);
        if (result == 0)
            return false;
        if (result == EOWNERDEAD) {
            pthread_mutex_consistent(mutex);
            return true;
        }
        if (result == ETIMEDOUT) {
            markIfOwnerDied(mutex);
            continue;
        }
        // Nothing else is expected of a robust mutex that was initialised.
        fprintf(stderr, "saa7146: virtual card lock failed: %s\n", strerror(result));
        abort();
    }
}

std::string userFallbackDirectory()
{
    return "/tmp/saa7146-" + std::to_string(static_cast<unsigned>(getuid()));
}

// The directory, made when missing; it must be ours and closed to others.
bool prepareDirectory(const std::string& directory, std::string& reason)
{
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = systemReason("cannot make", directory);
        return false;
    }
    struct stat status;
    if (lstat(directory.c_str(), &status) != 0) {
        reason = systemReason("cannot examine", directory);
        return false;
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != getuid() || (status.st_mode & 077)) {
        reason = directory + " is not a directory of this user closed to others";
        return false;
    }
    return true;
}

} // namespace

std::string SharedCards::defaultDirectory()
{
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/')
        return std::string(runtime) + "/saa7146";
    return userFallbackDirectory();
}

std::unique_ptr<SharedCards> SharedCards::open(const std::string& directory,
                                               const CardSettings& settings, int count,
                                               std::string& reason)
{
    if (!prepareDirectory(directory, reason))
        return nullptr;
    std::string path = directory + "/cards";
    int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) {
        reason = systemReason("cannot open", path);
        return nullptr;
    }
    // One process at a time sets a new file up; the lock goes with the file.
    if (flock(file, LOCK_EX) != 0) {
        reason = systemReason("cannot lock", path);
        close(file);
        return nullptr;
    }
    struct stat status;
    bool fresh = fstat(file, &status) != 0 || status.st_size != off_t(sizeof(SharedSet));
    if (fresh && ftruncate(file, sizeof(SharedSet)) != 0) {
        reason = systemReason("cannot size", path);
        close(file);
        return nullptr;
    }
    void* memory = mmap(nullptr, sizeof(SharedSet), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (memory == MAP_FAILED) {
        reason = systemReason("cannot map", path);
        close(file);
        return nullptr;
    }
    auto* set = static_cast<SharedSet*>(memory);
    fresh = fresh || set->magic != kMagic || set->version != kVersion ||
            set->layoutSize != sizeof(SharedSet);
    if (fresh) {
        memset(static_cast<void*>(set), 0, sizeof(SharedSet));
        bool ok = initMutex(&set->setLock);
        for (SharedSet::Card& card : set->cards)
            ok = ok && initMutex(&card.lock);
        if (!ok) {
            reason = "the system has no process-shared robust locks";
            munmap(memory, sizeof(SharedSet));
            close(file);
            return nullptr;
        }
        set->count = -1; // powered on below
        set->version = kVersion;
        set->layoutSize = sizeof(SharedSet);
        __atomic_store_n(&set->magic, kMagic, __ATOMIC_RELEASE);
    }
    flock(file, LOCK_UN);
    close(file); // the mapping stays

    std::unique_ptr<SharedCards> cards(new SharedCards);
    cards->directory_ = directory;
    cards->set_ = set;
    cards->lockSet();
    if (set->count != count || !(set->poweredWith == settings))
        cards->powerOnLocked(settings, count);
    cards->unlockSet();
    return cards;
}

SharedCards::~SharedCards()
{
    for (const Mapping& mapping : frames_)
        if (mapping.memory)
            munmap(mapping.memory, mapping.size);
    for (const Mapping& mapping : outgrown_)
        munmap(mapping.memory, mapping.size);
    if (set_)
        munmap(set_, sizeof(SharedSet));
}

void SharedCards::lockSet()
{
    if (lockRobust(&set_->setLock))
        ++recoveries_; // the count and the settings are single words and a copy
}

void SharedCards::unlockSet()
{
    pthread_mutex_unlock(&set_->setLock);
}

void SharedCards::powerOn(const CardSettings& settings, int count)
{
    lockSet();
    powerOnLocked(settings, count);
    unlockSet();
}

void SharedCards::powerOnLocked(const CardSettings& settings, int count)
{
    for (int n = 0; n < kMaxCards; ++n) {
        lock(n);
        SharedSet::Card& card = set_->cards[n];
        card.state.powerOn(settings);
        // Frame memory as from power-on: zero, however large it was made.
        std::string path = directory_ + "/frames" + std::to_string(n);
        struct stat status;
        if (stat(path.c_str(), &status) == 0 && status.st_size > 0 &&
            status.st_size <= off_t(UINT32_MAX)) {
            if (uint8_t* memory = frameMemory(n, static_cast<uint32_t>(status.st_size)))
                memset(memory, 0, static_cast<size_t>(status.st_size));
        }
        unlock(n);
    }
    set_->poweredWith = settings;
    set_->count = count;
}

int SharedCards::count()
{
    lockSet();
    int count = set_->count;
    unlockSet();
    return count;
}

void SharedCards::setCount(int count)
{
    lockSet();
    set_->count = count;
    unlockSet();
}

void SharedCards::lock(int card)
{
    SharedSet::Card& shared = set_->cards[card];
    if (lockRobust(&shared.lock)) {
        ++recoveries_;
        if (shared.changing)
            memcpy(&shared.state, &shared.before, sizeof(CardState));
    }
    // The journal: the state as it is now, until unlock().
    memcpy(&shared.before, &shared.state, sizeof(CardState));
    __atomic_store_n(&shared.changing, 1u, __ATOMIC_RELEASE);
}

void SharedCards::unlock(int card)
{
    SharedSet::Card& shared = set_->cards[card];
    __atomic_store_n(&shared.changing, 0u, __ATOMIC_RELEASE);
    pthread_mutex_unlock(&shared.lock);
}

CardState& SharedCards::state(int card)
{
    return set_->cards[card].state;
}

uint8_t* SharedCards::frameMemory(int card, uint32_t size)
{
    Mapping& mapping = frames_[card];
    if (size == 0)
        return nullptr;
    if (mapping.memory && mapping.size >= size)
        return mapping.memory;
    std::string path = directory_ + "/frames" + std::to_string(card);
    int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0)
        return nullptr;
    // The file only grows: other processes may still use a larger mapping.
    struct stat status;
    bool ok = fstat(file, &status) == 0 &&
              (status.st_size >= off_t(size) || ftruncate(file, size) == 0);
    uint8_t* memory = ok ? mapSharedLow(file, size) : nullptr;
    close(file);
    if (!memory)
        return nullptr;
    // A smaller mapping stays where it is: the library may still hold its
    // address, as it holds a driver's mapping until the card is closed.
    if (mapping.memory)
        outgrown_.push_back(mapping);
    mapping.memory = memory;
    mapping.size = size;
    return mapping.memory;
}

} // namespace sim
