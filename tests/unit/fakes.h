// Fakes for the handlers: a scripted file system and a record of every call.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/platform.h"

namespace kavren::testing {

struct Message {
    std::wstring text;
    std::wstring title;
    bool yesNo;
};

class FakePlatform : public Platform {
public:
    // Directory -> its subdirectories; a directory absent from the map cannot be listed.
    std::map<std::wstring, std::vector<std::wstring>> tree;
    std::map<std::wstring, std::wstring> driveCurrent;  // "D:" -> current directory
    std::vector<std::wstring> driveList{L"C:", L"D:"};
    std::set<std::wstring> readableFiles;
    std::wstring programDir = L"C:\\Tools";
    std::wstring cwd = L"C:\\Work";
    bool failWorkingDirectory = false;
    bool failStart = false;
    bool answerYes = true;

    std::vector<Message> messages;
    std::vector<std::wstring> started;
    std::vector<std::wstring> probed;
    std::optional<int> endedWith;
    int listings = 0;

    void showMessage(std::wstring_view text, std::wstring_view title) override {
        messages.push_back({std::wstring(text), std::wstring(title), false});
    }
    bool askYesNo(std::wstring_view text, std::wstring_view title) override {
        messages.push_back({std::wstring(text), std::wstring(title), true});
        return answerYes;
    }
    std::wstring programDirectory() override { return programDir; }
    void probeFile(std::wstring_view path) override {
        probed.emplace_back(path);
        if (!readableFiles.count(std::wstring(path))) throw PlatformError(L"The system cannot find the file specified.");
    }
    void startProcess(std::wstring_view commandLine) override {
        if (failStart) throw PlatformError(L"The system cannot find the file specified.");
        started.emplace_back(commandLine);
    }
    void endProcess(int exitCode) override { endedWith = exitCode; }
    std::vector<std::wstring> drives() override { return driveList; }
    std::wstring workingDirectory() override {
        if (failWorkingDirectory) throw PlatformError(L"Access is denied.");
        return cwd;
    }
    std::wstring driveCurrentDirectory(std::wstring_view drive) override {
        auto found = driveCurrent.find(std::wstring(drive));
        return found != driveCurrent.end() ? found->second : std::wstring(drive) + L"\\";
    }
    std::vector<std::wstring> subdirectories(std::wstring_view directory) override {
        ++listings;
        auto found = tree.find(std::wstring(directory));
        if (found == tree.end()) throw PlatformError(L"The device is not ready.");
        return found->second;
    }
};

class FakeView : public FormView {
public:
    std::wstring path = L"Text1";
    bool recursive = false;
    std::vector<std::wstring> drives;
    std::wstring drive;
    std::vector<std::wstring> shownNames;  // what the directory list shows
    int minimised = 0;
    std::vector<std::wstring> pathWrites;

    std::wstring pathText() override { return path; }
    void setPathText(std::wstring_view text) override {
        path = text;
        pathWrites.emplace_back(text);
    }
    bool recursiveChecked() override { return recursive; }
    std::wstring selectedDrive() override { return drive; }
    void showDrives(const std::vector<std::wstring>& all, std::wstring_view current) override {
        drives = all;
        drive = current;
    }
    void selectDrive(std::wstring_view d) override { drive = d; }
    void showDirectories(const DirectoryList& list) override {
        shownNames.clear();
        for (const auto& entry : list.entries()) shownNames.push_back(entry.name);
    }
    void minimise() override { ++minimised; }
};

}  // namespace kavren::testing
