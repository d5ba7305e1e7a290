// Transcript files with 100,000 messages: saving against writing the same bytes with one raw
// call the way the save puts its file in place (and, for comparison, over the old file in
// place), and loading (mapping, checking and reading the records into items) against one raw read
// of the same bytes split into records, all in one run. The list's own append and layout time is
// reported beside the load.
//
// transcript_bench.exe [messages] [repetitions]
#include "BenchClock.h"
#include "BenchHost.h"
#include "SamplingProfiler.h"
#include "module/ModuleState.h"
#include "transcript/Transcript.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench::MakeHost;

std::unique_ptr<MessageItem> NewItem(DWORD kind, const std::wstring& text) {
    auto item = std::make_unique<MessageItem>();
    item->kind = kind;
    item->text = text;
    return item;
}

void AddMessages(CMessageWindow* pList, int nMessages) {
    for (int i = 0; i < nMessages; ++i) {
        pList->Append(NewItem(ITEM_HEADER, L"Participant " + std::to_wstring(i % 50) + L" to Everyone:"),
                      false);
        auto text = NewItem(ITEM_TEXT, L"Message number " + std::to_wstring(i) +
                                           L" with a few words of ordinary chat text in it.");
        text->senderPart = L"Participant " + std::to_wstring(i % 50);
        text->restPart = L" to Everyone:";
        text->date = L"December 8, 2026";
        text->time = L"2:05:07 PM";
        pList->Append(std::move(text), false);
    }
    pList->Refresh();
}

std::vector<char> ReadWhole(const std::wstring& path) {
    std::vector<char> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(h, nullptr));
    DWORD n = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    return bytes;
}

// The baseline of a save: the same bytes in one raw write, put in place the way the save puts
// its file there: created new beside the old file (CREATE_NEW, the same flags), written, closed
// and moved over the old file, which exists and has the same size as before every save.
void RawReplace(const std::wstring& path, const std::vector<char>& bytes) {
    const std::wstring fresh = path + L".new";
    HANDLE h =
        CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// For comparison: the same bytes written over the old file in place (truncated on opening), the
// cheapest write there is, and one that would lose the old file if it failed half-way.
void RawOverwrite(const std::wstring& path, const std::vector<char>& bytes) {
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
}

// The baseline of a load: one raw read, then the text split into records at CR LF LF.
size_t RawReadAndSplit(const std::wstring& path) {
    const std::vector<char> bytes = ReadWhole(path);
    const wchar_t* p = reinterpret_cast<const wchar_t*>(bytes.data() + 2);
    const std::wstring_view text(p, (bytes.size() - 2) / 2);
    std::vector<std::wstring> records;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find(L"\r\n\n", pos);
        if (end == std::wstring_view::npos) break;
        records.emplace_back(text.substr(pos, end - pos));
        pos = end + 3;
    }
    return records.size();
}

// The loader without the list: mapped, checked, and every record read into its fields.
size_t LoadWithoutList(const std::wstring& path) {
    QxMappedFile file;
    if (!file.Open(path)) return 0;
    size_t nMessages = 0;
    QxReadTranscriptBytes(file.Data(), file.Size(), [&](const QxTranscriptRecord& r) {
        nMessages += QxRecordIsMessage(r);
        return true;
    });
    return nMessages;
}

template <typename F> double TimeMs(F f) {
    const double t0 = NowMs();
    f();
    return NowMs() - t0;
}

} // namespace

