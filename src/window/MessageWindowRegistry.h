// The objects behind the message list and container windows, by window handle. Finding one here
// asks nothing of the window system: the engine finds the list for every message it shows, and
// asking the system about a window (is it one, of which class, its object) cost more than
// adding the message. A window is in the registry from its creation to WM_NCDESTROY.
#pragma once

#include <windows.h>
#include <mutex>
#include <unordered_map>

template <class T> class CWindowRegistry {
public:
    void Add(HWND hWnd, T* pObject) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_objects[hWnd] = pObject;
    }
    void Remove(HWND hWnd) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_objects.erase(hWnd);
    }
    // Null for a handle that is not a live window of this registry.
    T* Find(HWND hWnd) const {
        if (!hWnd) return nullptr;
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_objects.find(hWnd);
        return it == m_objects.end() ? nullptr : it->second;
    }

private:
    mutable std::mutex m_lock; // windows of instances on other threads register too
    std::unordered_map<HWND, T*> m_objects;
};
