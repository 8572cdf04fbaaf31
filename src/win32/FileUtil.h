// File-system helpers shared by every Windows module (ANSI paths).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "ScriptText.h"
#include "WinHandles.h"

namespace ovd {

bool FileExists(const std::string& path);      // an existing file, not a folder
bool DirectoryExists(const std::string& path); // an existing folder
// Creates a folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// A folder the engine must never empty or remove: a drive or share root ("C:\",
// "\\srv\share"), the Windows folder and its system folders (System32, SysWOW64), the
// program-files folders, the profiles root, every user's profile folder and the shared
// ones (Public, Default, ProgramData), and every folder that holds one of these. Paths are
// compared in full, long-name form without regard to case ("C:\Users\..\Windows",
// "C:\PROGRA~1"). An empty or relative path counts as protected: it would mean whatever
// folder the process happens to stand in.
bool IsProtectedFolder(const std::string& folder);
// How the tree removal sees an entry's attributes: the file system's (none given), or a
// test's view in which a plain folder is a link, where the file system cannot hold one.
using TreeAttributesView =
    std::function<unsigned long(const std::string& path, unsigned long attributes)>;
// Deletes every file (after setting normal attributes) and every subfolder below `folder`.
// Links (junctions, symbolic links) are removed, never followed: nothing outside `folder`
// is touched. A protected folder (IsProtectedFolder) is left alone.
void DeleteFolderContents(const std::string& folder, const TreeAttributesView& view = {});
// DeleteFolderContents, then the folder itself; `passes` rounds for files that a closing
// process still holds. True when the folder is gone; false at once for a protected folder.
bool RemoveTree(const std::string& folder, int passes = 1, const TreeAttributesView& view = {});
// Removes a folder the engine made for itself (through RemoveTree). The current directory
// first moves to `refuge` when it lies inside the folder: no process can remove the folder
// it stands in. Programs started meanwhile inherited it as their current directory and may
// still run, so the removal is tried again for up to `patienceMs`. 0 when the folder is
// gone, else the system error of the last attempt.
unsigned long RemoveOwnFolder(const std::string& folder, const std::string& refuge,
                              unsigned long patienceMs);
// Loads a library (LoadLibraryA) outside every WOW64 redirection guard (CheckRedirectionOn
// counts a load inside one: it would find the wrong system libraries). Null on failure,
// with the system's error code left for GetLastError.
UniqueModule LoadModule(const std::string& path);
// A library loaded once and kept for the life of the process (LoadModule), or the copy
// already loaded; null when it cannot be loaded. Asking again costs no load.
HMODULE KeptModule(const std::string& name);
// Full path of a loaded module (nullptr: the running program); empty on failure.
std::string ModuleFileName(void* module = nullptr);
// Creates or replaces a file with `data` (or with `parts`, one after the other); false with
// the system's message in `error` (what was written by then stays).
bool WriteFileBytes(const std::string& path, const std::string& data, std::string& error);
bool WriteFileBytes(const std::string& path, std::initializer_list<std::string_view> parts,
                    std::string& error);
// True for a first byte of a double-byte character in the system's code page (whose second
// byte may be that of "\"), for the byte-wise walks over ANSI paths.
bool IsSystemLeadByte(unsigned char byte);
// True for a name from a folder listing (ANSI) that does not name an entry of that folder:
// "." and "..", dots only, or holding a "\" or "/" of its own (not the second byte of a
// double-byte letter) - what a name the code page cannot spell may read as ("\uFF0E\uFF0E"
// comes back as ".."). A walk leaves such a name alone rather than follow it out.
bool IsForeignEntryName(const std::string& name);
// Replaces a file's contents without ever leaving it cut short: `data` is written under
// `path` + ".ovd~tmp" and then takes the file's place (an existing file keeps its security
// settings). False with the system's message in `error`, the file as it was.
bool ReplaceFileBytes(const std::string& path, const std::string& data, std::string& error);
// The text of a Win32 error code, for error messages.
std::string SystemErrorText(unsigned long code);

} // namespace ovd
