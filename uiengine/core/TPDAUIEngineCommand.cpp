#include "uiengine/core/TPDAUIEngineCommand.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

TPDAUIEngineCommand::TPDAUIEngineCommand(TPDAUIEngineElement* t, const char* n)
    : target(t), name(n)
{
}

TPDAUIEngineCommand::TPDAUIEngineCommand(TPDAUIEngineElement* t, const char* n, int v1, int v2)
    : target(t), name(n), value2(v2), value1(v1)
{
}

TPDAUIEngineCommand::TPDAUIEngineCommand(TPDAUIEngineElement* t, const char* n, intptr_t d)
    : target(t), name(n), data(d)
{
}

DString TPDAUIEngineCommand::MakeElementCommandName(int numericId, const char* command)
{
    DString text(kElementPrefix);
    text << numericId << ':' << (command ? command : "");
    return text;
}

bool TPDAUIEngineCommand::ParseElementCommand(const char* name, int* numericId, DString* command)
{
    CDString text(name);
    if (!text.StartsWith(kElementPrefix))
        return false;
    int first = text.strchr(':');
    int second = text.strchr(':', first + 1);
    if (numericId)
        *numericId = text.SubString(first + 1, second < 0 ? -1 : second - first - 1).atoi();
    if (command)
        *command = second < 0 ? DString() : text.SubString(second + 1);
    return true;
}

bool TPDAUIEngineCommand::ParseDownloadCompletion(const char* name, TDownloadCompletion* out)
{
    CDString text(name);
    if (!text.StartsWith(kDownloadPrefix))
        return false;
    int open = text.strchr('(');
    if (open < 0)
        return false;
    int close = text.strchr(')', open + 1);
    DString inside = text.SubString(open + 1, close < 0 ? -1 : close - open - 1);

    // Empty parts count, so an empty field does not shift the ones after it.
    DString parts[5];
    int count = 0;
    int start = 0;
    for (;;) {
        int comma = inside.strchr(',', start);
        if (count < 5)
            parts[count] = inside.SubString(start, comma < 0 ? -1 : comma - start);
        ++count;
        if (comma < 0)
            break;
        start = comma + 1;
    }
    if (count < 5)
        return false;
    if (out) {
        out->requestId = parts[0].atoi();
        out->ok = parts[1] == "1";
        out->file = parts[2];
        out->mimeType = parts[3];
        out->flag = parts[4] == "1";
    }
    return true;
}

// ---- queue ----

namespace {

// Every live queue, so that a dying element can be purged from all of them.
std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<TPDAUIEngineCommandQueue*>& Registry()
{
    static std::vector<TPDAUIEngineCommandQueue*> queues;
    return queues;
}

// Which count slots are taken (registry lock held).
bool g_countSlotTaken[TPDAUIEngineCommandQueue::kCountSlots];

} // namespace

std::atomic<int> TPDAUIEngineCommandQueue::slotCounts_[kCountSlots];
std::atomic<int> TPDAUIEngineCommandQueue::slotsUsed_{0};
std::atomic<int> TPDAUIEngineCommandQueue::queuesWithoutSlot_{0};

TPDAUIEngineCommandQueue::TPDAUIEngineCommandQueue()
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Registry().push_back(this);
    for (int i = 0; i < kCountSlots; ++i)
        if (!g_countSlotTaken[i]) {
            g_countSlotTaken[i] = true;
            countSlot_ = i;
            slotCounts_[i].store(0, std::memory_order_release);
            count_ = &slotCounts_[i];
            if (slotsUsed_.load(std::memory_order_relaxed) <= i)
                slotsUsed_.store(i + 1, std::memory_order_release);
            return;
        }
    queuesWithoutSlot_.fetch_add(1, std::memory_order_acq_rel);
}

TPDAUIEngineCommandQueue::~TPDAUIEngineCommandQueue()
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto& queues = Registry();
    queues.erase(std::remove(queues.begin(), queues.end(), this), queues.end());
    // The records go with the queue: none of them is left to purge.
    count_->store(0, std::memory_order_release);
    if (countSlot_ >= 0)
        g_countSlotTaken[countSlot_] = false;
    else
        queuesWithoutSlot_.fetch_sub(1, std::memory_order_acq_rel);
}

