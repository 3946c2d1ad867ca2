// What the directory list shows: the chain of directories from the drive root
// down to the current one, then the current directory's subdirectories.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace kavren {

// Whether an entry's folder has been looked at for the archive: not yet, wanted since it was drawn
// (or since the disk said it may have changed), or done.
enum class ArchiveLook { notYet, wanted, done };

struct DirectoryEntry {
    std::wstring name;  // what the list shows: "C:\" for a root, else the directory's name
    std::wstring path;  // full path, without a trailing separator except at a root
    int depth;          // 0 for the root; the current directory's children are one deeper
    bool inChain;       // the root, its descendants down to the current directory
    bool holdsArchive = false;  // as last looked at; drawn with a mark
    ArchiveLook look = ArchiveLook::notYet;
};

// One change of the entries, in the order made: `name` inserted at `index`, or removed from there.
struct ListEdit {
    bool inserted;
    std::size_t index;
    std::wstring name;
    bool operator==(const ListEdit&) const = default;
};

class DirectoryList {
public:
    explicit DirectoryList(Platform& platform) : platform_(platform) {}

    const std::wstring& path() const { return path_; }
    const std::vector<DirectoryEntry>& entries() const { return entries_; }
    // Index of the current directory, the last entry of the chain.
    std::size_t currentIndex() const { return chainLength_ - 1; }

    // Makes `path` current; a bare drive ("D:") means that drive's current directory.
    // When the directory cannot be listed this throws and nothing changes.
    void setPath(std::wstring_view path);

    // The subdirectory of the current directory that the system `reported` changed shown or not,
    // as the disk has it now: shown, by the name the disk spells, when it is a directory that
    // listings show. Adds the edits that took to `edits`.
    void follow(std::wstring_view reported, std::vector<ListEdit>& edits);
    // The current directory read again: the edits that took. Throws, changing nothing, when it
    // cannot be listed.
    std::vector<ListEdit> reread();

    // The entry is about to be drawn: its folder is to be looked at, unless it was.
    void drawing(std::size_t index);
    // The first entry from `first` to before `last` whose look is wanted.
    std::optional<std::size_t> wantedLook(std::size_t first, std::size_t last) const;
    // The look at entry `index` found `holds`; whether its mark changed.
    bool looked(std::size_t index, bool holds);
    // Every folder looked at is to be looked at again (F5, lost notifications); the current one alone.
    void lookAgain();
    void lookAgainAtCurrent();

private:
    std::wstring childPath(std::wstring_view name) const;
    DirectoryEntry childEntry(std::wstring name) const;
    // Where the child `name` stands among the entries, or would stand.
    std::size_t childPlace(std::wstring_view name) const;
    void lookAgainAt(std::size_t index);

    Platform& platform_;
    std::wstring path_;
    std::vector<DirectoryEntry> entries_;
    std::size_t chainLength_ = 0;
};

// Where the entry at `position` stands after `edits`; none when they removed it.
std::optional<std::size_t> positionAfter(std::size_t position, const std::vector<ListEdit>& edits);

// The drive ("C:") or UNC share ("\\server\share") a full path lies on.
std::wstring driveOf(std::wstring_view path);
// Drive names compare without regard to case: "c:" is "C:".
bool sameDrive(std::wstring_view a, std::wstring_view b);
// Strips trailing separators, keeping the one of a root ("C:\").
std::wstring withoutTrailingSeparator(std::wstring_view path);
// The root and each directory below it down to `path`, as full paths.
std::vector<std::wstring> pathChain(std::wstring_view path);

}  // namespace kavren
