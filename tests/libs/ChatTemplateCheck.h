// Checks shared by the tests of every image that carries the chat dialog templates: the resource
// libraries and the module's own resource script linked into a test exe.
#pragma once

#include <windows.h>

#include <string>

namespace qxtest {

// A hidden top-level window to parent the child dialogs; destroyed with the object.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

// A modeless dialog made from a template of hModule; destroyed with the object.
class ModelessDialog {
public:
    ModelessDialog(HMODULE hModule, int templateId, HWND hParent);
    ~ModelessDialog();
    ModelessDialog(const ModelessDialog&) = delete;
    ModelessDialog& operator=(const ModelessDialog&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

std::wstring ClassOf(HWND hWnd);
std::wstring TextOf(HWND hWnd);

// Adds a test failure for every way in which template 1000 and 1100 of hModule differ from what
// the chat dialog relies on.
void ExpectChatTemplates(HMODULE hModule);

} // namespace qxtest
