// What the mutation fuzzers share: the mutator (byte and XML-aware steps over a corpus seeded
// from valid inputs), a checked heap (every C++ allocation of the process carries guard bytes
// before and after it, checked when it is freed, and is counted so that a leak shows as a live
// count that does not come back), a crash handler that keeps the input, and a per-input clock.
#pragma once

#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace fuzz {

using Bytes = std::string;

// The checked heap's live allocations; a guard broken at a free ends the process at once with
// the current input kept in fuzz-crash.bin.
long long LiveAllocations();
// The bytes those allocations asked for.
long long LiveBytes();
// Walks the process heaps with HeapValidate; false when one is damaged.
bool HeapsValid();

// The input being handled, kept (outside the checked heap) for the crash handler and findings;
// the name says which target.
void SetCurrent(const Bytes& bytes);
void InstallCrashHandler(const char* lpszTarget);
// Writes the current input as a finding: fuzz-finding-<target>-N.bin, and a line on stderr.
void ReportFinding(const char* lpszWhy);
int FindingCount();

class Mutator {
public:
    Mutator(unsigned seed, std::vector<Bytes> seeds, std::vector<Bytes> tokens);
    // A fresh input: a corpus entry changed by one to eight steps, at most nMaxSize bytes.
    Bytes Next(size_t nMaxSize = 1u << 20);
    // Inputs that still parse are kept (up to a bound) to reach deeper from them.
    void Keep(const Bytes& bytes);
    std::mt19937& Rng() { return m_rng; }

private:
    void Step(Bytes& b);
    size_t Pick(size_t n) { return n ? m_rng() % n : 0; }

    std::mt19937 m_rng;
    std::vector<Bytes> m_seeds;
    std::vector<Bytes> m_corpus;
    std::vector<Bytes> m_tokens;
};

// Tokens that steer an XML parser into its branches: markup, entities, declarations, marks,
// boundary numbers.
std::vector<Bytes> XmlTokens();

// The processor time this thread has used, in seconds: the per-input bound is taken on it, so
// that other work on a shared machine does not make an input look slow.
double ThreadSeconds();

// A wall clock in seconds.
double Now();

// Prints the progress line every 100,000 inputs and the summary; the per-input bound.
constexpr double kSlowInputSeconds = 0.5;

} // namespace fuzz
