#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "enginelib/base/Clipboard.h"
#include "enginelib/base/CodePage.h"
#include "enginelib/base/Tick.h"
#include "enginelib/draw/TDibIG.h"
#include "wincore/TWinBackend.h"
#include "wincore/WinApi.h"
#include "wincore/WinInternal.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

constexpr int MaxCoordinate = 32767;
constexpr uintptr_t ForeignWindowValue = 0x7FFE0000;
constexpr uintptr_t ScreenDcValue = 0x5C5C0;
constexpr uintptr_t CoreDllValue = 0xC0DE0000;

struct SentCall {
    MSG msg{};
    bool done = false;
    LRESULT result = 0;
};

struct Window {
    HWND handle = nullptr;
    std::u16string className;
    std::u16string title;
    WNDPROC proc = nullptr;
    RECT rect{0, 0, 0, 0};
    bool visible = false;
    bool topmost = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::thread::id thread;
    int lockFd = -1;
    bool destroying = false;
    // Holder of the lock: other instances ask it to come forward through a FIFO
    // beside the lock file, read by a thread of its own.
    std::string raisePath;
    int raiseFd = -1;
    std::unique_ptr<std::thread> raiseThread;
    pid_t owner = getpid(); // a forked child only closes its copies
};

struct Timer {
    HWND hwnd;
    uintptr_t id;
    uint32_t period;
    uint32_t due;
    TIMERPROC proc;
};

struct State {
    std::mutex mutex;
    std::condition_variable sentDone;
    std::map<std::string, WNDCLASSW> classes; // by lower-case UTF-8 name
    std::map<std::string, std::u16string> classNames;
    std::unique_ptr<Window> window;
    unsigned windowGeneration = 0;
    HWND capture = nullptr;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentCall>> sent;
    bool quit = false;
    int quitCode = 0;
    bool dirty = false;
    bool erase = false;
    RECT dirtyRect{0, 0, 0, 0};
    bool validated = false;
    std::vector<Timer> timers;
    uintptr_t nextThreadTimer = 0x7000;
    std::map<std::string, UINT> registered;
    UINT nextRegistered = 0xC000;
    DWORD orientation = DMDO_0;
    std::string lockFolder;
    std::string foreignRaisePath; // of the window FindWindowW found in another process
};

std::atomic<bool> g_raiseRequested{false};

State& S()
{
    static State* state = new State; // outlives every static destructor
    return *state;
}

std::mutex g_backendMutex;
std::unique_ptr<TWinBackend> g_backend;
TWinBackendFactory g_factory = nullptr;

thread_local DWORD t_lastError = 0;

bool IsAngleSwapped(DWORD o) { return o == DMDO_90 || o == DMDO_270; }

int AngleOf(DWORD o)
{
    switch (o) {
    case DMDO_90:
        return 90;
    case DMDO_180:
        return 180;
    case DMDO_270:
        return 270;
    default:
        return 0;
    }
}

// Logical screen size (after the orientation).
void ScreenSize(int& w, int& h)
{
    TWinBackend& b = WinBackend();
    w = std::clamp(b.DisplayWidth(), 0, MaxCoordinate);
    h = std::clamp(b.DisplayHeight(), 0, MaxCoordinate);
    std::lock_guard<std::mutex> lock(S().mutex);
    if (IsAngleSwapped(S().orientation))
        std::swap(w, h);
}

// Caller holds the lock.
Window* Find(HWND hwnd)
{
    State& s = S();
    if (!hwnd || !s.window || s.window->handle != hwnd)
        return nullptr;
    return s.window.get();
}

WNDPROC ProcOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    return w ? w->proc : nullptr;
}

HDC WindowDc(HWND hwnd) { return reinterpret_cast<HDC>(reinterpret_cast<uintptr_t>(hwnd) | 2); }

bool IsWindowDc(HDC hdc, HWND& hwnd)
{
    const uintptr_t v = reinterpret_cast<uintptr_t>(hdc);
    if ((v & 3) != 2)
        return false;
    hwnd = reinterpret_cast<HWND>(v & ~uintptr_t(3));
    std::lock_guard<std::mutex> lock(S().mutex);
    return Find(hwnd) != nullptr;
}

bool InRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

bool Due(uint32_t due, uint32_t now) { return int32_t(due - now) <= 0; }

