// Reading the change list text and wrapping its lines.
#include "changes_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qz::changes {
namespace {

TEST(ParseChangeList, ReadsTitleVersionsAndChanges) {
    const std::string text =
        "# comment at the top\n"
        "Список изменений\n"
        "\n"
        "Версия 6.22\n"
        "- Первое изменение.\n"
        "- Второе   изменение.  \n"
        "\n"
        "# a comment between versions\n"
        "Версия 6.21\n"
        "-   Третье.\n";
    const ChangeList list = ParseChangeList(text);
    EXPECT_EQ(list.title, "Список изменений");
    ASSERT_EQ(list.versions.size(), 2u);
    EXPECT_EQ(list.versions[0].heading, "Версия 6.22");
    EXPECT_EQ(list.versions[0].changes, (std::vector<std::string>{"Первое изменение.", "Второе   изменение."}));
    EXPECT_EQ(list.versions[1].heading, "Версия 6.21");
    EXPECT_EQ(list.versions[1].changes, (std::vector<std::string>{"Третье."}));
}

TEST(ParseChangeList, AcceptsWindowsLineEndsAndByteOrderMark) {
    const ChangeList list = ParseChangeList("\xEF\xBB\xBFЗаголовок\r\nВерсия 1.0\r\n- Одно.\r\n");
    EXPECT_EQ(list.title, "Заголовок");
    ASSERT_EQ(list.versions.size(), 1u);
    EXPECT_EQ(list.versions[0].heading, "Версия 1.0");
    EXPECT_EQ(list.versions[0].changes, (std::vector<std::string>{"Одно."}));
}

TEST(ParseChangeList, RejectsFaultsAndNamesTheLine) {
    struct Case {
        const char* what;
        std::string text;
        int line;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"only comments", "# one\n# two\n", 0},
        {"title only", "Заголовок\n", 0},
        {"version heading first", "Версия 6.22\n- Изменение.\n", 1},
        {"change first", "# c\n- Изменение.\n", 2},
        {"change before any version", "Заголовок\n- Изменение.\n", 2},
        {"unknown line", "Заголовок\nВерсия 6.22\n- Одно.\nпросто текст\n", 4},
        {"change without a dash space", "Заголовок\nВерсия 6.22\n-Слитно.\n", 3},
        {"empty change", "Заголовок\nВерсия 6.22\n-    \n", 3},
        {"version without changes", "Заголовок\nВерсия 6.22\n\nВерсия 6.21\n- Одно.\n", 4},
        {"last version without changes", "Заголовок\nВерсия 6.22\n- Одно.\nВерсия 6.21\n", 5},
        {"version without a number", "Заголовок\nВерсия \n- Одно.\n", 2},
        {"version with letters", "Заголовок\nВерсия шесть\n- Одно.\n", 2},
        {"version with a double dot", "Заголовок\nВерсия 6..22\n- Одно.\n", 2},
        {"version ending in a dot", "Заголовок\nВерсия 6.\n- Одно.\n", 2},
        {"not UTF-8 (cp1251)", "\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA\n", 0},
    };
    for (const Case& c : cases) {
        try {
            ParseChangeList(c.text);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const ParseError& e) {
            EXPECT_EQ(e.line(), c.line) << c.what << ": " << e.what();
        }
    }
}

TEST(IsValidUtf8, Table) {
    struct Case {
        const char* what;
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"ascii", "abc", true},
        {"cyrillic", "Версия", true},
        {"three bytes", "\xE2\x80\xA2", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"lone continuation", "\x80", false},
        {"cut short", "\xD0", false},
        {"cut short in three", "\xE2\x80", false},
        {"overlong two bytes", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false},
        {"bad continuation", "\xD0\x41", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.what;
}

TEST(DecodeUtf8, Table) {
    struct Case {
        std::string text;
        std::u32string expected;
    };
    const Case cases[] = {
        {"", U""},
        {"A", U"A"},
        {"Ж", U"\u0416"},
        {"ё•", U"\u0451\u2022"},
        {"a\xF0\x9F\x98\x80" "b", U"a\U0001F600b"},
        {"Версия 6.22", U"\u0412\u0435\u0440\u0441\u0438\u044F 6.22"},
    };
    for (const Case& c : cases) EXPECT_TRUE(DecodeUtf8(c.text) == c.expected) << c.text;
}

// Every character one unit wide, whatever its length in bytes.
double Characters(const std::string& s) {
    double n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80) n += 1;
    }
    return n;
}

TEST(WrapWords, Table) {
    struct Case {
        const char* what;
        std::string text;
        double width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"fits", "раз два три", 20, {"раз два три"}},
        {"exactly fits", "раз два", 7, {"раз два"}},
        {"breaks at spaces", "раз два три четыре", 8, {"раз два", "три", "четыре"}},
        {"runs of spaces", "  раз    два  ", 3, {"раз", "два"}},
        {"long word split by characters", "флеш-накопитель да", 6, {"флеш-н", "акопит", "ель да"}},
        {"long word after a short one", "а абвгдеж", 4, {"а", "абвг", "деж"}},
        {"narrower than one character", "абв", 0.5, {"а", "б", "в"}},
        {"empty", "", 10, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(WrapWords(c.text, c.width, Characters), c.lines) << c.what;
}

std::string WithoutSpaces(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c != ' ') out.push_back(c);
    }
    return out;
}

TEST(WrapWords, NoLineWiderThanAskedAndNothingLost) {
    // The longest word, "предупреждение:", is 15 characters.
    const std::string text = "Перед записью выводится предупреждение: на время обновления отключите от терминала все кабели.";
    for (double width : {8.0, 12.0, 15.0, 20.0, 33.0, 50.0}) {
        std::string joined, packed;
        for (const std::string& line : WrapWords(text, width, Characters)) {
            EXPECT_LE(Characters(line), width) << line;
            EXPECT_FALSE(line.empty() || line.front() == ' ' || line.back() == ' ') << "[" << line << "]";
            joined += (joined.empty() ? "" : " ") + line;
            packed += line;
        }
        // Words are split only when they are wider than a line.
        if (width >= 15.0) {
            EXPECT_EQ(joined, text) << width;
        }
        EXPECT_EQ(WithoutSpaces(packed), WithoutSpaces(text)) << width;
    }
}

}  // namespace
}  // namespace qz::changes
