#pragma once
// Writing the firmware set to a drive root, independent of the operating
// system: the file operations come in through TargetFileSystem so that the
// counting and the outcome can be tested with a fake.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/message.h"
#include "deploy/payloads.h"

namespace qz {

// Gives the bytes of an embedded resource; throws when it cannot.
class PayloadSource {
public:
    virtual ~PayloadSource() = default;
    virtual ByteView Open(const wchar_t* resourceName) = 0;
};

// A file opened for writing. The destructor closes it if Close was not called.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Writes up to size bytes; returns how many were written, 0 on an error.
    virtual std::size_t Write(const std::uint8_t* data, std::size_t size) = 0;
    // Forces the written bytes to the medium.
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
};

class TargetFileSystem {
public:
    virtual ~TargetFileSystem() = default;
    // Removes a file; the caller does not look at the result.
    virtual void Delete(const std::wstring& path) = 0;
    // Creates the file, replacing one that exists; null when it cannot.
    virtual std::unique_ptr<OutputFile> Create(const std::wstring& path) = 0;
};

// True for a drive root such as E:\ (letter, colon, backslash).
bool IsDriveRoot(const std::wstring& root);

// Creates or replaces the file, writes every byte and flushes it to the
// medium. True only when all of that and closing worked; on any failure the
// partial file is removed.
bool WriteWholeFile(TargetFileSystem& fs, const std::wstring& path, ByteView bytes);

// Deletes any older copy (ignoring the result), then writes the file whole.
bool WritePayload(TargetFileSystem& fs, const std::wstring& path, ByteView bytes);

// Writes every payload of the table, in order, to root + file name, going on
// after a failure. Returns how many were written completely. A root that is
// not a drive root writes nothing. Errors of the source propagate.
int WriteFirmwareSet(PayloadSource& source, TargetFileSystem& fs, const std::wstring& root);

// The boxes that tell the user the outcome, in the order they are shown.
std::vector<Message> FirmwareOutcome(int writtenCount, const std::wstring& root);

}  // namespace qz