// Ms until the earliest matching timer (0 when one is due), -1 with none.
int NextTimerWait(HWND hwnd, UINT min, UINT max, uint32_t now)
{
    State& s = S();
    if (!InRange(WM_TIMER, min, max))
        return -1;
    int best = -1;
    for (const Timer& t : s.timers) {
        if (hwnd && t.hwnd != hwnd)
            continue;
        const int32_t left = int32_t(t.due - now);
        const int wait = left < 0 ? 0 : int(left);
        if (best < 0 || wait < best)
            best = wait;
    }
    return best;
}

// Runs the calls other threads sent (without the lock).
void ServeSent()
{
    State& s = S();
    for (;;) {
        std::shared_ptr<SentCall> call;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.sent.empty())
                return;
            call = s.sent.front();
            s.sent.pop_front();
        }
        WNDPROC proc = ProcOf(call->msg.hwnd);
        const LRESULT r = proc ? proc(call->msg.hwnd, call->msg.message, call->msg.wParam, call->msg.lParam) : 0;
        std::lock_guard<std::mutex> lock(s.mutex);
        call->result = r;
        call->done = true;
        s.sentDone.notify_all();
    }
}

// Answers every waiting sender with 0 (the window went away). Lock held.
void DropSent()
{
    State& s = S();
    for (auto& c : s.sent)
        c->done = true;
    s.sent.clear();
    s.sentDone.notify_all();
}

bool TakeMessage(MSG* out, HWND hwnd, UINT min, UINT max, bool remove)
{
    if (g_raiseRequested.exchange(false))
        WinBackend().Raise();
    ServeSent();
    State& s = S();
    const uint32_t now = GetTickCount();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
        if ((hwnd && it->hwnd != hwnd) || !InRange(it->message, min, max))
            continue;
        *out = *it;
        if (remove)
            s.posted.erase(it);
        return true;
    }
    if (s.quit && InRange(WM_QUIT, min, max)) {
        *out = MSG{nullptr, WM_QUIT, WPARAM(s.quitCode), 0, now, {0, 0}};
        if (remove)
            s.quit = false;
        return true;
    }
    Window* w = s.window.get();
    if (s.dirty && w && w->visible && (!hwnd || hwnd == w->handle) && InRange(WM_PAINT, min, max)) {
        *out = MSG{w->handle, WM_PAINT, 0, 0, now, {0, 0}};
        return true;
    }
    if (InRange(WM_TIMER, min, max)) {
        Timer* best = nullptr;
        for (Timer& t : s.timers) {
            if ((hwnd && t.hwnd != hwnd) || !Due(t.due, now))
                continue;
            if (!best || int32_t(t.due - best->due) < 0)
                best = &t;
        }
        if (best) {
            *out = MSG{best->hwnd, WM_TIMER, WPARAM(best->id), LPARAM(reinterpret_cast<intptr_t>(best->proc)), now, {0, 0}};
            if (remove) {
                best->due += best->period;
                if (Due(best->due, now))
                    best->due = now + best->period;
            }
            return true;
        }
    }
    return false;
}

void InstallLibraryServices()
{
    SetTickSource([] { return uint32_t(GetTickCount()); });
    TClipboardService clip;
    clip.set = [](const std::string& text) {
        const std::u16string wide = CodePage::ToUtf16(text.c_str(), int(text.size()), -1);
        return WinBackend().SetClipboardText(WinToUtf8(wide.c_str()));
    };
    clip.get = [](std::string& text) {
        std::string utf8;
        if (!WinBackend().GetClipboardText(utf8))
            return false;
        const std::u16string wide = WinFromUtf8(utf8);
        CodePage::FromUtf16(wide.c_str(), int(wide.size()), -1, text);
        return true;
    };
    SetClipboardService(clip);
}

// Starts listening for other instances' requests to come forward.
void StartRaiseListener(Window& w, const std::string& lockPath)
{
    w.raisePath = lockPath + ".raise";
    unlink(w.raisePath.c_str());
    if (mkfifo(w.raisePath.c_str(), 0600) != 0)
        return;
    // Read and write: the FIFO never reads as ended while we hold it.
    w.raiseFd = open(w.raisePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (w.raiseFd < 0)
        return;
    const int fd = w.raiseFd;
    w.raiseThread = std::make_unique<std::thread>([fd] {
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, -1) < 0 && errno != EINTR)
                return;
            char buf[64];
            const ssize_t n = read(fd, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == 'q')
                    return;
                if (buf[i] == 'r') {
                    g_raiseRequested = true;
                    WinBackend().Wake();
                }
            }
        }
    });
}

