#include "platform/wince/TPDAUIEngineWinCE.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "enginelib/base/Clipboard.h"
#include "enginelib/base/DUString.h"
#include "enginelib/base/Tick.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

TPDAUIEngineWinCE* g_instance = nullptr;

void EndProcess(int exitCode) { TerminateProcess(GetCurrentProcess(), (UINT)exitCode); }

TPDAUIEngineWinCE::ProcessEndHook g_processEnd = &EndProcess;

// Window style of the full-screen mode: popup, visible, and the device's own bit.
const LONG kFullScreenStyle = (LONG)0x90000080;
// Frame changed, no size, no move.
const UINT kTopmostFlags = 0x23;
// Task bar and input-panel button hidden.
const DWORD kHideTaskBar = 10;

int SignedLow(LPARAM value) { return (int)(int16_t)(uint16_t)((uintptr_t)value & 0xFFFF); }
int SignedHigh(LPARAM value) { return (int)(int16_t)(uint16_t)(((uintptr_t)value >> 16) & 0xFFFF); }

// Display orientation codes and their angles.
int AngleOf(int orientation)
{
    switch (orientation) {
    case DMDO_90: return 90;
    case DMDO_180: return 180;
    case DMDO_270: return 270;
    default: return 0;
    }
}

bool IsOrientationCode(int value)
{
    return value == DMDO_0 || value == DMDO_90 || value == DMDO_180 || value == DMDO_270;
}

// The orientation after current among the supported ones (0 is always there):
// 0, 90, 180, 270 and round again.
int NextOrientation(int current, int supported)
{
    int value = IsOrientationCode(current) ? current : DMDO_0;
    do {
        value = value == 0 ? 1 : value * 2;
        if (value == 8)
            value = 0;
    } while (value != 0 && !(supported & value));
    return value;
}

// The shell's full-screen calls. This window system has no task bar nor
// input-panel button to hide: the window's rectangle and style do it all.
struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
const DWORD SHIDIM_FLAGS = 0x0001;
const DWORD SHIDIF_FULLSCREENNOMENUBAR = 0x0010;
const DWORD SHFS_SHOWTASKBAR = 0x0001;

BOOL PocketSH_InitDialog(SHINITDLGINFO* info) { return info && IsWindow(info->hDlg); }
BOOL PocketSH_FullScreen(HWND hwnd, DWORD state) { return IsWindow(hwnd); }

bool QueryOrientation(DWORD field, int& value)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = field;
    if (ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr) != DISP_CHANGE_SUCCESSFUL)
        return false;
    value = (int)mode.dmDisplayOrientation;
    return true;
}

} // namespace

// ---- construction ----------------------------------------------------------------------------

