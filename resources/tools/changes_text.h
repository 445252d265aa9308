#pragma once
// The change list as written in resources/changes.txt, and the word wrapping
// used to set it, kept apart from cairo so both can be tested alone.
//
// The text is UTF-8. Lines starting with '#' are comments. The first other
// non-blank line is the title. Then each version is a line
// "Версия <number>" followed by its changes, one a line, each starting with
// "- ". Blank lines may stand anywhere; any other line is an error.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qz::changes {

struct Version {
    std::string heading;               // the whole line, e.g. "Версия 6.22"
    std::vector<std::string> changes;  // without the leading "- "
};

struct ChangeList {
    std::string title;
    std::vector<Version> versions;  // in the order written: newest first
};

// A fault in the text, with the 1-based number of the line it is on (0 when
// it concerns the text as a whole).
class ParseError : public std::runtime_error {
public:
    ParseError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

bool IsValidUtf8(const std::string& text);

// The code points of valid UTF-8 text.
std::u32string DecodeUtf8(const std::string& text);

// Reads the text; throws ParseError when it does not keep to the format.
ChangeList ParseChangeList(const std::string& text);

// Breaks text into lines no wider than `width` as told by `measure`, at
// spaces; a single word wider than a line is split between characters.
std::vector<std::string> WrapWords(const std::string& text, double width,
                                   const std::function<double(const std::string&)>& measure);

}  // namespace qz::changes
