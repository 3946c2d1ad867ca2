// Shared by the bench programs: a fine clock, a thread, a bare directory listing, the
// figures of a series of runs, and the summary rows that scripts/bench gathers
// into its table.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavren::bench {

inline std::string utf8(std::wstring_view text) {
    std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                                   nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

inline double nowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

// A thread of the system's own: the toolchain's thread model (win32) has no std::thread.
class Thread {
public:
    explicit Thread(std::function<void()> body)
        : body_(std::move(body)), handle_(CreateThread(nullptr, 0, run, &body_, 0, nullptr)) {}
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    ~Thread() { join(); }
    void join() {
        if (!handle_) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    static DWORD WINAPI run(void* body) {
        (*static_cast<std::function<void()>*>(body))();
        return 0;
    }
    std::function<void()> body_;
    HANDLE handle_;
};

struct FindCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

// The names of a directory's subdirectories as the file system gives them: the
// least any program does to list them.
inline std::vector<std::wstring> subdirectoryNames(const std::wstring& directory) {
    WIN32_FIND_DATAW found;
    std::unique_ptr<void, FindCloser> search(FindFirstFileExW((directory + L"\\*").c_str(), FindExInfoBasic, &found,
                                                              FindExSearchLimitToDirectories, nullptr,
                                                              FIND_FIRST_EX_LARGE_FETCH));
    std::vector<std::wstring> names;
    if (search.get() == INVALID_HANDLE_VALUE) {
        search.release();
        return names;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            names.emplace_back(name);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

// What any program must do at least to show a directory's subdirectories in order: how many.
inline std::size_t bareListing(const std::wstring& directory) {
    std::vector<std::wstring> names = subdirectoryNames(directory);
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
    return names.size();
}

struct Figures {
    double median, min, max;
};

inline Figures figuresOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

inline void printSeries(const char* name, const Figures& figures, const char* unit) {
    std::printf("  %-34s median %9.1f %s   min %9.1f   max %9.1f\n", name, figures.median, unit, figures.min,
                figures.max);
}

// goalRatio 0: a figure without a goal, shown for comparison only.
inline void printRow(const char* figure, const Figures& value, const Figures& reference, const char* unit,
                     double goalRatio) {
    const double ratio = value.median / reference.median;
    char goal[32] = "-";
    if (goalRatio > 0) std::snprintf(goal, sizeof goal, "<= %g x", goalRatio);
    std::printf("ROW\t%s\t%.1f %s\t%.1f %s\t%.3f\t%s\t%s\n", figure, value.median, unit, reference.median, unit, ratio,
                goal, goalRatio <= 0 ? "-" : ratio <= goalRatio ? "met" : "NOT MET");
}

}  // namespace kavren::bench