TPDAUIEngineWinCE::TPDAUIEngineWinCE(HINSTANCE instance_, const char* className_, const char* title,
                                     int configuredMode, uint8_t timerFlag_, float scale,
                                     int fixedWidth, int fixedHeight, int fixedLeft, int fixedTop,
                                     int keyboardKind)
    : instance(instance_), nativeMessages(5, 5, true), timerFlag(timerFlag_)
{
    screenMode = 0;
    fixedScreenWidth = fixedWidth;
    fixedScreenHeight = fixedHeight;
    fixedScreenLeft = fixedLeft;
    fixedScreenTop = fixedTop;
    screenKind = keyboardKind;
    modalLoopAvailable = 1;
    // Engine time is the window system's time (virtual on the headless backend).
    SetTickSource([] { return (uint32_t)::GetTickCount(); });
    startTick = GetTickCountAdv();
    g_instance = this;
    SetElementDeletedHook(&TPDAUIEngineWinCE::ForgetElement);

    const DUString wideClass(className_ ? className_ : "", -1);
    const DUString wideTitle(title ? title : "", -1);
    className = wideClass.Text();
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &TPDAUIEngineWinCE::ClassProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = wideClass.c_str();
    // A class this program registered before (an earlier engine) still serves.
    const bool registered =
        RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    if (registered)
        window = CreateWindowExW(0, wideClass.c_str(), wideTitle.c_str(), WS_POPUP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 instance, nullptr);
    if (!window) {
        // Said once: everything after this works without a window.
        std::fprintf(stderr, "Orbeta: no window could be created (%s); running without one\n",
                     !registered ? "window class not registered" : "window creation failed");
        return;
    }

    // The engine's density scaling needs the screen's density.
    skinSettings.screenDpi = (float)ScreenDensity();
    if (scale == 0.0f) {
        const float density = skinSettings.screenDpi / 96.0f;
        skinSettings.uiScale = density < 1.0f ? 1.0f : density;
        chosenScale = 0.0f;
    } else if (scale == -1.0f) {
        skinSettings.uiScale = 1.0f;
        skinSettings.dpiScale = 1;
        chosenScale = -1.0f;
    } else if (scale == -2.0f) {
        skinSettings.uiScale = 1.0f;
        skinSettings.sizeScale = 1;
        chosenScale = -2.0f;
    } else if (std::isfinite(scale) && scale > 0.0f) {
        skinSettings.uiScale = scale;
        chosenScale = scale;
    } else {
        // Another negative or a broken value: no scale can come from it.
        skinSettings.uiScale = 1.0f;
        chosenScale = 1.0f;
    }

    // The window system tells a new window where it stands and its size; the
    // engine takes its screen size from them.
    RECT rect = {};
    GetClientRect(window, &rect);
    SendMessageW(window, WM_MOVE, 0, 0);
    SendMessageW(window, WM_SIZE, 0, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));

    SetScreenMode((configuredMode == 0 || configuredMode == 4) ? 2 : configuredMode, 0);
    SetTimer(window, TimerId, TimerPeriodMs, nullptr);
}

TPDAUIEngineWinCE::~TPDAUIEngineWinCE()
{
    // The window's last messages find no engine.
    if (g_instance == this) {
        g_instance = nullptr;
        SetElementDeletedHook(nullptr);
        SetTickSource(nullptr);
    }
    if (window) {
        KillTimer(window, TimerId);
        HWND old = window;
        window = nullptr;
        DestroyWindow(old);
        UnregisterClassW(className.c_str(), instance);
    }
    nativeMessages.RemoveAll();
}

TPDAUIEngineWinCE* TPDAUIEngineWinCE::Instance() { return g_instance; }

void TPDAUIEngineWinCE::SetProcessEndHook(ProcessEndHook hook)
{
    g_processEnd = hook ? hook : &EndProcess;
}

