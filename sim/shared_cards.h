// The virtual cards shared by every process of a user, as a driver's cards
// are: their states in one file mapped into each process, the frame memory of
// each card in a file of its own, in a per-user runtime directory
// ($XDG_RUNTIME_DIR/saa7146, else /tmp/saa7146-<uid>).
//
// Each card has a process-shared robust lock. A change to a card's state is
// journalled while the lock is held: when its holder dies, the next process
// to take the lock puts the state back as it was before that change. Frame
// memory is not journalled (a frame being drawn when its process died stays
// half drawn, as after a transfer cut short).
//
// Not available on Windows, where the test programs keep private cards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card_state.h"

namespace sim {

struct SharedSet;

class SharedCards {
public:
    // The set in directory, created (and powered on with settings and count)
    // when there is none; an existing set powered on with other settings or
    // another count is powered on afresh. Null, with the reason, when the
    // directory or its files cannot be used.
    static std::unique_ptr<SharedCards> open(const std::string& directory,
                                             const CardSettings& settings, int count,
                                             std::string& reason);
    // Unmaps the set and every frame memory mapping made through it.
    ~SharedCards();
    SharedCards(const SharedCards&) = delete;
    SharedCards& operator=(const SharedCards&) = delete;
    // $XDG_RUNTIME_DIR/saa7146, else /tmp/saa7146-<uid>.
    static std::string defaultDirectory();

    const std::string& directory() const { return directory_; }

    // Every card powered on afresh with settings; count cards answer.
    void powerOn(const CardSettings& settings, int count);
    int count();
    void setCount(int count);

    // A card's lock; lock() returns with the state consistent.
    void lock(int card);
    void unlock(int card);
    CardState& state(int card);
    // The card's frame memory of size bytes, zero-filled where never
    // written; null when it cannot be mapped. Call with the card locked.
    uint8_t* frameMemory(int card, uint32_t size);

    // How often a lock was found abandoned by a process that died holding
    // it (this process's count).
    int recoveries() const { return recoveries_; }

private:
    SharedCards() = default;
    void lockSet();
    void unlockSet();
    void powerOnLocked(const CardSettings& settings, int count);

    std::string directory_;
    SharedSet* set_ = nullptr;
    struct Mapping {
        uint8_t* memory = nullptr;
        uint32_t size = 0;
    } frames_[kMaxCards];
    std::vector<Mapping> outgrown_; // smaller mappings, kept while the set lives
    int recoveries_ = 0;
};

} // namespace sim
