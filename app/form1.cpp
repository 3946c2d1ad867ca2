// The handlers of Form1, one per control event, and the texts they show.
#include "app/form1.h"

namespace kavren {
namespace {

std::wstring folderHolding(std::wstring_view file) {
    const std::vector<std::wstring> chain = pathChain(file);
    return chain.size() > 1 ? chain[chain.size() - 2] : chain.front();
}

}  // namespace

const std::wstring_view kAboutText =
    L"Kavren tool UI V0.02 by morlick\r\n"
    L"*Space-in-path problem fixed\r\n"
    L"*Bug of recursive operation fixed (thanks to quenbury)\r\n"
    L"*Icon changed (I'm not making nuclear bombs QwQ)\r\n"
    L"\r\n"
    L"Developed in C++20 with mingw-w64 GCC and the Win32 API\r\n"
    L"Built on 2012-10-08\r\n"
    L"(Ad) morlick.example.net - try Pebblebell, my tiny alarm clock!";

bool Form1::Form_Load() {
    try {
        const std::wstring workingDirectory = platform_.workingDirectory();
        drives_ = platform_.drives();
        view_.showDrives(drives_, driveOf(workingDirectory));
        dirb_.setPath(workingDirectory);
        view_.showDirectories(dirb_);
        view_.setPathText(dirb_.path());
        platform_.probeFile(toolPath(platform_.programDirectory()));
        return true;
    } catch (...) {
        platform_.showMessage(kToolMissingText, kToolMissingTitle);
        platform_.endProcess(kExitToolMissing);
        return false;
    }
}

void Form1::cmdp_Click() { confirmAndRun(kPack); }
void Form1::cmdu_Click() { confirmAndRun(kUnpack); }

void Form1::confirmAndRun(const Mode& mode) {
    const std::wstring pathText = view_.pathText();
    if (!platform_.askYesNo(confirmationPrompt(mode, pathText), kConfirmTitle)) return;
    runcmd(toolArguments(mode, view_.recursiveChecked(), pathText));
}

void Form1::runcmd(std::wstring_view comm) {
    try {
        platform_.startProcess(launchCommandLine(platform_.programDirectory(), comm));
    } catch (const PlatformError& error) {
        platform_.showMessage(error.message(), kCaption);
    }
}

void Form1::Command1_Click() { platform_.showMessage(kAboutText, kAboutTitle); }
void Form1::Command2_Click() { view_.minimise(); }

void Form1::setDirbPath(std::wstring_view path) {
    dirb_.setPath(path);
    view_.showDirectories(dirb_);
    dirb_Change();
}

void Form1::drvb_Change() {
    const std::wstring drive = view_.selectedDrive();
    // Some combo boxes report a change when a key leaves the selection where it was;
    // the list must not jump to the drive's current directory for that.
    if (sameDrive(drive, driveOf(dirb_.path()))) return;
    try {
        setDirbPath(drive);
    } catch (const PlatformError& error) {
        view_.selectDrive(driveOf(dirb_.path()));
        platform_.showMessage(L"Drive " + drive + L" cannot be read.\r\n" + error.message(), kCaption);
    }
}

void Form1::dirb_Change() { view_.setPathText(dirb_.path()); }

void Form1::dirb_DiskChanged(const DirectoryChanges& changes) {
    // Once the directory itself is gone (removed, renamed, its drive or share lost), the list
    // keeps what it shows; the user's next action on it says what happened.
    if (platform_.listingOf(dirb_.path()) == Listing::none) return;
    std::vector<ListEdit> edits;
    try {
        if (changes.lost) edits = dirb_.reread();
    } catch (const PlatformError&) {
        return;
    }
    if (changes.lost) dirb_.lookAgain();
    for (const std::wstring& name : changes.names) dirb_.follow(name, edits);
    if (!edits.empty()) view_.updateDirectories(dirb_, edits);
}

void Form1::dirb_Refresh() {
    try {
        const std::vector<ListEdit> edits = dirb_.reread();
        dirb_.lookAgain();
        if (!edits.empty()) view_.updateDirectories(dirb_, edits);
    } catch (const PlatformError& error) {
        cannotRead(dirb_.path(), error);
    }
}

void Form1::dirb_Drawing(std::size_t index) { dirb_.drawing(index); }

bool Form1::dirb_LookOnce(std::size_t first, std::size_t last) {
    const std::optional<std::size_t> index = dirb_.wantedLook(first, last);
    if (!index) return false;
    if (dirb_.looked(*index, platform_.holdsFile(dirb_.entries()[*index].path, kArchiveFileName)))
        view_.redrawDirectory(*index);
    return true;
}

void Form1::dirb_ArchiveChanged() { dirb_.lookAgainAtCurrent(); }

// The selected drive is always the one the directory list shows; a drive that went leaves none selected.
void Form1::drvb_DrivesChanged() {
    std::vector<std::wstring> entries = platform_.drives();
    for (std::wstring& entry : entries) {
        for (const std::wstring& known : drives_) {
            if (letterOf(known) == entry) entry = known;
        }
    }
    drives_ = std::move(entries);
    drivesLooked_ = 0;
    showDrives();
}

// Filling an open list anew would move its highlight, or close it: the entries wait until it is closed.
void Form1::showDrives() {
    drivesHeld_ = view_.drivesDropped();
    if (!drivesHeld_) view_.showDrives(drives_, driveOf(dirb_.path()));
}

std::wstring Form1::drvbText() const {
    std::wstring text;
    for (const std::wstring& entry : drives_) text += entry;
    return text;
}

// The letter first: the entries stay in letter order, and a typed letter picks its drive.
bool Form1::drvb_LookOnce() {
    if (drivesHeld_ && !view_.drivesDropped()) {
        showDrives();
        return true;
    }
    if (drivesLooked_ >= drives_.size()) return false;
    std::wstring& entry = drives_[drivesLooked_++];
    const std::wstring letter = letterOf(entry), label = platform_.driveLabel(letter);
    const std::wstring looked = label.empty() ? letter : letter + L' ' + label;
    if (looked != entry) {
        entry = looked;
        showDrives();
    }
    return true;
}

void Form1::cannotRead(const std::wstring& directory, const PlatformError& error) {
    platform_.showMessage(L"The directory " + directory + L" cannot be read.\r\n" + error.message(), kCaption);
}

void Form1::dirb_Activate(std::size_t index) {
    if (index < dirb_.entries().size()) openDirectory(dirb_.entries()[index].path);
}

void Form1::dirb_Type(wchar_t typed, std::uint32_t time) {
    const std::optional<TypedSearch> search = typeAhead_.typed(typed, time, platform_.typingPause());
    const std::vector<DirectoryEntry>& entries = dirb_.entries();
    if (!search || entries.empty()) return;
    const std::optional<std::size_t> highlighted = view_.highlightedDirectory();
    const std::size_t from = highlighted ? *highlighted + (search->afterHighlighted ? 1 : 0) : 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t index = (from + i) % entries.size();
        if (platform_.beginsWith(entries[index].name, search->prefix)) return view_.highlightDirectory(index);
    }
}

