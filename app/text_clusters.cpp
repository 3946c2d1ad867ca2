// Cluster boundaries by Uniscribe, loaded when a line first needs them.
#include "app/text_clusters.h"

#include <usp10.h>

#include "platform/late_bound.h"

namespace kavren {
namespace {

struct Uniscribe {
    UniqueModule module = loadSystemModule(L"usp10.dll");
    decltype(&ScriptItemize) itemize = procedure<decltype(&ScriptItemize)>(module.get(), "ScriptItemize");
    decltype(&ScriptBreak) breaks = procedure<decltype(&ScriptBreak)>(module.get(), "ScriptBreak");
    decltype(&ScriptShape) shape = procedure<decltype(&ScriptShape)>(module.get(), "ScriptShape");
    decltype(&ScriptFreeCache) freeCache = procedure<decltype(&ScriptFreeCache)>(module.get(), "ScriptFreeCache");
};

// Where the glyph clusters of the font that draws an item begin; all true where it cannot shape it.
std::vector<bool> glyphClusters(const Uniscribe& usp, HDC dc, std::wstring_view item, SCRIPT_ANALYSIS analysis, HFONT font) {
    const int length = static_cast<int>(item.size());
    std::vector<WORD> glyphs(item.size() * 3 / 2 + 16), map(item.size());
    std::vector<SCRIPT_VISATTR> attributes(glyphs.size());
    SCRIPT_CACHE cache = nullptr;
    int count = 0;
    const HGDIOBJ old = SelectObject(dc, font);
    const HRESULT shaped = usp.shape(dc, &cache, item.data(), length, static_cast<int>(glyphs.size()), &analysis,
                                     glyphs.data(), map.data(), attributes.data(), &count);
    SelectObject(dc, old);
    usp.freeCache(&cache);
    std::vector<bool> starts(item.size(), true);
    for (std::size_t i = 1; SUCCEEDED(shaped) && i < item.size(); ++i) starts[i] = map[i] != map[i - 1];
    return starts;
}

}  // namespace

std::vector<bool> clusterStarts(HDC dc, std::wstring_view text,
                                const std::function<HFONT(std::size_t begin, std::size_t end)>& fontFor) {
    static const Uniscribe usp;
    std::vector<bool> starts(text.size(), true);
    std::vector<SCRIPT_ITEM> items(text.size() + 2);
    int count = 0;
    if (!usp.itemize || !usp.breaks || !usp.shape || !usp.freeCache ||
        FAILED(usp.itemize(text.data(), static_cast<int>(text.size()), static_cast<int>(items.size()) - 1, nullptr,
                           nullptr, items.data(), &count)))
        return starts;
    for (int i = 0; i < count; ++i) {
        const auto begin = static_cast<std::size_t>(items[i].iCharPos), end = static_cast<std::size_t>(items[i + 1].iCharPos);
        const std::wstring_view item = text.substr(begin, end - begin);
        std::vector<SCRIPT_LOGATTR> attributes(item.size());
        const bool broken = SUCCEEDED(usp.breaks(item.data(), static_cast<int>(item.size()), &items[i].a, attributes.data()));
        // A caret stop by the script's rules, and the first character of a glyph cluster: Wine's rules
        // alone split a conjunct and a pair of surrogates, and a face without the script shapes nothing.
        const std::vector<bool> glyphStarts = glyphClusters(usp, dc, item, items[i].a, fontFor(begin, end));
        for (std::size_t j = 1; j < item.size(); ++j) starts[begin + j] = (!broken || attributes[j].fCharStop) && glyphStarts[j];
    }
    return starts;
}

}  // namespace kavren