int TPDAUIEngineWinCE::ScreenDensity()
{
    HDC screen = ::GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// ---- the modal loop --------------------------------------------------------------------------

bool TPDAUIEngineWinCE::LoopBusy()
{
    if (pointerDown)
        return true;
    TPDAUIEngineElementPage* top = GetTopPage();
    if (!top)
        return false;
    // Element timers alone do not count: the window timer serves them.
    return top->animating || top->animations.Animations().Count() > 0 ||
           (continuousRedraw && top->IsAnimating());
}

void TPDAUIEngineWinCE::RunModalLoop(int pageCount)
{
    if (!window)
        return;
    if (pages.Count() == 1)
        SetScreenMode(screenMode, 1);
    MSG msg;
    while (pages.Count() > pageCount && !quit) {
        if (LoopBusy()) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    RequestQuit();
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                Invalidate(1);
            }
        } else {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                // The quit message (or a queue that cannot deliver any more) ends
                // every loop: nothing would wake this one again.
                RequestQuit();
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// ---- painting --------------------------------------------------------------------------------

void TPDAUIEngineWinCE::Invalidate(int mode)
{
    if (paintSuppressed || !window)
        return;
    InvalidateRect(window, nullptr, FALSE);
    if ((mode == 1 || mode == 2) && !painting)
        UpdateWindow(window);
}

void TPDAUIEngineWinCE::InvalidateElement(TPDAUIEngineElement* element)
{
    TPDAUIEngineElementPage* top = GetTopPage();
    if (!top || paintSuppressed || !element)
        return;
    // GetPage gives the outer page for an element of a page nested in an IFrame.
    if (element->GetPage() != top)
        return;
    if (element->page && element->page != top && element->page->parent == top)
        return;
    top->paintReference = nullptr;
    if (!window)
        return;
    InvalidateRect(window, nullptr, FALSE);
    if (top->closing)
        PostMessageW(window, WM_PAINT, 0, 0);
}

void TPDAUIEngineWinCE::OnClockTick(bool paintNow)
{
    if (painting || paintSuppressed || !window)
        return;
    InvalidateRect(window, nullptr, FALSE);
    if (paintNow) {
        busyPainting = 1;
        UpdateWindow(window);
        busyPainting = 0;
    }
}

void TPDAUIEngineWinCE::OnPaintMessage()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(window, &ps);
    if (!pages.IsEmpty()) {
        if (busyPainting) {
            PaintBusyIndicator(hdc);
        } else {
            const int width = ScreenWidth();
            const int height = ScreenHeight();
            dc.SetSize(width, height);
            // The drawing context has no OpenGL mode: the engine always paints
            // into the double buffer.
            Paint();
            const RECT area = {0, 0, width, height};
            WinPresent(hdc, dc.GetBackBuffer(), &area);
        }
    }
    EndPaint(window, &ps);
}

void TPDAUIEngineWinCE::PaintBusyIndicator(HDC hdc)
{
    TDibIG* image = resources.GetImage("commonSandClock");
    if (!image)
        return;
    const int width = ScreenWidth();
    const int height = ScreenHeight();
    dc.SetSize(width, height);
    const int left = (width - BusyIndicatorSize) / 2;
    const int top = (height - BusyIndicatorSize) / 2;
    const TRectIG square(left, top, left + BusyIndicatorSize, top + BusyIndicatorSize);
    dc.SetPen(TColorIG(0, 0, 0), 1);
    dc.SetBrush(TColorIG(255, 255, 255));
    dc.Rectangle(square);
    dc.StretchDIBits(square, TRectIG(0, 0, image->Width(), image->Height()), image);
    const RECT area = {0, 0, width, height};
    WinPresent(hdc, dc.GetBackBuffer(), &area);
}

// ---- messages --------------------------------------------------------------------------------

LRESULT TPDAUIEngineWinCE::ClassProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam)
{
    if (!g_instance)
        return DefWindowProcW(window, message, wParam, lParam);
    return g_instance->WindowProcedure(window, message, wParam, lParam);
}

