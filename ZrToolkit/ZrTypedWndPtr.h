#pragma once

#include <utility>

// A counted reference to a toolkit window of type T. Windows are shared
// between the layout that shows them and the dialog that reads them after
// the run; whichever releases last deletes the window.
template <class T> class ZrTypedWndPtr {
public:
    ZrTypedWndPtr() = default;
    explicit ZrTypedWndPtr(T* wnd) : m_wnd(wnd) {
        if (m_wnd) m_wnd->AddRef();
    }
    ZrTypedWndPtr(const ZrTypedWndPtr& other) : ZrTypedWndPtr(other.m_wnd) {}
    ZrTypedWndPtr(ZrTypedWndPtr&& other) noexcept : m_wnd(std::exchange(other.m_wnd, nullptr)) {}
    ~ZrTypedWndPtr() { Reset(); }

    ZrTypedWndPtr& operator=(ZrTypedWndPtr other) noexcept {
        std::swap(m_wnd, other.m_wnd);
        return *this;
    }

    void Reset(T* wnd = nullptr) {
        if (wnd) wnd->AddRef();
        if (m_wnd) m_wnd->Release();
        m_wnd = wnd;
    }

    T* Get() const { return m_wnd; }
    T* operator->() const { return m_wnd; }
    T& operator*() const { return *m_wnd; }
    explicit operator bool() const { return m_wnd != nullptr; }

private:
    T* m_wnd = nullptr;
};