// Stops the listener and lets the lock go. The window is out of the state.
void ReleaseInstance(Window& w)
{
    if (w.owner != getpid()) {
        // The thread and the FIFO are the parent's.
        if (w.raiseFd >= 0)
            close(w.raiseFd);
        if (w.lockFd >= 0)
            close(w.lockFd);
        w.raiseThread.release(); // never ran here
        w.raiseFd = w.lockFd = -1;
        return;
    }
    if (w.raiseThread) {
        const char quit = 'q';
        if (write(w.raiseFd, &quit, 1) == 1)
            w.raiseThread->join();
        else
            w.raiseThread->detach();
        w.raiseThread.reset();
    }
    if (w.raiseFd >= 0) {
        close(w.raiseFd);
        unlink(w.raisePath.c_str());
    }
    if (w.lockFd >= 0)
        close(w.lockFd);
    w.raiseFd = w.lockFd = -1;
}

void ResetState()
{
    State& s = S();
    std::unique_ptr<Window> old;
    std::lock_guard<std::mutex> lock(s.mutex);
    old = std::move(s.window);
    if (old)
        ReleaseInstance(*old);
    s.classes.clear();
    s.classNames.clear();
    s.capture = nullptr;
    s.posted.clear();
    DropSent();
    s.quit = false;
    s.quitCode = 0;
    s.dirty = false;
    s.timers.clear();
    s.registered.clear();
    s.nextRegistered = 0xC000;
    s.orientation = DMDO_0;
}

std::string LockPath(const std::u16string& className)
{
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        folder = S().lockFolder;
    }
    std::string name;
    for (char16_t c : className) {
        if (name.size() >= 100)
            break;
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        name += ok ? char(c) : '_';
    }
    if (folder.empty()) {
        const char* runtime = getenv("XDG_RUNTIME_DIR");
        if (runtime && *runtime)
            folder = runtime;
        else
            folder = "/tmp", name = std::to_string(getuid()) + "-" + name;
    }
    return folder + "/orbeta-" + name + ".lock";
}

// Changes position and size, telling the window procedure what changed.
BOOL Place(HWND hwnd, int x, int y, int width, int height, bool move, bool size, bool repaint)
{
    State& s = S();
    bool moved = false, sized = false;
    RECT r;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        Window* w = Find(hwnd);
        if (!w) {
            t_lastError = ERROR_INVALID_WINDOW_HANDLE;
            return FALSE;
        }
        r = w->rect;
        const int curW = r.right - r.left, curH = r.bottom - r.top;
        if (move) {
            x = std::clamp(x, -MaxCoordinate, MaxCoordinate);
            y = std::clamp(y, -MaxCoordinate, MaxCoordinate);
            moved = x != r.left || y != r.top;
            r.left = x, r.top = y;
        }
        const int newW = size ? std::clamp(width, 0, MaxCoordinate) : curW;
        const int newH = size ? std::clamp(height, 0, MaxCoordinate) : curH;
        sized = newW != curW || newH != curH;
        r.right = r.left + newW;
        r.bottom = r.top + newH;
        w->rect = r;
    }
    WinBackend().SetWindowRect(r);
    if (moved)
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
    if (sized)
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
    if (repaint)
        InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

} // namespace

// Backends.

TWinBackend& WinBackend()
{
    std::lock_guard<std::mutex> lock(g_backendMutex);
    if (g_backend)
        return *g_backend;
    std::string why;
    const char* headless = getenv("ORBETA_HEADLESS");
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if (headless && std::string(headless) == "1") {
        why = "";
    } else if (!(display && *display) && !(wayland && *wayland)) {
        why = "no display (DISPLAY and WAYLAND_DISPLAY are unset)";
    } else if (g_factory) {
        g_backend = g_factory(why);
    } else {
#ifdef ORBETA_WITH_SDL2
        g_backend = CreateSdl2Backend(why);
#else
        why = "built without the SDL2 backend";
#endif
    }
    if (!g_backend) {
        if (!why.empty())
            fprintf(stderr, "orbeta: running headless: %s\n", why.c_str());
        g_backend = std::make_unique<THeadlessBackend>();
    }
    InstallLibraryServices();
    return *g_backend;
}

