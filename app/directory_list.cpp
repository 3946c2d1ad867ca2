// What the directory list shows for a path, and the path arithmetic (roots, drives, chains) behind it.
#include "app/directory_list.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace kavren {
namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isBareDrive(std::wstring_view path) { return path.size() == 2 && path[1] == L':'; }

// Length of the root: 3 for "C:\", the length of "\\server\share\" for a share.
std::size_t rootLength(std::wstring_view path) {
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        std::size_t separators = 0;
        for (std::size_t i = 2; i < path.size(); ++i) {
            if (isSeparator(path[i]) && ++separators == 2) return i + 1;
        }
        return path.size();
    }
    if (path.size() >= 2 && path[1] == L':') return path.size() >= 3 ? 3 : 2;
    return 0;
}

}  // namespace

std::wstring withoutTrailingSeparator(std::wstring_view path) {
    const std::size_t root = rootLength(path);
    while (path.size() > root && isSeparator(path.back())) path.remove_suffix(1);
    return std::wstring(path);
}

bool sameDrive(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

std::wstring driveOf(std::wstring_view path) {
    std::wstring drive = withoutTrailingSeparator(path.substr(0, rootLength(path)));
    if (!drive.empty() && isSeparator(drive.back())) drive.pop_back();
    return drive;
}

std::vector<std::wstring> pathChain(std::wstring_view path) {
    const std::wstring full = withoutTrailingSeparator(path);
    const std::size_t root = rootLength(full);
    std::vector<std::wstring> chain{full.substr(0, root)};
    for (std::size_t i = root; i <= full.size(); ++i) {
        if (i == full.size() || isSeparator(full[i])) {
            if (i > root && !isSeparator(full[i - 1])) chain.push_back(full.substr(0, i));
        }
    }
    return chain;
}

void DirectoryList::setPath(std::wstring_view requested) {
    std::wstring path = isBareDrive(requested)
                            ? platform_.fullPath(requested)
                            : std::wstring(requested);
    path = withoutTrailingSeparator(path);
    // List first, so that a failure leaves the old state whole.
    std::vector<std::wstring> children = platform_.subdirectories(path);

    std::vector<DirectoryEntry> entries;
    entries.reserve(children.size() + 8);
    const std::vector<std::wstring> chain = pathChain(path);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        std::wstring name = i == 0 ? chain[0] : chain[i].substr(chain[i - 1].size() + (i > 1 ? 1 : 0));
        entries.push_back({std::move(name), chain[i], static_cast<int>(i), true});
    }
    path_ = std::move(path);
    chainLength_ = chain.size();
    for (auto& child : children) entries.push_back(childEntry(std::move(child)));
    entries_ = std::move(entries);
}

std::wstring DirectoryList::childPath(std::wstring_view name) const {
    std::wstring path = path_;
    if (!isSeparator(path.back())) path += L'\\';  // a root has its separator
    return path.append(name);
}

DirectoryEntry DirectoryList::childEntry(std::wstring name) const {
    std::wstring path = childPath(name);
    return {std::move(name), std::move(path), static_cast<int>(chainLength_), false};
}

std::size_t DirectoryList::childPlace(std::wstring_view name) const {
    return static_cast<std::size_t>(
        std::lower_bound(entries_.begin() + static_cast<std::ptrdiff_t>(chainLength_), entries_.end(), name,
                         [this](const DirectoryEntry& entry, std::wstring_view key) {
                             return platform_.compareNames(entry.name, key) < 0;
                         }) -
        entries_.begin());
}

void DirectoryList::follow(std::wstring_view reported, std::vector<ListEdit>& edits) {
    if (reported.empty() || reported.find_first_of(L"\\/") != std::wstring_view::npos) return;
    const std::wstring path = childPath(reported);
    const bool shown = platform_.listingOf(path) == Listing::shown;
    const std::wstring name = shown ? platform_.nameOnDisk(path) : std::wstring(reported);
    const std::size_t place = childPlace(name);
    const bool listed = place < entries_.size() && platform_.compareNames(entries_[place].name, name) == 0;
    if (listed && shown && entries_[place].name == name) return lookAgainAt(place);
    if (listed) {  // gone, or renamed in case only
        edits.push_back({false, place, entries_[place].name});
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(place));
    }
    if (!shown) return;
    edits.push_back({true, place, name});
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(place), childEntry(name));
}

std::vector<ListEdit> DirectoryList::reread() {
    const std::vector<std::wstring> now = platform_.subdirectories(path_);
    std::vector<ListEdit> edits;
    // Both in display order: walk them side by side into a new list, so that a change of many
    // entries costs no more than reading them. An edit's index is where the list stands by then.
    std::vector<DirectoryEntry> merged(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(chainLength_));
    merged.reserve(chainLength_ + now.size());
    auto old = entries_.begin() + static_cast<std::ptrdiff_t>(chainLength_);
    const auto gone = [&](const std::wstring& name) {  // before `name`, or `name` in another case
        const int order = platform_.compareNames(old->name, name);
        return order < 0 || (order == 0 && old->name != name);
    };
    for (const std::wstring& name : now) {
        for (; old != entries_.end() && gone(name); ++old) edits.push_back({false, merged.size(), old->name});
        if (old != entries_.end() && old->name == name) {
            merged.push_back(std::move(*old++));
            continue;
        }
        edits.push_back({true, merged.size(), name});
        merged.push_back(childEntry(name));
    }
    for (; old != entries_.end(); ++old) edits.push_back({false, merged.size(), old->name});
    entries_ = std::move(merged);
    return edits;
}

void DirectoryList::drawing(std::size_t index) {
    if (index < entries_.size() && entries_[index].look == ArchiveLook::notYet) entries_[index].look = ArchiveLook::wanted;
}

std::optional<std::size_t> DirectoryList::wantedLook(std::size_t first, std::size_t last) const {
    for (std::size_t i = first; i < std::min(last, entries_.size()); ++i) {
        if (entries_[i].look == ArchiveLook::wanted) return i;
    }
    return std::nullopt;
}

bool DirectoryList::looked(std::size_t index, bool holds) {
    DirectoryEntry& entry = entries_[index];
    entry.look = ArchiveLook::done;
    return std::exchange(entry.holdsArchive, holds) != holds;
}

// Until the look is made the entry keeps the mark it has, so that it does not flicker.
void DirectoryList::lookAgainAt(std::size_t index) {
    if (entries_[index].look == ArchiveLook::done) entries_[index].look = ArchiveLook::wanted;
}

void DirectoryList::lookAgain() {
    for (std::size_t i = 0; i < entries_.size(); ++i) lookAgainAt(i);
}

void DirectoryList::lookAgainAtCurrent() { lookAgainAt(currentIndex()); }

std::optional<std::size_t> positionAfter(std::size_t position, const std::vector<ListEdit>& edits) {
    for (const ListEdit& edit : edits) {
        if (edit.inserted && edit.index <= position) ++position;
        if (!edit.inserted && edit.index == position) return std::nullopt;
        if (!edit.inserted && edit.index < position) --position;
    }
    return position;
}

}  // namespace kavren
