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

} // namespace

TPDAUIEngineCommandQueue::TPDAUIEngineCommandQueue()
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Registry().push_back(this);
}

TPDAUIEngineCommandQueue::~TPDAUIEngineCommandQueue()
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto& queues = Registry();
    queues.erase(std::remove(queues.begin(), queues.end(), this), queues.end());
}

int TPDAUIEngineCommandQueue::Post(const TPDAUIEngineCommand& command)
{
    // The copy is made before the lock so that only the append is locked.
    TPDAUIEngineCommand copy(command);
    TCriticalSectionITVEntra lock(lock_);
    queue_.push_back(std::move(copy));
    count_.store((int)queue_.size(), std::memory_order_release);
    return 1;
}

bool TPDAUIEngineCommandQueue::Pop(TPDAUIEngineCommand& out)
{
    if (count_.load(std::memory_order_acquire) == 0)
        return false;
    TPDAUIEngineCommand oldest;
    {
        TCriticalSectionITVEntra lock(lock_);
        if (queue_.empty())
            return false;
        oldest = std::move(queue_.front());
        queue_.pop_front();
        count_.store((int)queue_.size(), std::memory_order_release);
    }
    out = std::move(oldest);
    return true;
}

int TPDAUIEngineCommandQueue::Count() const { return count_.load(std::memory_order_acquire); }

void TPDAUIEngineCommandQueue::Clear()
{
    std::deque<TPDAUIEngineCommand> gone;
    TCriticalSectionITVEntra lock(lock_);
    gone.swap(queue_);
    count_.store(0, std::memory_order_release);
}

int TPDAUIEngineCommandQueue::PurgeTarget(const TPDAUIEngineElement* target)
{
    if (!target || count_.load(std::memory_order_acquire) == 0)
        return 0;
    TCriticalSectionITVEntra lock(lock_);
    auto kept = std::remove_if(queue_.begin(), queue_.end(),
                               [target](const TPDAUIEngineCommand& c) { return c.target == target; });
    int removed = (int)(queue_.end() - kept);
    queue_.erase(kept, queue_.end());
    count_.store((int)queue_.size(), std::memory_order_release);
    return removed;
}

int TPDAUIEngineCommandQueue::PurgeTargetEverywhere(const TPDAUIEngineElement* target)
{
    if (!target)
        return 0;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    int removed = 0;
    for (TPDAUIEngineCommandQueue* queue : Registry())
        removed += queue->PurgeTarget(target);
    return removed;
}
