#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "wincore/WinApi.h"
#include "support/TestPaths.h"
#include "wincore/headless/THeadlessBackend.h"

// A headless backend and one window whose procedure records every
// (message, wParam, lParam) it gets; hooks can answer single messages.
class WinTestWindow : public ::testing::Test {
protected:
    struct Call {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        bool operator==(const Call& o) const { return msg == o.msg && wParam == o.wParam && lParam == o.lParam; }
    };

    static WinTestWindow*& Current()
    {
        static WinTestWindow* current = nullptr;
        return current;
    }

    static LRESULT CALLBACK_Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        WinTestWindow* t = Current();
        t->calls.push_back(Call{msg, wParam, lParam});
        if (t->hook) {
            LRESULT result = 0;
            if (t->hook(hwnd, msg, wParam, lParam, result))
                return result;
        }
        if (msg == WM_DESTROY)
            PostQuitMessage(0);
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            t->paints.push_back(ps.rcPaint);
            EndPaint(hwnd, &ps);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void SetUp() override { Start(); }

    void Start(int width = 800, int height = 480, uint32_t clockStart = 1000, DWORD style = WS_POPUP | WS_VISIBLE)
    {
        Current() = this;
        auto b = std::make_unique<THeadlessBackend>(width, height, clockStart);
        backend = b.get();
        backend->SetStarveWait(20);
        WinUseBackend(std::move(b));
        WinSetLockFolder(lockFolder.path());
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &CALLBACK_Proc;
        wc.lpszClassName = u"WinTestClass";
        ASSERT_NE(RegisterClassW(&wc), 0);
        hwnd = CreateWindowExW(0, u"WinTestClass", u"Test", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ValidateRect(hwnd, nullptr); // the creation's first paint is not what tests look at
        calls.clear();
    }

    void TearDown() override
    {
        WinUseBackend(nullptr);
        WinSetLockFolder("");
        Current() = nullptr;
    }

    // Messages of the given kind the procedure got, in order.
    std::vector<Call> Of(UINT msg) const
    {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.msg == msg)
                out.push_back(c);
        return out;
    }

    // Gets and dispatches until the queue gives msg; false on WM_QUIT or
    // after limit messages.
    bool RunUntil(UINT msg, int limit = 1000)
    {
        MSG m;
        for (int i = 0; i < limit; ++i) {
            if (!GetMessageW(&m, nullptr, 0, 0))
                return false;
            DispatchMessageW(&m);
            if (m.message == msg)
                return true;
        }
        return false;
    }

    testpaths::TempDir lockFolder;
    THeadlessBackend* backend = nullptr;
    HWND hwnd = nullptr;
    std::vector<Call> calls;
    std::vector<RECT> paints;
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> hook;
};

inline ::std::ostream& operator<<(::std::ostream& os, const RECT& r)
{
    return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
