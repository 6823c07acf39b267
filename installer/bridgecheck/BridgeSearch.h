// Where Windows' loader looks for a library that a program imports, and the first copy it
// would take. A program started at log-on or from its Start-menu shortcut looks, in this
// order, in its own folder, in the system folder of its width, in the Windows folder and
// in the folders on PATH. (The current folder, which the loader searches before PATH, is
// left out: for such a start it is the program's own folder or the system folder.)
#pragma once
#include <string>
#include <vector>

namespace bridgecheck {

struct LoaderPlaces {
    std::wstring programFolder;
    std::wstring systemFolder;
    std::wstring windowsFolder;
    std::wstring path;  // folders separated by ';', as in the environment
};

// This computer's places for a program of this build's width in programFolder. The PATH
// is the one a log-on gives: the machine's folders, then the user's.
LoaderPlaces PlacesOnThisComputer(const std::wstring& programFolder);

// The folders in the loader's order (empty PATH entries left out).
std::vector<std::wstring> SearchOrder(const LoaderPlaces& places);

// The path of fileName in the first of folders that has it; empty when none has.
std::wstring FindFirst(const std::vector<std::wstring>& folders, const std::wstring& fileName);

}  // namespace bridgecheck