LRESULT TPDAUIEngineWinCE::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = SignedLow(lParam);
    const int y = SignedHigh(lParam);
    switch (message) {
    case WM_DESTROY:
        RequestQuit();
        PostQuitMessage(0);
        return 0;
    case WM_MOVE: {
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        skinSettings.windowX = origin.x;
        skinSettings.windowY = origin.y;
        SaveWindowGeometry();
        return 0;
    }
    case WM_SIZE: {
        if (chosenScale > 0.0f) {
            skinSettings.uiScale = chosenScale;
        } else if (chosenScale == 0.0f) {
            const float density = (float)ScreenDensity() / 96.0f;
            skinSettings.uiScale = density < 1.0f ? 1.0f : density;
        }
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        RECT rect = {};
        GetWindowRect(hwnd, &rect);
        OnResize(origin.x, origin.y, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    case WM_ACTIVATE:
        OnActivate((int)(wParam & 0xFFFF));
        return 0;
    case WM_SETFOCUS:
        appHasFocus = 1;
        return 0;
    case WM_KILLFOCUS:
        appHasFocus = 0;
        return 0;
    case WM_PAINT:
        OnPaintMessage();
        return 0;
    case WM_ERASEBKGND:
    case WM_COMMAND:
    case 0x3D0:
    case 0x3D1:
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown((int)wParam) ? 1 : 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return OnKeyUp((int)wParam) ? 1 : 0;
    case WM_CHAR:
        return OnChar((int)wParam) ? 1 : 0;
    case WM_TIMER:
        if (wParam == TimerId)
            ProcessTimers();
        return 0;
    case WM_MOUSEMOVE: {
        if (clickSwallowed)
            return 1;
        const int button = (wParam & MK_MBUTTON) ? 15
                           : (wParam & MK_RBUTTON) ? 1
                           : (wParam & MK_LBUTTON) ? 0
                                                   : -1;
        OnPointerMove(x, y, button);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (callbacks.wakeUp && callbacks.wakeUp(callbacks.userData, 0)) {
            clickSwallowed = 1;
            return 1;
        }
        SetCapture(hwnd);
        OnPointerDown(x, y, 0);
        return 0;
    case WM_LBUTTONUP:
        if (clickSwallowed) {
            clickSwallowed = 0;
            return 1;
        }
        ReleaseCapture();
        OnPointerUp(x, y, 0);
        return 0;
    case WM_RBUTTONDOWN:
        OnPointerDown(x, y, 1);
        return 0;
    case WM_RBUTTONUP:
        OnPointerUp(x, y, 1);
        return 0;
    case WM_MBUTTONDOWN:
        OnPointerDown(x, y, 15);
        return 0;
    case WM_MBUTTONUP:
        OnPointerUp(x, y, 15);
        return 1;
    case WM_MOUSEWHEEL: {
        POINT point = {x, y};
        ScreenToClient(hwnd, &point);
        OnMouseWheel(point.x, point.y, SignedHigh((LPARAM)wParam));
        return 0;
    }
    default:
        break;
    }
    if (!pages.IsEmpty()) {
        bool delivered = false;
        DeliverNativeMessage(message, wParam, lParam, &delivered);
        if (delivered)
            return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void TPDAUIEngineWinCE::OnActivate(int state)
{
    if (state == WA_INACTIVE)
        return;
    if (state == WA_ACTIVE && (screenMode == 4 || screenMode == 0)) {
        SetScreenMode(previousScreenMode, 0);
        return;
    }
    if (screenMode == 3 || screenMode == 5) {
        // Re-applied in place; the mode to go back to stays what it was.
        const int previous = previousScreenMode;
        SetScreenMode(screenMode, 1);
        previousScreenMode = previous;
    }
}

// ---- native messages -------------------------------------------------------------------------

void TPDAUIEngineWinCE::RegisterNativeMessage(int message, const char* command,
                                              TPDAUIEngineElement* target)
{
    // Nothing could receive a message without a target.
    if (!target)
        return;
    NativeMessageCommand* entry = new NativeMessageCommand;
    entry->message = message;
    entry->command = command ? command : "";
    entry->target = target;
    entry->serial = ++nextSerial_;
    nativeMessages.Add(entry);
}

void TPDAUIEngineWinCE::UnregisterNativeMessage(int message, TPDAUIEngineElement* target)
{
    for (int i = 0; i < nativeMessages.Count(); ++i) {
        const NativeMessageCommand* entry = nativeMessages[i];
        if (entry->message == message && entry->target == target) {
            nativeMessages.Remove(i);
            return;
        }
    }
}

void TPDAUIEngineWinCE::ForgetElement(TPDAUIEngineElement* element)
{
    if (!g_instance)
        return;
    VectorP<NativeMessageCommand>& map = g_instance->nativeMessages;
    for (int i = map.Count() - 1; i >= 0; --i)
        if (map[i]->target == element)
            map.Remove(i);
}

void TPDAUIEngineWinCE::DeliverNativeMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                             bool* delivered)
{
    // A receiver may register or unregister entries (or die) while it runs. The
    // map is in registration order, so the walk goes by serial number: each
    // entry that was there when the message came is served once at most.
    const uint64_t newest = nextSerial_;
    uint64_t served = 0;
    int i = 0;
    while (i < nativeMessages.Count()) {
        NativeMessageCommand* entry = nativeMessages[i];
        if (entry->serial > newest)
            break;
        if (entry->serial <= served || (UINT)entry->message != message) {
            ++i;
            continue;
        }
        served = entry->serial;
        TPDAUIEngineCommand command(nullptr, entry->command.c_str(), (int)wParam, (int)lParam);
        *delivered = true;
        entry->target->OnCommand(command);
        if (i >= nativeMessages.Count() || nativeMessages[i]->serial != served)
            i = 0;  // the map changed: look again from the start
        else
            ++i;
    }
}

// ---- other operations ------------------------------------------------------------------------

void TPDAUIEngineWinCE::MessageBox(const char* text, const char* caption)
{
    ShowMessageBox(text, caption);
}

bool TPDAUIEngineWinCE::ShowMessageBox(const char* text, const char* caption)
{
    const DUString wideText(text ? text : "", -1);
    const DUString wideCaption(caption ? caption : "", -1);
    return MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), MB_ICONHAND) != 0;
}

void TPDAUIEngineWinCE::Terminate()
{
    TPDAUIEngine::Terminate();
    g_processEnd(-1);
}

bool TPDAUIEngineWinCE::HasHardwareKeyboard()
{
    if (screenKind == 2)
        return true;
    return screenKind == 0 && ScreenWidth() == 240 && ScreenHeight() == 240;
}

int TPDAUIEngineWinCE::NotifyOrientationChanged(int angle, int value)
{
    if (callbacks.orientation)
        callbacks.orientation(callbacks.userData, angle, value);
    return 1;
}

void TPDAUIEngineWinCE::SetClipboardText(const char* text) { Clipboard_SetTextBuf(text ? text : ""); }

DString TPDAUIEngineWinCE::GetClipboardText()
{
    DString text;
    Clipboard_GetTextBuf(text);
    return text;
}

int TPDAUIEngineWinCE::SetCPU100Mode(int on)
{
    continuousRedraw = on ? 1 : 0;
    if (on && !paintSuppressed && window)
        InvalidateRect(window, nullptr, FALSE);
    return 1;
}

int TPDAUIEngineWinCE::TouchCalibrate()
{
    HMODULE library = LoadLibraryW(u"coredll.dll");
    if (!library)
        return 0;
    typedef BOOL (*CalibrateFunction)();
    CalibrateFunction calibrate =
        reinterpret_cast<CalibrateFunction>(GetProcAddressW(library, u"TouchCalibrate"));
    const BOOL done = calibrate ? calibrate() : FALSE;
    FreeLibrary(library);
    if (!done)
        return 0;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Hardware\\Devicemap\\Touch", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) == ERROR_SUCCESS) {
        RegFlushKey(key);
        RegCloseKey(key);
    }
    return 1;
}

