#pragma once
// The once-a-second drive scan: which roots the system reports, which of
// them are new removable drives, and how the window looks afterwards. Plain
// functions over small interfaces so that every decision is unit-tested.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qz {

// Drive kind as the system reports it; only removable drives are targets.
inline constexpr unsigned kDriveRemovable = 2;

// The size the first query is made with, in characters.
inline constexpr std::uint32_t kDriveStringsFirstLength = 100;

// Asks the system for its drive roots: called with a buffer of `length`
// characters, returns the number of characters written without the final
// zero, the length needed (larger than `length`) when the buffer is too
// small, or 0 on failure.
using DriveStringsQuery = std::function<std::uint32_t(std::uint32_t length, wchar_t* buffer)>;
using DriveKindQuery = std::function<unsigned(const std::wstring& root)>;

// Runs the query, taking a larger buffer when the answer does not fit, and
// returns the characters written (without the final zero). Empty on failure.
std::wstring ReadDriveStrings(const DriveStringsQuery& query);

// Splits "C:\<0>E:\<0>" into its roots; empty pieces are dropped.
std::vector<std::wstring> SplitDriveStrings(const std::wstring& strings);

// Whole-text comparison, letters compared without regard to case.
bool SameRoot(const std::wstring& a, const std::wstring& b);

// The roots to append to the list, in the order given: not exactly "A:\\" or "B:\\"
// (never passed to the kind query), removable, not listed already (nor twice).
std::vector<std::wstring> NewRemovableDrives(const std::vector<std::wstring>& roots,
                                             const std::vector<std::wstring>& listed,
                                             const DriveKindQuery& driveKind);

inline constexpr std::uint32_t kColourBlack = 0x000000;
inline constexpr std::uint32_t kColourRed = 0x0000FF;  // blue-green-red order: pure red

struct WindowLook {
    const wchar_t* labelText;
    std::uint32_t labelColour;
    bool listVisible;
    bool saveEnabled;
    bool selectFirst;  // select entry 0 because nothing is selected

    bool operator==(const WindowLook& o) const;
};

inline constexpr const wchar_t* kPromptChoose = L"Выберите USB-Flash:";
inline constexpr const wchar_t* kPromptConnect = L"ПОДКЛЮЧИТЕ USB-FLASH!";

WindowLook ChooseLook(std::size_t itemCount, bool hasSelection);

// The drive list as the watcher sees it: the window's combo box, or a fake.
class DriveList {
public:
    virtual ~DriveList() = default;
    virtual std::vector<std::wstring> Items() const = 0;
    virtual void Append(const std::wstring& root) = 0;
    virtual int Selected() const = 0;  // -1 when nothing is selected
    virtual void Select(int index) = 0;
};

// One tick: read the roots, append new removable drives, pick the look and
// select the first entry when nothing is selected. The caller applies the
// rest of the look to the window.
WindowLook WatchDrives(const DriveStringsQuery& query, const DriveKindQuery& driveKind, DriveList& list);

}  // namespace qz