int main(int argc, char** argv) {
    const int nMessages = argc > 1 ? atoi(argv[1]) : 100000;
    const int nRuns = argc > 2 ? atoi(argv[2]) : 9;
    // The texts and menus come from the resource library, as an instance loads it.
    if (HMODULE hRes = LoadLibraryW((QxModuleFolder() + L"qxres.dll").c_str())) QxSetResourceModule(hRes);
    const HWND hHost = MakeHost();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring saved = std::wstring(temp) + L"qx_bench_transcript.txt";
    const std::wstring raw = std::wstring(temp) + L"qx_bench_raw.txt";
    const std::wstring overwritten = std::wstring(temp) + L"qx_bench_overwritten.txt";

    HWND hContainer = QxCreateMessageContainer(hHost);
    CMessageWindow* pList = QxMessageList(hContainer);
    if (!pList) {
        fprintf(stderr, "no message list\n");
        return 1;
    }
    const double fillMs = TimeMs([&] { AddMessages(pList, nMessages); });
    CTranscript transcript(
        {[pList] { return pList; }, [] { return 0UL; }, [] { return 0L; }, [hHost] { return hHost; }});

    // A first run of each, not counted, leaves every target file in place with its full size.
    transcript.SaveTranscript(saved, SAVE_USER);
    const std::vector<char> bytes = ReadWhole(saved);
    DeleteFileW((raw + L".new").c_str()); // left by a run that was stopped
    RawReplace(raw, bytes);
    RawOverwrite(overwritten, bytes);
    std::vector<double> save, rawWrite, inPlace, load, rawRead;
    {
        SamplingProfiler profiler; // with QX_PROFILE set: where the saves spend their time
        // By turns, so that a busy machine slows all three alike.
        for (int i = 0; i < nRuns; ++i) {
            save.push_back(TimeMs([&] { transcript.SaveTranscript(saved, SAVE_USER); }));
            rawWrite.push_back(TimeMs([&] { RawReplace(raw, bytes); }));
            inPlace.push_back(TimeMs([&] { RawOverwrite(overwritten, bytes); }));
        }
    }
    size_t nLoaded = 0, nSplit = 0;
    SamplePairs(
        nRuns, [&] { nLoaded = LoadWithoutList(saved); }, [&] { nSplit = RawReadAndSplit(saved); }, load,
        rawRead);
    const double saveMs = Median(save), rawWriteMs = Median(rawWrite), inPlaceMs = Median(inPlace);
    const double loadMs = Median(load), rawReadMs = Median(rawRead);

    // The whole load into a fresh list: the difference is the list's append and layout.
    HWND hOther = QxCreateMessageContainer(hHost);
    CMessageWindow* pOther = QxMessageList(hOther);
    CTranscript loader(
        {[pOther] { return pOther; }, [] { return 0UL; }, [] { return 0L; }, [hHost] { return hHost; }});
    const double fullLoadMs = TimeMs([&] { loader.LoadTranscript(saved); });

    printf("transcript bench: %d messages, %u bytes, median of %d runs\n", nMessages,
           static_cast<unsigned>(bytes.size()), nRuns);
    printf(
        "  save            %8.1f ms   raw write %8.1f ms   ratio %.2f (goal <= 2); in place %.1f ms, ratio "
        "%.2f\n",
        saveMs, rawWriteMs, saveMs / rawWriteMs, inPlaceMs, saveMs / inPlaceMs);
    printf("  load (no list)  %8.1f ms   raw read+split %8.1f ms   ratio %.2f (goal <= 2), %u messages, %u "
           "records\n",
           loadMs, rawReadMs, loadMs / rawReadMs, static_cast<unsigned>(nLoaded),
           static_cast<unsigned>(nSplit));
    printf(
        "  list: append+layout of %d items when filled %.1f ms; full load into a list %.1f ms (%d items)\n",
        pList->GetItemCount(), fillMs, fullLoadMs, pOther->GetItemCount());
    const std::string count = std::to_string(nMessages) + " messages";
    ReportFigure(("transcript save, " + count).c_str(), Summarize(save), "writing the same bytes, replacing",
                 Summarize(rawWrite), "<= 2");
    ReportFigure(("transcript save, " + count + ", against in place").c_str(), Summarize(save),
                 "writing the same bytes in place", Summarize(inPlace), "");
    ReportFigure(("transcript load, " + count).c_str(), Summarize(load), "reading and splitting its lines",
                 Summarize(rawRead), "<= 2");
    DestroyWindow(hOther);
    DestroyWindow(hContainer);
    DestroyWindow(hHost);
    DeleteFileW(saved.c_str());
    DeleteFileW(raw.c_str());
    DeleteFileW(overwritten.c_str());
    return 0;
}
