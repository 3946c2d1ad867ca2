#include "commands/commands.h"

#include <initializer_list>

namespace kavren {
namespace {

std::wstring join(std::initializer_list<std::wstring_view> pieces) {
    std::size_t size = 0;
    for (auto piece : pieces) size += piece.size();
    std::wstring text;
    text.reserve(size);
    for (auto piece : pieces) text.append(piece);
    return text;
}

}  // namespace

std::wstring confirmationPrompt(const Mode& mode, std::wstring_view pathText) {
    return join({mode.firstLine, kLineBreak, kPathLinePrefix, pathText, kLineBreak, mode.lastLine});
}

std::wstring toolArguments(const Mode& mode, bool recursive, std::wstring_view pathText) {
    return join({mode.letter, recursive ? kRecursiveSuffix : std::wstring_view{}, L" ", kQuote,
                 pathText, kQuote});
}

std::wstring launchCommandLine(std::wstring_view programDirectory, std::wstring_view toolArgs) {
    return join({kLaunchHead, programDirectory, kLaunchMiddle, toolArgs, kLaunchTail});
}

std::wstring toolPath(std::wstring_view programDirectory) {
    return join({programDirectory, kToolPathTail});
}

}  // namespace kavren
