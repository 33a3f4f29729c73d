// Finding the content folder: the game reads data/ relative to its working
// directory, so a game started from a menu or file manager moves there first.
#pragma once

#include <string>
#include <vector>

// Folders that may hold data/, in the order they are tried: the working
// directory, the executable's folder, and the installed share folder.
std::vector<std::string> dataFolderCandidates(const std::string& workingDir, const std::string& exeDir);

// Changes into the first candidate holding a data/ folder. Returns false,
// after printing where it looked, when none does.
bool enterDataFolder();
// The same from a given working directory and executable folder.
bool enterDataFolderFrom(const std::string& workingDir, const std::string& exeDir);
