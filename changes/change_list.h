#pragma once
// Saving the embedded change list beside the program and opening it in the
// registered PDF viewer, over a small interface so the error handling can be
// tested without a shell.
#include <cstdint>
#include <optional>
#include <string>

#include "app/message.h"
#include "deploy/payloads.h"

namespace qz {

inline constexpr const wchar_t* kChangesFileName = L"Changes.pdf";

class ChangeListHost {
public:
    virtual ~ChangeListHost() = default;
    // The embedded document; throws when the resource cannot be opened.
    virtual ByteView OpenDocument() = 0;
    // Creates or replaces the file with the bytes; false on any failure.
    virtual bool SaveFile(const std::wstring& path, ByteView bytes) = 0;
    // Asks the shell to open the file; the shell's answer, above 32 on success.
    virtual std::intptr_t OpenWithShell(const std::wstring& path) = 0;
};

// The message shown when the list cannot be saved or opened.
Message ChangeListError();

// Saves the document as programDir + Changes.pdf and opens it. Returns the
// box to show when that fails, nothing when the viewer was started. An
// error opening the resource itself propagates.
std::optional<Message> ShowChangeList(ChangeListHost& host, const std::wstring& programDir);

}  // namespace qz