void WinUseBackend(std::unique_ptr<TWinBackend> backend)
{
    ResetState();
    WinRegistryReset();
    std::lock_guard<std::mutex> lock(g_backendMutex);
    g_backend = std::move(backend);
    if (g_backend) {
        InstallLibraryServices();
    } else {
        SetTickSource({});
        SetClipboardService({});
    }
}

void WinRegisterDisplayBackend(TWinBackendFactory factory)
{
    std::lock_guard<std::mutex> lock(g_backendMutex);
    g_factory = factory;
}

// Errors.

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

std::string WinLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

// Classes and the window.

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc || !wc->lpszClassName || !wc->lpszClassName[0] || !wc->lpfnWndProc) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    const std::string key = WinLower(WinToUtf8(wc->lpszClassName));
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.classes.count(key)) {
        t_lastError = ERROR_CLASS_ALREADY_EXISTS;
        return 0;
    }
    s.classNames[key] = std::u16string(wc->lpszClassName);
    WNDCLASSW copy = *wc;
    copy.lpszClassName = s.classNames[key].c_str();
    copy.lpszMenuName = nullptr;
    s.classes[key] = copy;
    return ATOM(0xC000 + s.classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    const std::string key = WinLower(WinToUtf8(className));
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.window && WinLower(WinToUtf8(s.window->className.c_str())) == key)
        return FALSE;
    s.classNames.erase(key);
    return s.classes.erase(key) ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, void*)
{
    State& s = S();
    const std::string key = WinLower(WinToUtf8(className));
    int screenW, screenH;
    ScreenSize(screenW, screenH);
    auto w = std::make_unique<Window>();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        auto it = s.classes.find(key);
        if (it == s.classes.end()) {
            t_lastError = ERROR_CANNOT_FIND_WND_CLASS;
            return nullptr;
        }
        if (s.window) { // one top-level window
            t_lastError = ERROR_INVALID_PARAMETER;
            return nullptr;
        }
        w->className = s.classNames[key];
        w->proc = it->second.lpfnWndProc;
    }
    w->title = title ? std::u16string(title) : std::u16string();
    w->style = style;
    w->exStyle = exStyle;
    w->visible = (style & WS_VISIBLE) != 0;
    w->thread = std::this_thread::get_id();
    const int left = x == CW_USEDEFAULT ? 0 : std::clamp(x, -MaxCoordinate, MaxCoordinate);
    const int top = y == CW_USEDEFAULT ? 0 : std::clamp(y, -MaxCoordinate, MaxCoordinate);
    const int cx = width == CW_USEDEFAULT ? screenW : std::clamp(width, 0, MaxCoordinate);
    const int cy = height == CW_USEDEFAULT ? screenH : std::clamp(height, 0, MaxCoordinate);
    w->rect = RECT{left, top, left + cx, top + cy};
    if (!WinBackend().CreateWindow(WinToUtf8(w->title.c_str()), w->rect)) {
        t_lastError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    // The single-instance lock of the class; another process may hold it.
    const std::string lockPath = LockPath(w->className);
    w->lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (w->lockFd >= 0 && flock(w->lockFd, LOCK_EX | LOCK_NB) != 0) {
        close(w->lockFd);
        w->lockFd = -1;
    }
    if (w->lockFd >= 0)
        StartRaiseListener(*w, lockPath);
    HWND hwnd;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        ++s.windowGeneration;
        hwnd = reinterpret_cast<HWND>(uintptr_t(0x10000) + uintptr_t(s.windowGeneration & 0xFFFFF) * 16);
        w->handle = hwnd;
        s.window = std::move(w);
        s.dirty = true; // a new window paints once
        s.erase = true;
        s.dirtyRect = RECT{0, 0, cx, cy};
    }
    {
        bool visible;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            visible = s.window->visible;
        }
        WinBackend().ShowWindow(visible);
    }
    if (SendMessageW(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    State& s = S();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        Window* w = Find(hwnd);
        if (!w || w->destroying) {
            t_lastError = ERROR_INVALID_WINDOW_HANDLE;
            return FALSE;
        }
        w->destroying = true;
    }
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.window && s.window->handle == hwnd) {
            ReleaseInstance(*s.window);
            s.window.reset();
        }
        s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                       s.timers.end());
        if (s.capture == hwnd)
            s.capture = nullptr;
        s.dirty = false;
        DropSent();
    }
    WinBackend().DestroyWindow();
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    return Find(hwnd) ? TRUE : FALSE;
}

