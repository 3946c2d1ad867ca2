// Fakes for the handlers: a scripted file system and a record of what the user would see.
#pragma once

#include <algorithm>
#include <cwctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"

namespace kavren::testing {

struct FakePlatform : Platform {
    // Directory -> its subdirectories, drive ("D:") -> its current directory; what is absent fails.
    std::map<std::wstring, std::vector<std::wstring>> tree;
    std::map<std::wstring, std::wstring> driveCurrent;
    std::set<std::wstring, std::less<>> files;  // what isFile finds
    // Only the tool path can be opened. An empty tool or working directory fails.
    std::wstring programDir = L"E:\\Tools", tool = L"E:\\Tools\\KavRenTool.exe", cwd = L"C:\\Work";
    bool failStart = false, answerYes = true;
    // Boxes as "title: text", or "[Yes/No] title: text", so one comparison covers all of it.
    std::vector<std::wstring> messages, started;
    std::optional<int> endedWith;

    template <class T>
    static const T& lookup(const std::map<std::wstring, T>& map, std::wstring_view key) {
        const auto found = map.find(std::wstring(key));
        return found != map.end() ? found->second : throw PlatformError(L"The device is not ready.");
    }

    void showMessage(std::wstring_view text, std::wstring_view title) override {
        messages.push_back(std::wstring(title).append(L": ").append(text));
    }
    bool askYesNo(std::wstring_view text, std::wstring_view title) override {
        showMessage(text, L"[Yes/No] " + std::wstring(title));
        return answerYes;
    }
    std::wstring programDirectory() override { return programDir; }
    void probeFile(std::wstring_view path) override { if (path != tool) throw PlatformError(L"Not found."); }
    void startProcess(std::wstring_view commandLine) override {
        if (failStart) throw PlatformError(L"The directory name is invalid.");
        started.emplace_back(commandLine);
    }
    void endProcess(int exitCode) override { endedWith = exitCode; }
    std::vector<std::wstring> driveLetters{L"C:", L"D:"};
    std::vector<std::wstring> drives() override { return driveLetters; }
    std::map<std::wstring, std::wstring> labels;  // drive -> its label
    std::vector<std::wstring> looked;             // drives whose labels were asked for, in order
    std::wstring driveLabel(std::wstring_view drive) override {
        looked.emplace_back(drive);
        return labels.count(looked.back()) ? labels[looked.back()] : L"";
    }
    std::wstring workingDirectory() override { return cwd.empty() ? throw PlatformError(L"Access is denied.") : cwd; }
    std::wstring fullPath(std::wstring_view path) override {
        if (path.size() == 2) return lookup(driveCurrent, path);
        const bool full = path.size() > 2 && (path[1] == L':' || path[0] == L'\\');
        return full ? std::wstring(path) : cwd + L"\\" + std::wstring(path);
    }
    bool isFile(std::wstring_view path) override { return files.count(path) > 0; }
    std::map<std::wstring, std::wstring, std::less<>> spelled;  // path -> its name on disk, where it differs
    std::wstring nameOnDisk(std::wstring_view path) override {
        const auto found = spelled.find(path);
        return found != spelled.end() ? found->second : std::wstring(path.substr(path.find_last_of(L'\\') + 1));
    }
    // A directory is a key of the tree or one it lists under its parent; hidden where `hidden` names it.
    std::set<std::wstring, std::less<>> hidden;
    Listing listingOf(std::wstring_view given) override {
        const std::size_t separator = given.find_last_of(L'\\');
        const std::wstring path = std::wstring(given.substr(0, separator + 1)) + nameOnDisk(given);
        std::wstring parent(path.substr(0, separator));
        if (parent.size() == 2) parent += L'\\';  // a drive root
        const auto found = tree.find(parent);
        const bool listed = tree.count(path) ||
                            (found != tree.end() && std::count(found->second.begin(), found->second.end(),
                                                               std::wstring(path.substr(separator + 1))));
        return !listed ? Listing::none : hidden.count(path) ? Listing::hidden : Listing::shown;
    }
    std::vector<std::wstring> subdirectories(std::wstring_view directory) override {
        std::vector<std::wstring> shown = lookup(tree, directory);
        std::erase_if(shown, [&](const std::wstring& name) { return hidden.count(std::wstring(directory) + L"\\" + name); });
        return shown;
    }
    int compareNames(std::wstring_view a, std::wstring_view b) override { return a.compare(b); }
    bool beginsWith(std::wstring_view name, std::wstring_view prefix) override {
        return name.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), name.begin(), [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); });
    }
    unsigned typingPause() override { return 1000; }
    std::vector<std::wstring> explored, clipboard;  // folders opened in Explorer, texts copied
    void openInExplorer(std::wstring_view folder) override { failStart ? startProcess(folder) : void(explored.emplace_back(folder)); }
    void copyText(std::wstring_view text) override { clipboard.emplace_back(text); }
    std::set<std::wstring, std::less<>> archives;  // directories that hold KAV.REN
    std::vector<std::wstring> looks;               // the directories looked at, in order
    bool holdsFile(std::wstring_view directory, std::wstring_view name) override {
        looks.emplace_back(directory);
        return name == L"KAV.REN" && archives.count(directory);
    }
};

struct FakeView : FormView {
    std::wstring path, drive;  // drive: the one selected, empty for none
    std::vector<std::wstring> drives, shown;  // the names the drive and the directory lists show
    bool recursive = false, dropped = false;  // dropped: the drive list is open
    std::optional<std::size_t> highlighted;  // in the directory list

    std::wstring pathText() override { return path; }
    void setPathText(std::wstring_view text) override { path = text; }
    bool recursiveChecked() override { return recursive; }
    std::wstring selectedDrive() override { return drive; }
    bool drivesDropped() override { return dropped; }
    void showDrives(const std::vector<std::wstring>& all, std::wstring_view current) override {
        drives = all;
        selectDrive(current);
    }
    void selectDrive(std::wstring_view selected) override {
        drive = std::count_if(drives.begin(), drives.end(), [&](const std::wstring& e) { return letterOf(e) == selected; })
                    ? selected : L"";
    }
    void showDirectories(const DirectoryList& list) override {
        shown.clear();
        for (const auto& entry : list.entries()) shown.push_back(entry.name);
        highlighted = list.currentIndex();
    }
    void updateDirectories(const DirectoryList&, const std::vector<ListEdit>& edits) override {
        for (const ListEdit& edit : edits)
            edit.inserted ? void(shown.insert(shown.begin() + static_cast<std::ptrdiff_t>(edit.index), edit.name))
                          : void(shown.erase(shown.begin() + static_cast<std::ptrdiff_t>(edit.index)));
    }
    std::vector<std::size_t> redrawn;
    void redrawDirectory(std::size_t index) override { redrawn.push_back(index); }
    std::optional<std::size_t> highlightedDirectory() override { return highlighted; }
    void highlightDirectory(std::size_t index) override { highlighted = index; }
    void minimise() override {}
};

}  // namespace kavren::testing
