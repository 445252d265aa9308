#pragma once
// Process-wide set-up and facts about the program's own executable.
#include <windows.h>

#include <string>

#include "platform/handle.h"

namespace qz::win {

// Limits where DLLs are looked for to System32, so that no DLL is ever
// picked up from the program's folder or the current directory. Called first
// thing at start-up.
void RestrictDllSearchToSystem32();

// Loads a DLL by name from System32 only; throws when it cannot.
Library LoadSystemLibrary(const wchar_t* name);

// Full path of the running executable.
std::wstring ExecutablePath();

// Directory of the running executable, ending in a backslash.
std::wstring ProgramDirectory();

// Makes the system report critical errors (such as a drive without a medium)
// to the failing call instead of showing its own box.
void FailCriticalErrorsSilently();

}  // namespace qz::win
