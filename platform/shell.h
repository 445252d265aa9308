#pragma once
// Modal message boxes and the shell's "open" for documents.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/message.h"

namespace qz::win {

// Shows the box modal to owner, with one OK button.
void ShowMessage(HWND owner, const Message& message);

// Opens the document with its registered program, shown normally; returns
// the shell's answer (above 32 on success).
std::intptr_t OpenDocument(HWND owner, const std::wstring& path);

}  // namespace qz::win
