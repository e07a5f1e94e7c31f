#pragma once
// The program folder, the current directory and whether a file is there.

#include <string>
#include <string_view>

namespace kelvra {

// The process's current directory as GBK text, without a trailing backslash unless it is a
// drive root. Where that text cannot name the folder (a name GBK cannot spell, more than 259
// bytes, or a program folder the system would not enter) it is ".", which the file layer
// resolves to the program folder: the configuration file is found whatever the folder's name.
std::string CurrentDirectory();
// Whether a directory entry matches `path` (a folder counts; wildcards match as in a search).
bool FileExists(std::string_view path);

// Makes the folder of the executable the program folder and the current directory (as far as the
// system allows). Call once at process start, before anything looks for a file.
void EnterProgramFolder();

#ifdef _WIN32
// The folder (full UTF-16 path, no trailing backslash) that relative program paths and "." name;
// empty: the current directory, as the system resolves it. The process keeps it, not the
// program's state: it is set before that exists. The test reset empties it.
void SetProgramFolder(std::wstring folder);
// The UTF-16 path the system is given for a program path (GBK, '\' separators): relative paths
// resolved in the program folder, and long paths in the form that has no MAX_PATH limit.
std::wstring WidePath(std::string_view path);
#endif

}  // namespace kelvra