void Form1::dirb_Up() {
    if (dirb_.currentIndex() > 0) dirb_Activate(dirb_.currentIndex() - 1);
}

void Form1::dirb_Choose(std::size_t index, EntryChoice choice) {
    if (index >= dirb_.entries().size()) return;
    const std::wstring path = dirb_.entries()[index].path;  // the entry goes once the list moves
    try {
        switch (choice) {
        case EntryChoice::open: openDirectory(path); break;
        case EntryChoice::openInExplorer: platform_.openInExplorer(path); break;
        case EntryChoice::copyPath: platform_.copyText(path); break;
        case EntryChoice::unpack: if (openDirectory(path)) cmdu_Click(); break;
        case EntryChoice::pack: if (openDirectory(path)) cmdp_Click(); break;
        }
    } catch (const PlatformError& error) {
        platform_.showMessage(error.message(), kCaption);
    }
}

void Form1::Form_DragDrop(const std::vector<std::wstring>& paths) {
    if (!paths.empty()) openDirectory(paths.front());
}

void Form1::openStartFolder(std::wstring_view argument) {
    if (!argument.empty()) openDirectory(argument);
}

// A relative path lies under the working directory, and a file stands for the folder that
// holds it. The drive list follows; a share has no entry there, so it then shows none selected.
bool Form1::openDirectory(std::wstring_view item) {
    std::wstring path(item);  // first: a list entry's path is gone once the list moves
    try {
        path = platform_.fullPath(item);
        setDirbPath(platform_.isFile(path) ? folderHolding(path) : path);
        view_.selectDrive(driveOf(dirb_.path()));
        return true;
    } catch (const PlatformError& error) {
        cannotRead(path, error);
        return false;
    }
}

}  // namespace kavren
