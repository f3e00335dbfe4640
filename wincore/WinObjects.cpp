#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "enginelib/base/Path.h"
#include "wincore/TWinBackend.h"
#include "wincore/WinApi.h"
#include "wincore/WinInternal.h"

namespace {

constexpr uintptr_t CurrentProcessValue = uintptr_t(-1);

// An event, a semaphore, or a thread or process (signalled when it ends).
struct Object {
    enum Kind { Event, Semaphore, Thread, Process } kind;
    std::mutex mutex;
    std::condition_variable cv;
    bool manual = true;
    bool signalled = false;
    LONG count = 0;
    LONG maximum = 0;
    bool closed = false; // no handle left: waiters give up
    int handles = 0;
    std::string name;

    explicit Object(Kind k) : kind(k) {}

    void Signal()
    {
        std::lock_guard<std::mutex> lock(mutex);
        signalled = true;
        cv.notify_all();
    }
};

struct Table {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<Object>> handles;
    std::map<std::string, std::weak_ptr<Object>> names;
    uintptr_t next = 0x1000;
    DWORD nextThreadId = 100;
};

Table& T()
{
    static Table* table = new Table; // threads may outlive static destruction
    return *table;
}

// Caller holds the table lock.
HANDLE AddHandle(const std::shared_ptr<Object>& object)
{
    Table& t = T();
    t.next += 4;
    if (t.next >= uintptr_t(0x7FFFFFF0))
        t.next = 0x1000;
    while (t.handles.count(t.next))
        t.next += 4;
    t.handles[t.next] = object;
    ++object->handles;
    return reinterpret_cast<HANDLE>(t.next);
}

std::shared_ptr<Object> Get(HANDLE handle)
{
    Table& t = T();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.handles.end())
        return nullptr;
    return it->second;
}

// A named object is opened again when it exists with the same kind.
HANDLE Create(Object::Kind kind, LPCWSTR name, const std::function<void(Object&)>& init)
{
    Table& t = T();
    std::lock_guard<std::mutex> lock(t.mutex);
    std::string key;
    if (name && name[0]) {
        key = WinLower(WinToUtf8(name));
        auto it = t.names.find(key);
        if (it != t.names.end()) {
            if (auto existing = it->second.lock()) {
                if (existing->kind != kind) {
                    SetLastError(ERROR_INVALID_HANDLE);
                    return nullptr;
                }
                HANDLE h = AddHandle(existing);
                SetLastError(ERROR_ALREADY_EXISTS);
                return h;
            }
        }
    }
    auto object = std::make_shared<Object>(kind);
    init(*object);
    object->name = key;
    if (!key.empty())
        t.names[key] = object;
    SetLastError(0);
    return AddHandle(object);
}

} // namespace

HANDLE CreateEventW(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    return Create(Object::Event, name, [&](Object& o) {
        o.manual = manualReset != FALSE;
        o.signalled = initialState != FALSE;
    });
}

static BOOL SetEventState(HANDLE event, bool state)
{
    auto o = Get(event);
    if (!o || o->kind != Object::Event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(o->mutex);
    o->signalled = state;
    if (state)
        o->cv.notify_all();
    return TRUE;
}

BOOL SetEvent(HANDLE event) { return SetEventState(event, true); }
BOOL ResetEvent(HANDLE event) { return SetEventState(event, false); }

HANDLE CreateSemaphoreW(SECURITY_ATTRIBUTES*, LONG initialCount, LONG maximumCount, LPCWSTR name)
{
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Create(Object::Semaphore, name, [&](Object& o) {
        o.count = initialCount;
        o.maximum = maximumCount;
    });
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount)
{
    auto o = Get(semaphore);
    if (!o || o->kind != Object::Semaphore) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(o->mutex);
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (releaseCount > o->maximum - o->count) {
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (previousCount)
        *previousCount = o->count;
    o->count += releaseCount;
    o->cv.notify_all();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs)
{
    auto o = Get(handle);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(o->mutex);
    auto ready = [&] { return o->closed || (o->kind == Object::Semaphore ? o->count > 0 : o->signalled); };
    if (timeoutMs == INFINITE)
        o->cv.wait(lock, ready);
    else if (!o->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return WAIT_TIMEOUT;
    if (o->closed) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (o->kind == Object::Semaphore)
        --o->count;
    else if (!o->manual)
        o->signalled = false;
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle)
{
    if (reinterpret_cast<uintptr_t>(handle) == CurrentProcessValue)
        return TRUE;
    std::shared_ptr<Object> o;
    {
        Table& t = T();
        std::lock_guard<std::mutex> lock(t.mutex);
        auto it = t.handles.find(reinterpret_cast<uintptr_t>(handle));
        if (it == t.handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        o = it->second;
        t.handles.erase(it);
        if (--o->handles > 0)
            return TRUE;
        if (!o->name.empty()) {
            auto n = t.names.find(o->name);
            if (n != t.names.end() && n->second.lock() == o)
                t.names.erase(n);
        }
    }
    std::lock_guard<std::mutex> lock(o->mutex);
    o->closed = true;
    o->cv.notify_all();
    return TRUE;
}

HANDLE CreateThread(SECURITY_ATTRIBUTES*, size_t, LPTHREAD_START_ROUTINE start, void* param, DWORD,
                    DWORD* threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<Object>(Object::Thread);
    HANDLE h;
    {
        Table& t = T();
        std::lock_guard<std::mutex> lock(t.mutex);
        h = AddHandle(object);
        if (threadId)
            *threadId = t.nextThreadId++;
    }
    try {
        std::thread([object, start, param] {
            start(param);
            object->Signal();
        }).detach();
    } catch (...) {
        CloseHandle(h);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return h;
}

HANDLE WinProcessHandle(int pid)
{
    auto object = std::make_shared<Object>(Object::Process);
    HANDLE h;
    {
        Table& t = T();
        std::lock_guard<std::mutex> lock(t.mutex);
        h = AddHandle(object);
    }
    if (pid <= 0) {
        object->Signal();
        return h;
    }
    try {
        std::thread([object, pid] {
            int status = 0;
            waitpid(pid_t(pid), &status, 0);
            object->Signal();
        }).detach();
    } catch (...) {
        object->Signal();
    }
    return h;
}

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL,
                    DWORD, void*, LPCWSTR, STARTUPINFOW*, PROCESS_INFORMATION* info)
{
    std::string program = WinToUtf8(application);
    std::string arguments = WinToUtf8(commandLine);
    if (program.empty()) {
        // The program is the command line's first word.
        const size_t space = arguments.find(' ');
        program = arguments.substr(0, space);
        arguments = space == std::string::npos ? std::string() : arguments.substr(space + 1);
    }
    if (program.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int pid = 0;
    if (!WinBackend().StartProcess(Path::Resolve(program), arguments, pid)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    HANDLE process = WinProcessHandle(pid);
    if (info) {
        info->hProcess = process;
        info->hThread = nullptr;
        info->dwProcessId = DWORD(pid);
        info->dwThreadId = 0;
    } else {
        CloseHandle(process);
    }
    return TRUE;
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(CurrentProcessValue); }

BOOL TerminateProcess(HANDLE process, UINT code)
{
    if (reinterpret_cast<uintptr_t>(process) != CurrentProcessValue) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::_Exit(int(code & 0xFF));
}