// ---- screen modes, orientation and scale ------------------------------------------------------

RECT TPDAUIEngineWinCE::FixedRect(RECT rect) const
{
    if (fixedScreenWidth)
        rect.right = rect.left + fixedScreenWidth;
    if (fixedScreenHeight)
        rect.bottom = rect.top + fixedScreenHeight;
    if (fixedScreenLeft != -1) {
        rect.right += fixedScreenLeft - rect.left;
        rect.left = fixedScreenLeft;
    }
    if (fixedScreenTop != -1) {
        rect.bottom += fixedScreenTop - rect.top;
        rect.top = fixedScreenTop;
    }
    return rect;
}

void TPDAUIEngineWinCE::ShowFullScreen(DWORD flags)
{
    SHINITDLGINFO info = {};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = window;
    info.dwFlags = SHIDIF_FULLSCREENNOMENUBAR;
    PocketSH_InitDialog(&info);
    PocketSH_FullScreen(window, flags);
}

void TPDAUIEngineWinCE::SetScreenMode(int mode, int force)
{
    if (mode == screenMode && !force)
        return;
    previousScreenMode = screenMode;
    screenMode = mode;
    if (!window)
        return;
    switch (mode) {
    case 1:
    case 2:
    case 5: {
        ShowFullScreen(mode == 5 ? kHideTaskBar : SHFS_SHOWTASKBAR);
        RECT rect = {};
        GetWindowRect(window, &rect);
        rect = FixedRect(rect);
        if (mode == 5) {
            ShowWindow(window, SW_SHOWNORMAL);
            SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kTopmostFlags);
            MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        } else {
            MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
            ShowWindow(window, SW_SHOWNORMAL);
        }
        break;
    }
    case 3: {
        ShowFullScreen(kHideTaskBar);
        RECT rect = {0, 0, 0, 0};
        HDC screen = ::GetDC(nullptr);
        if (screen) {
            rect.right = GetDeviceCaps(screen, HORZRES);
            rect.bottom = GetDeviceCaps(screen, VERTRES);
            ReleaseDC(nullptr, screen);
        }
        rect = FixedRect(rect);
        MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        ShowWindow(window, SW_SHOWNORMAL);
        SetWindowLongW(window, GWL_STYLE, kFullScreenStyle);
        break;
    }
    case 4:
        ShowWindow(window, SW_HIDE);
        break;
    default:
        break;
    }
}