HWND WinMainWindow()
{
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().window ? S().window->handle : nullptr;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR title)
{
    if (!className)
        return nullptr;
    const std::u16string cls(className);
    {
        State& s = S();
        std::lock_guard<std::mutex> lock(s.mutex);
        // Our own window holds the class's lock: the answer is here.
        if (s.window && WinLower(WinToUtf8(s.window->className.c_str())) == WinLower(WinToUtf8(className)))
            return !title || s.window->title == title ? s.window->handle : nullptr;
    }
    const std::string path = LockPath(cls);
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    HWND found = nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        found = reinterpret_cast<HWND>(ForeignWindowValue);
        std::lock_guard<std::mutex> lock(S().mutex);
        S().foreignRaisePath = path + ".raise";
    } else
        flock(fd, LOCK_UN);
    close(fd);
    return found;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    hwnd = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(hwnd) & ~uintptr_t(1));
    if (reinterpret_cast<uintptr_t>(hwnd) == ForeignWindowValue) {
        std::string path;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            path = S().foreignRaisePath;
        }
        const int fd = path.empty() ? -1 : open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return FALSE;
        const char raise = 'r';
        const bool ok = write(fd, &raise, 1) == 1;
        close(fd);
        return ok ? TRUE : FALSE;
    }
    if (!IsWindow(hwnd))
        return FALSE;
    WinBackend().Raise();
    return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT:
        ValidateRect(hwnd, nullptr);
        return 0;
    default:
        return 0;
    }
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = w->rect;
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    if (!w || !point)
        return FALSE;
    point->x += w->rect.left;
    point->y += w->rect.top;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    if (!w || !point)
        return FALSE;
    point->x -= w->rect.left;
    point->y -= w->rect.top;
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return Place(hwnd, x, y, width, height, true, true, repaint != FALSE);
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    if (!IsWindow(hwnd))
        return FALSE;
    if (!(flags & SWP_NOZORDER) && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
        const bool top = insertAfter == HWND_TOPMOST;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            if (Window* w = Find(hwnd))
                w->topmost = top;
        }
        WinBackend().SetTopmost(top);
    }
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE))
        Place(hwnd, x, y, width, height, !(flags & SWP_NOMOVE), !(flags & SWP_NOSIZE), false);
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    bool before, after;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        before = w->visible;
        w->visible = command != SW_HIDE;
        after = w->visible;
    }
    if (before != after) {
        WinBackend().ShowWindow(after);
        if (after)
            InvalidateRect(hwnd, nullptr, TRUE);
    }
    return before ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    return w && w->visible ? TRUE : FALSE;
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    if (!w) {
        t_lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    DWORD* slot = index == GWL_STYLE ? &w->style : index == GWL_EXSTYLE ? &w->exStyle : nullptr;
    if (!slot) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    const LONG old = LONG(*slot);
    *slot = DWORD(value);
    return old;
}

LONG GetWindowLongW(HWND hwnd, int index)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    if (index == GWL_STYLE)
        return LONG((w->style & ~WS_VISIBLE) | (w->visible ? WS_VISIBLE : 0));
    if (index == GWL_EXSTYLE)
        return LONG(w->exStyle);
    return 0;
}

HWND SetCapture(HWND hwnd)
{
    HWND old;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (!Find(hwnd))
            return nullptr;
        old = S().capture;
        S().capture = hwnd;
    }
    WinBackend().SetCapture(true);
    return old;
}

BOOL ReleaseCapture()
{
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        S().capture = nullptr;
    }
    WinBackend().SetCapture(false);
    return TRUE;
}

HWND GetCapture()
{
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().capture;
}

