// The platform calls on Windows.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/platform.h"

namespace kavren {

// The system's own text for an error code, without the trailing line break.
std::wstring systemMessage(DWORD error);
// The system directory (System32), without a trailing separator; throws when it cannot be had.
std::wstring systemDirectory();

struct GlobalFreer {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
using UniqueGlobal = std::unique_ptr<void, GlobalFreer>;
// A text as the clipboard takes it: in movable memory of its own, which may have held anything,
// ended by its NUL, where a paste stops.
UniqueGlobal clipboardText(std::wstring_view text);

class Win32Platform : public Platform {
public:
    // Message boxes are owned by this window once it exists, so they are modal to it.
    void setOwner(HWND owner) { owner_ = owner; }

    void showMessage(std::wstring_view text, std::wstring_view title) override;
    bool askYesNo(std::wstring_view text, std::wstring_view title) override;
    std::wstring programDirectory() override;
    void probeFile(std::wstring_view path) override;
    void startProcess(std::wstring_view commandLine) override;
    void endProcess(int exitCode) override;
    std::vector<std::wstring> drives() override;
    std::wstring driveLabel(std::wstring_view drive) override;
    std::wstring workingDirectory() override;
    std::wstring fullPath(std::wstring_view path) override;
    bool isFile(std::wstring_view path) override;
    std::vector<std::wstring> subdirectories(std::wstring_view directory) override;
    Listing listingOf(std::wstring_view path) override;
    std::wstring nameOnDisk(std::wstring_view path) override;
    bool holdsFile(std::wstring_view directory, std::wstring_view name) override;
    int compareNames(std::wstring_view a, std::wstring_view b) override;
    // entry_actions.cpp
    bool beginsWith(std::wstring_view name, std::wstring_view prefix) override;
    unsigned typingPause() override;
    void openInExplorer(std::wstring_view folder) override;
    void copyText(std::wstring_view text) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace kavren
