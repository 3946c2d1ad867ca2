// The texts that Pack and Unpack show and run. Plain concatenations of the
// user's text: nothing is trimmed, escaped or validated, on purpose, so the
// tool receives exactly what the user left in the path box.
#pragma once

#include <string>
#include <string_view>

namespace kavren {

struct Mode {
    std::wstring_view letter;
    std::wstring_view firstLine;
    std::wstring_view lastLine;
};

inline constexpr Mode kPack{L"p", L"Sure to PACK?", L"KAV.REN will be overwritten."};
inline constexpr Mode kUnpack{L"u", L"Sure to UNPACK?",
                              L"Files extracted before will be overwritten if they exist."};

inline constexpr std::wstring_view kConfirmTitle = L"Anti-misclick v1.0";
inline constexpr std::wstring_view kPathLinePrefix = L"Path: ";
inline constexpr std::wstring_view kRecursiveSuffix = L"r";
inline constexpr std::wstring_view kQuote = L"\"";
inline constexpr std::wstring_view kLineBreak = L"\r\n";

inline constexpr std::wstring_view kToolFileName = L"KavRenTool.exe";
// The archive the tool packs and unpacks, in the directory the user chooses.
inline constexpr std::wstring_view kArchiveFileName = L"KAV.REN";
// The tool lies beside the program: its path is the program directory plus this,
// joined as they come (a drive root gives a doubled separator, which Windows accepts).
inline constexpr std::wstring_view kToolPathTail = L"\\KavRenTool.exe";

// cmd /K strips the first and last quote of the rest of its line, so the whole
// tool command is wrapped in one more pair and both paths may hold blanks.
inline constexpr std::wstring_view kLaunchHead = L"cmd /K \" \"";
inline constexpr std::wstring_view kLaunchMiddle = L"\\KavRenTool.exe\" ";
inline constexpr std::wstring_view kLaunchTail = L" \"";

std::wstring confirmationPrompt(const Mode& mode, std::wstring_view pathText);
std::wstring toolArguments(const Mode& mode, bool recursive, std::wstring_view pathText);
std::wstring launchCommandLine(std::wstring_view programDirectory, std::wstring_view toolArgs);
std::wstring toolPath(std::wstring_view programDirectory);

}  // namespace kavren
