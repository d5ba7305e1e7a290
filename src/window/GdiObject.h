// Owns one GDI object (font, brush, pen, bitmap) and deletes it when replaced or destroyed.
#pragma once

#include <windows.h>
#include <atomic>
#include <utility>

// The drawing objects held by GdiObject now, in the whole process: the platform's own count
// reads 0 under some hosts, so leak checks and the churn command read this one.
inline std::atomic<long> g_nQxGdiObjectsLive{0};
inline long QxGdiObjectsLive() {
    return g_nQxGdiObjectsLive.load();
}

template <class H> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : m_h(h) {
        if (m_h) ++g_nQxGdiObjectsLive;
    }
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) {
            Reset();
            m_h = std::exchange(o.m_h, nullptr);
        }
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset(H h = nullptr) {
        if (m_h) {
            DeleteObject(m_h);
            --g_nQxGdiObjectsLive;
        }
        m_h = h;
        if (m_h) ++g_nQxGdiObjectsLive;
    }

private:
    H m_h = nullptr;
};

using GdiFont = GdiObject<HFONT>;
using GdiBrush = GdiObject<HBRUSH>;
