// The window's behaviour, apart from the window system: each control event has
// one handler here, named after the control and the event. The Win32 shell
// routes messages to them; unit tests drive them with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/directory_list.h"
#include "app/type_ahead.h"
#include "commands/commands.h"
#include "platform/platform.h"

namespace kavren {

inline constexpr std::wstring_view kCaption = L"KAVREN tool UI";
inline constexpr std::wstring_view kToolMissingTitle = L"Orz Info";
inline constexpr std::wstring_view kToolMissingText =
    L"Please put this program into the directory which contains [KavRenTool.exe] and run then.";
// Exit status after the tool check fails.
inline constexpr int kExitToolMissing = 2;

// What screen readers say of a directory list entry whose folder holds the archive.
inline constexpr std::wstring_view kHoldsArchiveDescription = L"Holds KAV.REN";
// What screen readers hear of child `child` of the directory list besides its name. Child ids
// count from 1: 0 stands for the list itself.
inline std::wstring_view descriptionOf(const DirectoryList& list, unsigned long child) {
    const bool holds = child >= 1 && child <= list.entries().size() && list.entries()[child - 1].holdsArchive;
    return holds ? kHoldsArchiveDescription : std::wstring_view{};
}

inline constexpr std::wstring_view kAboutTitle = L"About KAVREN UI";
extern const std::wstring_view kAboutText;

inline constexpr std::wstring_view kUnexpectedError = L"An unexpected error stopped this action.";

// What the directory list's menu offers for an entry.
enum class EntryChoice { open, openInExplorer, copyPath, unpack, pack };

// The drive ("C:") that a drive list entry stands for: the entry up to the label after it.
inline std::wstring letterOf(std::wstring_view entry) { return std::wstring(entry.substr(0, entry.find(L' '))); }

// The controls as the handlers see them.
class FormView {
public:
    virtual ~FormView() = default;
    virtual std::wstring pathText() = 0;
    virtual void setPathText(std::wstring_view text) = 0;
    virtual bool recursiveChecked() = 0;
    // The letter ("C:") of the drive selected; empty for none.
    virtual std::wstring selectedDrive() = 0;
    // Fills the drive list with `entries`, each a drive's letter and perhaps its label, and selects
    // drive `current`, without raising its Change event.
    virtual void showDrives(const std::vector<std::wstring>& entries, std::wstring_view current) = 0;
    // Selects a drive by its letter without raising the drive list's Change event.
    virtual void selectDrive(std::wstring_view drive) = 0;
    // Whether the user has the drive list open: its entries and highlight are theirs until it closes.
    virtual bool drivesDropped() = 0;
    virtual void showDirectories(const DirectoryList& list) = 0;
    // Makes the directory list what `list` now is by `edits`, made since it was last shown. The
    // highlighted entry and the one at the top stay where they are, the highlight going back to
    // the current directory when its entry went.
    virtual void updateDirectories(const DirectoryList& list, const std::vector<ListEdit>& edits) = 0;
    // Entry `index` of the directory list is to be drawn again: its mark changed.
    virtual void redrawDirectory(std::size_t index) = 0;
    // The directory list's highlighted entry; none when nothing is highlighted.
    virtual std::optional<std::size_t> highlightedDirectory() = 0;
    // Highlights entry `index` and scrolls it into view, as the arrow keys do.
    virtual void highlightDirectory(std::size_t index) = 0;
    virtual void minimise() = 0;
};

class Form1 {
public:
    Form1(Platform& platform, FormView& view) : platform_(platform), view_(view), dirb_(platform) {}

    // Fills the lists and the path box and checks for the tool. On failure it
    // tells the user, ends the program and returns false.
    bool Form_Load();

    void cmdp_Click();
    void cmdu_Click();
    void Command1_Click();
    void Command2_Click();
    void drvb_Change();
    void dirb_Change();
    // Subdirectories of the shown directory changed on disk. A change on disk is no user's choice:
    // nothing else moves, and nothing is said, even when the directory itself is gone.
    void dirb_DiskChanged(const DirectoryChanges& changes);
    // F5: the shown directory read again.
    void dirb_Refresh();
    // Entry `index` of the directory list is about to be drawn.
    void dirb_Drawing(std::size_t index);
    // One look, at the first entry from `first` to before `last` (those on screen) that wants one,
    // whether its folder holds the archive; false when none wants one. A look may wait on a slow
    // device or share: the message loop makes them one at a time, when no input waits.
    bool dirb_LookOnce(std::size_t first, std::size_t last);
    // The archive in the shown directory may have been made, removed or renamed.
    void dirb_ArchiveChanged();
    // Drives came or went; the drive list follows, keeping its selection and the labels it knows.
    // Each drive's label is then looked at again.
    void drvb_DrivesChanged();
    // One look at a drive's label, which may wait on the device (so never before the window is
    // shown); its entry shows it after the letter. False when every drive has had its look.
    // What changed while the list was open shows in the first such turn after it closed.
    bool drvb_LookOnce();
    // A double-click (or Enter) on entry `index` of the directory list.
    void dirb_Activate(std::size_t index);
    // A character typed in the directory list at `time` (ms, the system's clock): highlights the
    // first entry that begins with the letters typed in a row (TypeAhead), case ignored. No match:
    // the highlight stays.
    void dirb_Type(wchar_t typed, std::uint32_t time);
    // Backspace, Alt+Up: the parent of the shown directory opens, as a double-click on its entry
    // would; at a root nothing happens.
    void dirb_Up();
    // A choice from the menu of entry `index`. Unpack and Pack make the entry the path as Open
    // does, then do what their buttons do.
    void dirb_Choose(std::size_t index, EntryChoice choice);
    // Items dropped on the window, in the order the source gave them.
    void Form_DragDrop(const std::vector<std::wstring>& paths);
    // The folder the program was started with, its first argument; empty for none.
    void openStartFolder(std::wstring_view argument);

    void runcmd(std::wstring_view comm);

    const DirectoryList& dirb() const { return dirb_; }
    // The drive list's entries one after the other: every character it shows.
    std::wstring drvbText() const;

private:
    void confirmAndRun(const Mode& mode);
    void setDirbPath(std::wstring_view path);
    // Whether the item became the path.
    bool openDirectory(std::wstring_view item);
    void cannotRead(const std::wstring& directory, const PlatformError& error);
    void showDrives();

    Platform& platform_;
    FormView& view_;
    DirectoryList dirb_;
    TypeAhead typeAhead_;
    // The drive list's entries: each drive's letter, then its label where it has one. The first
    // `drivesLooked_` have had their look since the drives last changed.
    std::vector<std::wstring> drives_;
    std::size_t drivesLooked_ = 0;
    bool drivesHeld_ = false;  // changed while the list was open, not shown yet
};

}  // namespace kavren
