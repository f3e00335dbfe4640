#pragma once
#include <string>

#include "wincore/WinDefs.h"

// The Windows CE calls the host makes, served on Linux by the active backend
// (TWinBackend: SDL2 or headless). There is one top-level window and one
// message queue; the queue, the timers and the synchronisation objects are
// safe from any thread, window calls belong to the thread that made the window.
//
// Message order in GetMessageW and PeekMessageW: messages sent from other
// threads (dispatched inside the call), then posted messages and input in the
// order they came, then WM_QUIT, then one WM_PAINT for everything invalidated,
// then WM_TIMER of the earliest due timer. A timer gives at most one WM_TIMER
// per period however late the queue is read.

// Errors of the calling thread.
DWORD GetLastError();
void SetLastError(DWORD error);

// Window classes and the window.
ATOM RegisterClassW(const WNDCLASSW* wc);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// Sends WM_CREATE (a result of -1 fails the creation). CW_USEDEFAULT places
// the window over the whole screen. A window of a class also takes the
// single-instance lock of that class name (see FindWindowW).
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     void* param);
// Sends WM_DESTROY, stops the window's timers, frees its lock; FALSE for a
// handle that is not (or no longer) a window.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// A window of the class (and title, when given) in this process, or the
// window of another running process that holds the lock of the class; null
// when there is none.
HWND FindWindowW(LPCWSTR className, LPCWSTR title);
// Raises the window; the lowest bit of the handle is ignored. Another
// process's window (as FindWindowW found it) is asked to raise itself: it
// does so the next time its thread reads its queue.
BOOL SetForegroundWindow(HWND hwnd);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
// Sends WM_MOVE when the position changes and WM_SIZE when the size changes
// (sizes below 0 become 0).
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// The previous visibility.
BOOL ShowWindow(HWND hwnd, int command);
BOOL IsWindowVisible(HWND hwnd);
LONG SetWindowLongW(HWND hwnd, int index, LONG value);
LONG GetWindowLongW(HWND hwnd, int index);
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// Messages.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT minMsg, UINT maxMsg);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT minMsg, UINT maxMsg, UINT removeFlags);
// Characters arrive from the backend as WM_CHAR already: nothing is made here.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
// Calls the window procedure at once on the window's thread; from another
// thread it waits until the window's thread has handled it (0 when the window
// goes away first).
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Any thread. A null window posts to the queue with no window.
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// 0xC000..0xFFFF, the same number for the same name (case ignored); 0 for
// an empty name or when the range is used up.
UINT RegisterWindowMessageW(LPCWSTR name);

// Timers: SetTimer with an existing id restarts it. Periods below 10 ms are 10 ms.
uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, uintptr_t id);

// Painting: everything invalidated before the next WM_PAINT is one paint.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
// Sends WM_PAINT now when something is invalidated.
BOOL UpdateWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
// HORZRES and VERTRES follow the display orientation; LOGPIXELSX/Y the DPI.
int GetDeviceCaps(HDC hdc, int index);

// Resources and stock objects: handles for the window class, never drawn.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HGDIOBJ GetStockObject(int object);

// A message box answered by the backend (IDOK, IDYES, ...); 0 on failure.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Display orientation on a virtual display. With CDS_TEST and
// DM_DISPLAYQUERYORIENTATION dmDisplayOrientation gets the supported set
// (DMDO_90 | DMDO_180 | DMDO_270 bits), with DM_DISPLAYORIENTATION the current
// one. With CDS_RESET and DM_DISPLAYORIENTATION the orientation changes: 90
// and 270 swap the logical screen size, a window covering the whole screen
// follows it, and the backend turns what is presented.
LONG ChangeDisplaySettingsEx(LPCWSTR device, DEVMODEW* mode, HWND hwnd, DWORD flags, void* param);

// "coredll.dll" is the only library; its "TouchCalibrate" (BOOL (*)()) runs
// the backend's calibration.
HMODULE LoadLibraryW(LPCWSTR name);
FARPROC GetProcAddressW(HMODULE module, LPCWSTR name);
BOOL FreeLibrary(HMODULE module);

// Registry in memory; RegFlushKey writes it to the file given to
// WinRegistrySetFile, if any.
LONG RegCreateKeyExW(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                     DWORD access, SECURITY_ATTRIBUTES* security, HKEY* result,
                     DWORD* disposition);
LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, DWORD access, HKEY* result);
LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
// data null: only the type and size. A buffer too small: ERROR_MORE_DATA and
// the size needed.
LONG RegQueryValueExW(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);
LONG RegDeleteValueW(HKEY key, LPCWSTR name);
LONG RegFlushKey(HKEY key);
LONG RegCloseKey(HKEY key);

// Events, semaphores, threads, processes. Named objects are shared within the
// process: creating an existing name opens it (GetLastError ERROR_ALREADY_EXISTS);
// a name held by an object of another kind fails (ERROR_INVALID_HANDLE). When
// the last handle to an object is closed, threads still waiting on it wake
// with WAIT_FAILED.
HANDLE CreateEventW(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
HANDLE CreateSemaphoreW(SECURITY_ATTRIBUTES* security, LONG initialCount, LONG maximumCount,
                        LPCWSTR name);
// Fails (ERROR_TOO_MANY_POSTS) when the count would pass the maximum.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount);
// Threads and processes are signalled when they end.
DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
BOOL CloseHandle(HANDLE handle);
// flags are ignored (a thread starts at once).
HANDLE CreateThread(SECURITY_ATTRIBUTES* security, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    void* param, DWORD flags, DWORD* threadId);
// The program's path goes through the device path mapping; commandLine holds
// the arguments only (separated by spaces, "..." groups). Started with
// posix_spawn through the backend (the headless one only records it).
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, SECURITY_ATTRIBUTES* processSecurity,
                    SECURITY_ATTRIBUTES* threadSecurity, BOOL inheritHandles, DWORD flags,
                    void* environment, LPCWSTR currentDirectory, STARTUPINFOW* startup,
                    PROCESS_INFORMATION* info);
HANDLE GetCurrentProcess();
// Ends this process at once (exit status: the low byte of code).
BOOL TerminateProcess(HANDLE process, UINT code);

// Sound: PlaySoundW with a file name (null stops); volume low word left,
// high word right, 0..0xFFFF.
BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
UINT waveOutSetVolume(HWAVEOUT device, DWORD volume);
UINT waveOutGetVolume(HWAVEOUT device, DWORD* volume);

// Milliseconds, 32-bit, wrapping after about 49.7 days: subtract, never compare.
DWORD GetTickCount();
void Sleep(DWORD ms);

// What wincore adds for the host and the program.
//
// The window, or null.
HWND WinMainWindow();
// Hands a frame to the backend: 16, 24 or 32-bit (x8r8g8b8 passes as it is),
// the area (null: all) in buffer coordinates. FALSE for a bad dc or buffer.
class TDibIG;
BOOL WinPresent(HDC hdc, const TDibIG& buffer, const RECT* area);
// Backlight level in percent (0..100); -1 when unknown.
BOOL WinSetBrightness(int percent);
int WinGetBrightness();
// Where the registry is kept between runs ("" keeps it in memory only);
// loads what the file holds.
bool WinRegistrySetFile(const std::string& path);
// Folder of the single-instance lock files ($XDG_RUNTIME_DIR, else /tmp).
void WinSetLockFolder(const std::string& folder);
// UTF-16 and UTF-8 (bad sequences become U+FFFD); null gives "".
std::string WinToUtf8(LPCWSTR text);
std::u16string WinFromUtf8(const std::string& text);