// Messages.

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT minMsg, UINT maxMsg)
{
    if (!msg || (hwnd && !IsWindow(hwnd))) {
        t_lastError = msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER;
        return -1;
    }
    TWinBackend& backend = WinBackend();
    for (;;) {
        backend.Pump();
        if (TakeMessage(msg, hwnd, minMsg, maxMsg, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        const uint32_t now = backend.Now();
        int wait;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            wait = NextTimerWait(hwnd, minMsg, maxMsg, now);
        }
        backend.Wait(wait);
    }
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT minMsg, UINT maxMsg, UINT removeFlags)
{
    if (!msg)
        return FALSE;
    TWinBackend& backend = WinBackend();
    backend.Pump();
    if (TakeMessage(msg, hwnd, minMsg, maxMsg, (removeFlags & PM_REMOVE) != 0))
        return TRUE;
    backend.Idle();
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, uintptr_t(msg->wParam), GetTickCount());
        return 0;
    }
    WNDPROC proc = ProcOf(msg->hwnd);
    if (!proc)
        return 0;
    if (msg->message != WM_PAINT)
        return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        S().validated = false;
    }
    const LRESULT r = proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // A procedure that did not paint would be asked again at once.
    bool validated;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        validated = S().validated;
    }
    if (!validated)
        ValidateRect(msg->hwnd, nullptr);
    return r;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    State& s = S();
    std::thread::id owner;
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        Window* w = Find(hwnd);
        if (!w)
            return 0;
        owner = w->thread;
        proc = w->proc;
    }
    if (owner == std::this_thread::get_id())
        return proc(hwnd, msg, wParam, lParam);
    auto call = std::make_shared<SentCall>();
    call->msg = MSG{hwnd, msg, wParam, lParam, GetTickCount(), {0, 0}};
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.sent.push_back(call);
    }
    WinBackend().Wake();
    std::unique_lock<std::mutex> lock(s.mutex);
    s.sentDone.wait(lock, [&] { return call->done; });
    return call->result;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinBackend& backend = WinBackend();
    const uint32_t now = backend.Now();
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (hwnd && !Find(hwnd)) {
            t_lastError = ERROR_INVALID_WINDOW_HANDLE;
            return FALSE;
        }
        S().posted.push_back(MSG{hwnd, msg, wParam, lParam, now, {0, 0}});
    }
    backend.Wake();
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        S().quit = true;
        S().quitCode = exitCode;
    }
    WinBackend().Wake();
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !name[0]) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    const std::string key = WinLower(WinToUtf8(name));
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.registered.find(key);
    if (it != s.registered.end())
        return it->second;
    if (s.nextRegistered > 0xFFFF)
        return 0;
    return s.registered[key] = s.nextRegistered++;
}

// Timers.

uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs, TIMERPROC proc)
{
    const uint32_t now = WinBackend().Now();
    const uint32_t period = std::max<UINT>(elapseMs, 10);
    State& s = S();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (hwnd && !Find(hwnd)) {
            t_lastError = ERROR_INVALID_WINDOW_HANDLE;
            return 0;
        }
        if (!hwnd)
            id = ++s.nextThreadTimer;
        auto it = std::find_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
        if (it != s.timers.end())
            *it = Timer{hwnd, id, period, now + period, proc};
        else
            s.timers.push_back(Timer{hwnd, id, period, now + period, proc});
    }
    WinBackend().Wake();
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, uintptr_t id)
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = std::find_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == s.timers.end())
        return FALSE;
    s.timers.erase(it);
    return TRUE;
}

