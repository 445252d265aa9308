#include "changes_text.h"

#include <cstddef>
#include <cstdint>

namespace qz::changes {

namespace {

const std::string kVersionPrefix = "Версия ";
const std::string kChangePrefix = "- ";

std::string TrimRight(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r')) --end;
    return s.substr(0, end);
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// A version number: digits separated by single dots, e.g. 6.22.
bool IsVersionNumber(const std::string& s) {
    if (s.empty() || s.front() == '.' || s.back() == '.') return false;
    char previous = '.';
    for (char c : s) {
        if (c == '.') {
            if (previous == '.') return false;
        } else if (c < '0' || c > '9') {
            return false;
        }
        previous = c;
    }
    return true;
}

// The length in bytes of the UTF-8 character that starts at `at`.
std::size_t CharLength(const std::string& s, std::size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    std::size_t n = 1;
    if (lead >= 0xF0) n = 4;
    else if (lead >= 0xE0) n = 3;
    else if (lead >= 0xC0) n = 2;
    return at + n <= s.size() ? n : s.size() - at;
}

}  // namespace

bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t n;
        std::uint32_t cp;
        if (lead < 0x80) { ++i; continue; }
        if (lead >= 0xC2 && lead <= 0xDF) { n = 1; cp = lead & 0x1Fu; }
        else if (lead >= 0xE0 && lead <= 0xEF) { n = 2; cp = lead & 0x0Fu; }
        else if (lead >= 0xF0 && lead <= 0xF4) { n = 3; cp = lead & 0x07u; }
        else return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= text.size()) return false;
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0u) != 0x80u) return false;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += n + 1;
    }
    return true;
}

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = CharLength(text, at);
        const auto lead = static_cast<unsigned char>(text[at]);
        char32_t cp = n == 1 ? lead : lead & (0xFFu >> (n + 1));
        for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3Fu);
        out.push_back(cp);
        at += n;
    }
    return out;
}

ChangeList ParseChangeList(const std::string& text) {
    if (!IsValidUtf8(text)) throw ParseError(0, "the text is not valid UTF-8");
    std::string body = text;
    if (StartsWith(body, "\xEF\xBB\xBF")) body.erase(0, 3);  // a byte order mark

    ChangeList list;
    bool haveTitle = false;
    int number = 0;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string::npos) end = body.size();
        const std::string line = TrimRight(body.substr(start, end - start));
        start = end + 1;
        ++number;

        if (line.empty() || line[0] == '#') continue;
        if (!haveTitle) {
            if (StartsWith(line, kVersionPrefix) || StartsWith(line, kChangePrefix)) {
                throw ParseError(number, "the text must open with a title line");
            }
            list.title = line;
            haveTitle = true;
        } else if (StartsWith(line, kVersionPrefix)) {
            if (!list.versions.empty() && list.versions.back().changes.empty()) {
                throw ParseError(number, "the version before this one lists no changes");
            }
            if (!IsVersionNumber(line.substr(kVersionPrefix.size()))) {
                throw ParseError(number, "a version heading is \"Версия\" and a number such as 6.22");
            }
            list.versions.push_back(Version{line, {}});
        } else if (StartsWith(line, kChangePrefix)) {
            if (list.versions.empty()) throw ParseError(number, "a change stands before any version heading");
            std::string change = line.substr(kChangePrefix.size());
            const std::size_t first = change.find_first_not_of(" \t");
            if (first == std::string::npos) throw ParseError(number, "an empty change line");
            list.versions.back().changes.push_back(change.substr(first));
        } else {
            throw ParseError(number, "a line that is neither a version heading nor a change (\"- ...\")");
        }
    }
    if (!haveTitle) throw ParseError(0, "the text has no title");
    if (list.versions.empty()) throw ParseError(0, "the text lists no versions");
    if (list.versions.back().changes.empty()) throw ParseError(number, "the last version lists no changes");
    return list;
}

std::vector<std::string> WrapWords(const std::string& text, double width,
                                   const std::function<double(const std::string&)>& measure) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t space = text.find(' ', at);
        const std::size_t end = space == std::string::npos ? text.size() : space;
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }

    std::vector<std::string> lines;
    std::string line;
    for (const std::string& word : words) {
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (measure(candidate) <= width) {
            line = candidate;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
        if (measure(word) <= width) {
            line = word;
            continue;
        }
        // Too wide for any line: as many characters as fit, at least one.
        for (std::size_t at = 0; at < word.size();) {
            const std::size_t n = CharLength(word, at);
            const std::string grown = line + word.substr(at, n);
            if (!line.empty() && measure(grown) > width) {
                lines.push_back(line);
                line.clear();
                continue;
            }
            line = grown;
            at += n;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace qz::changes
