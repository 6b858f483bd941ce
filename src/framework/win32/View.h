// CView: a window of our own whose messages arrive at virtual handlers.
// Everything the instrument windows need from the framework's view: class
// registration through PreCreateWindow, painting into OnDraw, and the last
// message after which a heap-made window may delete itself.
#pragma once

#include <windows.h>

#include "framework/win32/WinApp.h"

class CView : public CWnd {
public:
    CView() = default;
    // Destroys the window if it still exists.
    ~CView() override;

    // Creates the window; PreCreateWindow may change class and styles.
    bool CreateView(DWORD exStyle, DWORD style, const RECT& rect, HWND parent, UINT childId);
    // Destroys the window (the object stays).
    void DestroyView();

    // The object behind one of our windows, or null.
    static CView* FromHandle(HWND window);

protected:
    // Fills in the class name (default: a plain class without cursor and background).
    virtual bool PreCreateWindow(CREATESTRUCTW& cs);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Painting with the paint device context; clipped to the update region.
    virtual void OnDraw(HDC dc) {}
    // After the last message; a window made with new may delete itself here.
    virtual void PostNcDestroy() {}
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // Registers a window class once per process and returns its name.
    static const wchar_t* RegisterClassOnce(const wchar_t* name, HICON icon);

    // Whether CreateView succeeded (the window may have gone since).
    bool m_created = false;

private:
    static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