bool TPDAUIEngineWinCE::SetScreenOrientation(int& requested, int& current)
{
    int supported = 0;
    const bool haveSupported = QueryOrientation(DM_DISPLAYQUERYORIENTATION, supported);
    int now = -1;
    const bool haveCurrent = QueryOrientation(DM_DISPLAYORIENTATION, now);
    current = haveCurrent ? now : -1;
    if (haveCurrent)
        skinSettings.screenRotation = AngleOf(now);
    if (!haveSupported || !haveCurrent || supported < 0)
        return false;

    int wanted = requested;
    if (wanted < 0)
        wanted = NextOrientation(now, supported);
    if (wanted == now)
        return true;

    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = (DWORD)wanted;
    if (ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr) != DISP_CHANGE_SUCCESSFUL) {
        requested = wanted;
        return false;
    }
    screenMode = 2;
    SetScreenMode(3, 0);
    skinSettings.screenRotation = AngleOf(wanted);
    requested = wanted;
    return true;
}

void TPDAUIEngineWinCE::SetScreenScale(float scale)
{
    TPDAUIEngineSkinSettings& s = skinSettings;
    if (scale == 0.0f) {
        s.screenDpi = (float)ScreenDensity();
        scale = s.designDpi > 0.0f ? s.screenDpi / s.designDpi : 1.0f;
        if (scale < 1.0f)
            scale = 1.0f;
    }
    // A scale that cannot size anything is refused.
    if (!std::isfinite(scale) || scale <= 0.0f)
        return;
    const bool resize = window && (screenMode == 1 || screenMode == 5);
    // A window sized by the scale does not go below its unscaled size.
    if (resize && scale < 1.0f)
        scale = 1.0f;
    const float old = s.uiScale;
    if (scale == old)
        return;
    chosenScale = scale;
    s.uiScale = scale;
    // Every image and size comes from the skin at the new scale; loaded before
    // the window changes size, so the page rebuilt on that change is built once.
    DString name = s.skinName;
    DString error;
    const bool loaded = LoadSkin(name, s.theme1Name, s.theme2Name, s.theme1Name, error);
    if (resize) {
        // The window grows or shrinks by the ratio of the scales, its top-left
        // corner kept.
        const float ratio = old > 0.0f ? scale / old : scale;
        RECT rect = {};
        GetWindowRect(window, &rect);
        const int width = (int)std::lround((rect.right - rect.left) * ratio);
        const int height = (int)std::lround((rect.bottom - rect.top) * ratio);
        MoveWindow(window, rect.left, rect.top, width, height, TRUE);
    }
    if (loaded)
        if (TPDAUIEngineElementPage* top = GetTopPage())
            if (top->uiScaleAtLoad != scale || top->skinNameAtLoad != s.skinName)
                top->Reload();
    Invalidate(0);
}