namespace {

const int kInitialSlots = 10;
// A ring above this many slots is let go when it drains, and a slot keeps no
// name longer than kKeptNameLength: one burst or one huge name does not pin its
// memory for the life of the engine.
const int kKeptSlots = 4096;
const int kKeptNameLength = 256;

// What a popped record hands on: everything but the answer bytes. The name is
// copied into the room the destination already has.
void CopyTravellingFields(const TPDAUIEngineCommand& from, TPDAUIEngineCommand& to)
{
    to.target = from.target;
    to.name = from.name;
    to.value2 = from.value2;
    to.value1 = from.value1;
    to.data = from.data;
    to.elapsed = from.elapsed;
}

} // namespace

void TPDAUIEngineCommandQueue::Grow(std::vector<TPDAUIEngineCommand>& old)
{
    const int slots = (int)ring_.size();
    std::vector<TPDAUIEngineCommand> bigger((size_t)(slots < kInitialSlots ? kInitialSlots : 2 * slots));
    for (int i = 0; i < size_; ++i)
        bigger[(size_t)i] = std::move(At(i));
    ring_.swap(bigger);
    old.swap(bigger);
    head_ = 0;
}

int TPDAUIEngineCommandQueue::Post(const TPDAUIEngineCommand& command)
{
    std::vector<TPDAUIEngineCommand> old;  // freed after the lock is left
    TCriticalSectionITVEntra lock(lock_);
    if (size_ == (int)ring_.size())
        Grow(old);
    TPDAUIEngineCommand& slot = At(size_);
    CopyTravellingFields(command, slot);
    slot.result = command.result;
    slot.handled = command.handled;
    ++size_;
    count_->store(size_, std::memory_order_release);
    return 1;
}

bool TPDAUIEngineCommandQueue::Pop(TPDAUIEngineCommand& out)
{
    if (count_->load(std::memory_order_acquire) == 0)
        return false;
    std::vector<TPDAUIEngineCommand> drained;  // freed after the lock is left
    TCriticalSectionITVEntra lock(lock_);
    if (size_ == 0)
        return false;
    TPDAUIEngineCommand& oldest = At(0);
    CopyTravellingFields(oldest, out);
    oldest.target = nullptr;
    if (oldest.name.Length() > kKeptNameLength)
        oldest.name = DString();
    if (++head_ == (int)ring_.size())
        head_ = 0;
    --size_;
    if (size_ == 0) {
        head_ = 0;
        if ((int)ring_.size() > kKeptSlots)
            drained.swap(ring_);
    }
    count_->store(size_, std::memory_order_release);
    return true;
}

int TPDAUIEngineCommandQueue::Count() const { return count_->load(std::memory_order_acquire); }

void TPDAUIEngineCommandQueue::Clear()
{
    std::vector<TPDAUIEngineCommand> gone;
    TCriticalSectionITVEntra lock(lock_);
    gone.swap(ring_);
    head_ = 0;
    size_ = 0;
    count_->store(0, std::memory_order_release);
}

int TPDAUIEngineCommandQueue::PurgeTarget(const TPDAUIEngineElement* target)
{
    if (!target || count_->load(std::memory_order_acquire) == 0)
        return 0;
    TCriticalSectionITVEntra lock(lock_);
    // Compacts toward the oldest end, keeping the order of what stays.
    int kept = 0;
    for (int i = 0; i < size_; ++i) {
        if (At(i).target == target)
            continue;
        if (kept != i)
            std::swap(At(kept), At(i));
        ++kept;
    }
    const int removed = size_ - kept;
    for (int i = kept; i < size_; ++i)
        At(i).target = nullptr;
    size_ = kept;
    count_->store(size_, std::memory_order_release);
    return removed;
}

int TPDAUIEngineCommandQueue::PurgeTargetHeld(const TPDAUIEngineElement* target)
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    int removed = 0;
    for (TPDAUIEngineCommandQueue* queue : Registry())
        removed += queue->PurgeTarget(target);
    return removed;
}