// Painting.

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    State& s = S();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        Window* w = hwnd ? Find(hwnd) : s.window.get();
        if (!w)
            return FALSE;
        const RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
        RECT r = rect ? *rect : client;
        r.left = std::max(r.left, client.left);
        r.top = std::max(r.top, client.top);
        r.right = std::min(r.right, client.right);
        r.bottom = std::min(r.bottom, client.bottom);
        if (r.left >= r.right || r.top >= r.bottom)
            return TRUE;
        if (!s.dirty) {
            s.dirtyRect = r;
            s.erase = false;
        } else {
            s.dirtyRect.left = std::min(s.dirtyRect.left, r.left);
            s.dirtyRect.top = std::min(s.dirtyRect.top, r.top);
            s.dirtyRect.right = std::max(s.dirtyRect.right, r.right);
            s.dirtyRect.bottom = std::max(s.dirtyRect.bottom, r.bottom);
        }
        s.dirty = true;
        s.erase = s.erase || erase;
    }
    WinBackend().Wake();
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    if (hwnd && !Find(hwnd))
        return FALSE;
    S().dirty = false;
    S().validated = true;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    bool paint;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        paint = S().dirty && w->visible;
        S().validated = false;
    }
    if (!paint)
        return TRUE;
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    bool validated;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        validated = S().validated;
    }
    if (!validated)
        ValidateRect(hwnd, nullptr);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    Window* w = Find(hwnd);
    if (!w || !ps)
        return nullptr;
    *ps = PAINTSTRUCT{};
    ps->hdc = WindowDc(hwnd);
    ps->fErase = s.erase ? TRUE : FALSE;
    ps->rcPaint = s.dirty ? s.dirtyRect : RECT{0, 0, 0, 0};
    s.dirty = false;
    s.erase = false;
    s.validated = true;
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) { return IsWindow(hwnd) && ps ? TRUE : FALSE; }

HDC GetDC(HWND hwnd)
{
    if (!hwnd)
        return reinterpret_cast<HDC>(ScreenDcValue);
    return IsWindow(hwnd) ? WindowDc(hwnd) : nullptr;
}

int ReleaseDC(HWND, HDC hdc) { return hdc ? 1 : 0; }

int GetDeviceCaps(HDC hdc, int index)
{
    HWND hwnd;
    if (reinterpret_cast<uintptr_t>(hdc) != ScreenDcValue && !IsWindowDc(hdc, hwnd))
        return 0;
    int w, h;
    switch (index) {
    case HORZRES:
        ScreenSize(w, h);
        return w;
    case VERTRES:
        ScreenSize(w, h);
        return h;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return std::max(WinBackend().DisplayDpi(), 1);
    default:
        return 0;
    }
}

BOOL WinPresent(HDC hdc, const TDibIG& buffer, const RECT* area)
{
    HWND hwnd;
    if (!IsWindowDc(hdc, hwnd) || buffer.IsEmpty())
        return FALSE;
    const int width = buffer.Width(), height = buffer.AbsHeight();
    TWinFrame frame;
    frame.width = width;
    frame.height = height;
    RECT a = area ? *area : RECT{0, 0, width, height};
    a.left = std::clamp<LONG>(a.left, 0, width);
    a.right = std::clamp<LONG>(a.right, a.left, width);
    a.top = std::clamp<LONG>(a.top, 0, height);
    a.bottom = std::clamp<LONG>(a.bottom, a.top, height);
    frame.area = a;
    std::vector<uint32_t> local;
    if (buffer.Bpp() == 32 && !buffer.IsBottomUp()) {
        frame.pixels = buffer.Row(0);
        frame.pitch = buffer.LineSizeBytes();
    } else {
        local.resize(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = buffer.Row(y);
            uint32_t* out = local.data() + size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x) {
                uint32_t r, g, b;
                switch (buffer.Bpp()) {
                case 8:
                    r = g = b = row[x];
                    break;
                case 16: {
                    const uint16_t p = uint16_t(row[2 * x] | (row[2 * x + 1] << 8));
                    r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
                    r = (r << 3) | (r >> 2), g = (g << 2) | (g >> 4), b = (b << 3) | (b >> 2);
                    break;
                }
                case 24:
                    b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
                    break;
                default:
                    b = row[4 * x], g = row[4 * x + 1], r = row[4 * x + 2];
                    break;
                }
                out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
        frame.pixels = reinterpret_cast<const uint8_t*>(local.data());
        frame.pitch = width * 4;
    }
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        frame.angle = AngleOf(S().orientation);
    }
    WinBackend().Present(frame);
    return TRUE;
}

HICON LoadIconW(HINSTANCE, LPCWSTR name)
{
    return reinterpret_cast<HICON>(uintptr_t(0x1C000) + (reinterpret_cast<uintptr_t>(name) & 0xFFFF) * 4);
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name)
{
    return reinterpret_cast<HCURSOR>(uintptr_t(0x2C000) + (reinterpret_cast<uintptr_t>(name) & 0xFFFF) * 4);
}

