// Owns one GDI object (font, brush, pen, bitmap) and deletes it when replaced or destroyed.
#pragma once

#include <windows.h>
#include <utility>

template <class H> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : m_h(h) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.m_h, nullptr));
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset(H h = nullptr) {
        if (m_h) DeleteObject(m_h);
        m_h = h;
    }

private:
    H m_h = nullptr;
};

using GdiFont = GdiObject<HFONT>;
using GdiBrush = GdiObject<HBRUSH>;
