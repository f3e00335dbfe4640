#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "enginelib/base/DString.h"
#include "enginelib/base/TCriticalSectionITV.h"

class TPDAUIEngineElement;

// The record in which commands travel: from an element up to its page, from a
// closing page to the page underneath, from any thread into the engine's queue,
// and from the engine to the application.
class TPDAUIEngineCommand {
public:
    TPDAUIEngineCommand() = default;
    TPDAUIEngineCommand(TPDAUIEngineElement* target, const char* name);
    TPDAUIEngineCommand(TPDAUIEngineElement* target, const char* name, int value1, int value2);
    TPDAUIEngineCommand(TPDAUIEngineElement* target, const char* name, intptr_t data);

    TPDAUIEngineCommand(const TPDAUIEngineCommand&) = default;
    TPDAUIEngineCommand(TPDAUIEngineCommand&&) noexcept = default;
    TPDAUIEngineCommand& operator=(const TPDAUIEngineCommand&) = default;
    TPDAUIEngineCommand& operator=(TPDAUIEngineCommand&&) noexcept = default;

    // The element the command comes from or is meant for; a page when the command
    // is for that page. Not owned.
    TPDAUIEngineElement* target = nullptr;
    DString name;
    int value2 = 0;          // second numeric argument (a pointer command's y)
    int value1 = 0;          // first numeric argument (a pointer command's x)
    intptr_t data = 0;       // an attached object or number
    unsigned char result = 0;  // yes/no answer written by the handler; a closed page's result
    unsigned char handled = 1; // a handler that does not know the command clears it
    int elapsed = 0;         // ms since the raising element's previous timer tick

    // Texts the dispatcher recognises in posted commands.
    static constexpr const char* kElementPrefix = "PDAUIEngineElement:";
    static constexpr const char* kDownloadPrefix =
        "PDAUIEngineDownloadManager.GetBitmapAsyncEndInUIThread";

    // "PDAUIEngineElement:" + numericId + ":" + command.
    static DString MakeElementCommandName(int numericId, const char* command);
    // For a name beginning "PDAUIEngineElement:": the integer after the first ':'
    // and the text after the second ':' (empty when there is no second ':').
    // False for any other name.
    static bool ParseElementCommand(const char* name, int* numericId, DString* command);

    // A finished bitmap download: the name begins with kDownloadPrefix, then
    // "(" id "," ok "," file "," mime "," flag ")"; ok and flag are "1" for true.
    struct TDownloadCompletion {
        int requestId = 0;
        bool ok = false;
        DString file;
        DString mimeType;
        bool flag = false;
    };
    // False when the name is not a download completion or the text between the
    // first '(' and the next ')' has fewer than five parts separated by ','
    // (empty parts count).
    static bool ParseDownloadCompletion(const char* name, TDownloadCompletion* out);
};

// The engine's posted-command queue: any thread appends, the UI thread pops the
// oldest. The lock is held for one append or one pop only, so handlers run
// unlocked and may post again.
//
// The records live in a ring whose slots are reused: a name is copied into the
// text room a slot already has, so a steady stream of posts costs no
// allocation. The ring doubles when full and is let go once drained after a
// large burst.
//
// A queued record must never outlive its target: an element's destructor calls
// PurgeTargetEverywhere, which removes the records aimed at it from every queue
// under that queue's lock, so a command for a deleted element or page is dropped
// instead of delivered. The engine embeds one queue and forwards its
// PostCommand and PopCommand here; its DispatchPostedCommands drains it.
class TPDAUIEngineCommandQueue {
public:
    TPDAUIEngineCommandQueue();
    ~TPDAUIEngineCommandQueue();
    TPDAUIEngineCommandQueue(const TPDAUIEngineCommandQueue&) = delete;
    TPDAUIEngineCommandQueue& operator=(const TPDAUIEngineCommandQueue&) = delete;

    // Any thread: appends a copy of the record; the queue never refuses. Answers 1.
    int Post(const TPDAUIEngineCommand& command);
    // Copies the oldest record's target, name, values, data and elapsed into out
    // and removes it; out's result and handled stay as they were, so a working
    // record reused over a drain carries them from one handler to the next.
    // False when empty.
    bool Pop(TPDAUIEngineCommand& out);
    int Count() const;
    bool IsEmpty() const { return Count() == 0; }
    // Deletes every queued record.
    void Clear();

    // Removes the records whose target is the given element; gives how many.
    int PurgeTarget(const TPDAUIEngineElement* target);
    // The same over every live queue of the process. Inline: thousands of
    // elements die with every page, nearly always with every queue empty.
    static int PurgeTargetEverywhere(const TPDAUIEngineElement* target)
    {
        if (!target || !AnyQueued())
            return 0;
        return PurgeTargetHeld(target);
    }

    enum { kCountSlots = 64 };

private:
    // Slot of the i-th oldest record.
    TPDAUIEngineCommand& At(int i)
    {
        const int slots = (int)ring_.size();
        const int slot = head_ + i;
        return ring_[(size_t)(slot < slots ? slot : slot - slots)];
    }
    // Doubles the ring, the oldest record moving to slot 0; the old ring goes to
    // old, to be freed once the lock is left. Lock held.
    void Grow(std::vector<TPDAUIEngineCommand>& old);
    // False only when no queue can hold a record.
    static bool AnyQueued()
    {
        if (queuesWithoutSlot_.load(std::memory_order_acquire) != 0)
            return true;
        const int used = slotsUsed_.load(std::memory_order_acquire);
        for (int i = 0; i < used; ++i)
            if (slotCounts_[i].load(std::memory_order_acquire) != 0)
                return true;
        return false;
    }
    // PurgeTargetEverywhere once some queue may hold a record.
    static int PurgeTargetHeld(const TPDAUIEngineElement* target);

    mutable TCriticalSectionITV lock_;
    std::vector<TPDAUIEngineCommand> ring_;
    int head_ = 0;  // slot of the oldest record
    int size_ = 0;  // records queued
    // The count, readable without the lock: an empty queue is answered at once.
    // It lives in a process-wide slot when one is free, so that dying elements
    // can see every queue's count without the registry lock.
    std::atomic<int> ownCount_{0};
    std::atomic<int>* count_ = &ownCount_;
    int countSlot_ = -1;
    // The counts of the live queues, in storage that never goes: a dying element
    // reads them without the registry lock and skips it while every queue is
    // empty. A queue made when all slots are taken keeps its count to itself and
    // makes every purge take the lock.
    static std::atomic<int> slotCounts_[kCountSlots];
    static std::atomic<int> slotsUsed_;  // slots past this one were never taken
    static std::atomic<int> queuesWithoutSlot_;
};