HGDIOBJ GetStockObject(int object) { return reinterpret_cast<HGDIOBJ>(uintptr_t(0x3C000) + uintptr_t(object & 0xFF) * 4); }

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    return WinBackend().MessageBox(WinToUtf8(text), WinToUtf8(caption), type);
}

LONG ChangeDisplaySettingsEx(LPCWSTR, DEVMODEW* mode, HWND, DWORD flags, void*)
{
    if (!mode)
        return flags == 0 ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADPARAM;
    if (mode->dmSize != 0 && mode->dmSize < offsetof(DEVMODEW, dmReserved))
        return DISP_CHANGE_BADPARAM;
    TWinBackend& backend = WinBackend();
    if (flags & CDS_TEST) {
        if (mode->dmFields & DM_DISPLAYQUERYORIENTATION) {
            const int supported = backend.SupportedOrientations();
            if (supported < 0)
                return DISP_CHANGE_FAILED;
            mode->dmDisplayOrientation = DWORD(supported);
            return DISP_CHANGE_SUCCESSFUL;
        }
        if (mode->dmFields & DM_DISPLAYORIENTATION) {
            std::lock_guard<std::mutex> lock(S().mutex);
            mode->dmDisplayOrientation = S().orientation;
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!(mode->dmFields & DM_DISPLAYORIENTATION))
        return DISP_CHANGE_SUCCESSFUL;
    const DWORD wanted = mode->dmDisplayOrientation;
    if (wanted != DMDO_0 && wanted != DMDO_90 && wanted != DMDO_180 && wanted != DMDO_270)
        return DISP_CHANGE_BADMODE;
    const int supported = backend.SupportedOrientations();
    if (wanted != DMDO_0 && (supported < 0 || !(DWORD(supported) & wanted)))
        return DISP_CHANGE_BADMODE;
    int oldW, oldH;
    ScreenSize(oldW, oldH);
    if (!backend.SetOrientation(wanted))
        return DISP_CHANGE_FAILED;
    HWND follow = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        S().orientation = wanted;
        Window* w = S().window.get();
        if (w && w->rect.left == 0 && w->rect.top == 0 && w->rect.right == oldW && w->rect.bottom == oldH)
            follow = w->handle;
    }
    if (follow) {
        int newW, newH;
        ScreenSize(newW, newH);
        MoveWindow(follow, 0, 0, newW, newH, TRUE);
    }
    return DISP_CHANGE_SUCCESSFUL;
}

namespace {

BOOL TouchCalibrateEntry() { return WinBackend().TouchCalibrate() ? TRUE : FALSE; }

} // namespace

HMODULE LoadLibraryW(LPCWSTR name)
{
    const std::string n = WinLower(WinToUtf8(name));
    if (n == "coredll.dll" || n == "coredll")
        return reinterpret_cast<HMODULE>(CoreDllValue);
    t_lastError = ERROR_FILE_NOT_FOUND;
    return nullptr;
}

FARPROC GetProcAddressW(HMODULE module, LPCWSTR name)
{
    if (reinterpret_cast<uintptr_t>(module) != CoreDllValue || !name)
        return nullptr;
    if (WinToUtf8(name) == "TouchCalibrate")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&TouchCalibrateEntry));
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return reinterpret_cast<uintptr_t>(module) == CoreDllValue ? TRUE : FALSE; }

BOOL PlaySoundW(LPCWSTR sound, HMODULE, DWORD flags)
{
    return WinBackend().PlaySound(WinToUtf8(sound), flags) ? TRUE : FALSE;
}

UINT waveOutSetVolume(HWAVEOUT, DWORD volume)
{
    WinBackend().SetVolume(volume);
    return MMSYSERR_NOERROR;
}

UINT waveOutGetVolume(HWAVEOUT, DWORD* volume)
{
    if (!volume)
        return 11; // MMSYSERR_INVALPARAM
    *volume = WinBackend().GetVolume();
    return MMSYSERR_NOERROR;
}

BOOL WinSetBrightness(int percent) { return WinBackend().SetBrightness(percent) ? TRUE : FALSE; }
int WinGetBrightness() { return WinBackend().GetBrightness(); }

DWORD GetTickCount() { return WinBackend().Now(); }
void Sleep(DWORD ms) { WinBackend().Sleep(ms); }

void WinSetLockFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    S().lockFolder = folder;
}
