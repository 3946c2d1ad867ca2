// What the directory list shows for a path, and the path arithmetic (roots, drives, chains) behind it.
#include "app/directory_list.h"

#include <algorithm>
#include <cwctype>

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
    const bool atRoot = chain.size() == 1;
    const int childDepth = static_cast<int>(chain.size());
    for (auto& child : children) {
        std::wstring childPath = path;
        if (!atRoot || !isSeparator(childPath.back())) childPath += L'\\';
        childPath += child;
        entries.push_back({std::move(child), std::move(childPath), childDepth, false});
    }

    path_ = std::move(path);
    entries_ = std::move(entries);
    chainLength_ = chain.size();
}

}  // namespace kavren
