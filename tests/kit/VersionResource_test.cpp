// Every DLL the build makes, and every DLL of the staged kit, carries a version resource with
// the project's version, its own file name and a description.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct VersionFacts {
    bool present = false;
    VS_FIXEDFILEINFO fixed = {};
    std::wstring original, product, description, fileVersion;
};

std::wstring StringValue(const std::vector<BYTE>& block, const wchar_t* name) {
    // The translation the resource declares names its string table.
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &size) ||
        size < sizeof(Translation))
        return L"";
    wchar_t path[128];
    _snwprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
               translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size) || !value) return L"";
    return value;
}

VersionFacts ReadVersion(const std::wstring& path) {
    VersionFacts facts;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return facts;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return facts;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed)
        return facts;
    facts.present = true;
    facts.fixed = *fixed;
    facts.original = StringValue(block, L"OriginalFilename");
    facts.product = StringValue(block, L"ProductName");
    facts.description = StringValue(block, L"FileDescription");
    facts.fileVersion = StringValue(block, L"FileVersion");
    return facts;
}

std::wstring Widen(const char* text) {
    return std::wstring(text, text + strlen(text));
}

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::vector<std::wstring> DllsIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"*.dll").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

void ExpectVersioned(const std::wstring& folder, const std::wstring& name) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    const VersionFacts v = ReadVersion(folder + name);
    ASSERT_TRUE(v.present);
    EXPECT_EQ(0xFEEF04BDu, v.fixed.dwSignature);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), v.fixed.dwFileType);
    EXPECT_EQ(MAKELONG(QX_VERSION_MINOR, QX_VERSION_MAJOR), static_cast<LONG>(v.fixed.dwFileVersionMS));
    EXPECT_EQ(MAKELONG(0, QX_VERSION_PATCH), static_cast<LONG>(v.fixed.dwFileVersionLS));
    EXPECT_EQ(v.fixed.dwFileVersionMS, v.fixed.dwProductVersionMS);
    EXPECT_EQ(Widen(QX_VERSION_TEXT) + L".0", v.fileVersion);
    EXPECT_EQ(L"qxchat", v.product);
    EXPECT_FALSE(v.description.empty());
    EXPECT_EQ(0, _wcsicmp(name.c_str(), v.original.c_str()))
        << "named " << std::string(v.original.begin(), v.original.end());
}

const wchar_t* const kShipped[] = {L"qxchat.dll",     L"qxnodectl.dll", L"qxmem.dll", L"qxskin7.dll",
                                   L"qxkeyfocus.dll", L"tlmtrace.dll",  L"qxres.dll", L"qxres_lite.dll"};

TEST(VersionResource, EveryDllOfTheBuildCarriesOne) {
    const std::wstring folder = ExeFolder();
    const std::vector<std::wstring> dlls = DllsIn(folder);
    std::set<std::wstring> seen(dlls.begin(), dlls.end());
    for (const wchar_t* name : kShipped)
        EXPECT_TRUE(seen.count(name)) << "missing from the build";
    for (const std::wstring& name : dlls)
        ExpectVersioned(folder, name);
}

TEST(VersionResource, EveryDllOfTheKitCarriesOne) {
    const std::wstring folder = Widen(QX_DIST_BIN);
    const std::vector<std::wstring> dlls = DllsIn(folder);
    EXPECT_EQ(std::size(kShipped), dlls.size());
    for (const wchar_t* name : kShipped)
        ExpectVersioned(folder, name);
}

TEST(VersionResource, AFileWithoutOneReadsAsAbsent) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_FALSE(ReadVersion(exe).present);
}

} // namespace
