// Typesets the list of the program's changes as the PDF it embeds.
//
//   qz_gen_changes <changes.txt> <out.pdf>
//
// Reads the list (format in changes_text.h) and sets it on A4 pages with
// DejaVu Sans: the title, then for every version a bold heading and its
// changes as a bulleted list, wrapped to the line and carried on to a new
// page when one is full. The file is PDF 1.4 and the same bytes on every run:
// its dates are fixed (SOURCE_DATE_EPOCH, when set, gives them instead).
#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "changes_text.h"

namespace {

// The document's date when SOURCE_DATE_EPOCH does not give one: the day 6.22
// was released.
constexpr const char* kFixedDate = "2024-03-15T12:00:00Z";

constexpr const char* kFontFamily = "DejaVu Sans";

// A4 in points, with 20 mm margins.
constexpr double kPageWidth = 595.276;
constexpr double kPageHeight = 841.890;
constexpr double kMargin = 56.693;
constexpr double kLeft = kMargin;
constexpr double kRight = kPageWidth - kMargin;
constexpr double kTop = kMargin;
constexpr double kBottom = kPageHeight - kMargin;
constexpr double kFooterBaseline = kPageHeight - 28.0;

constexpr double kTitleSize = 18.0;
constexpr double kHeadingSize = 13.0;
constexpr double kBodySize = 11.0;
constexpr double kFooterSize = 8.5;
constexpr double kLeading = 1.35;         // line pitch as a multiple of the font size
constexpr double kBulletX = kLeft + 6.0;
constexpr double kTextX = kLeft + 20.0;   // changes, and their wrapped lines
constexpr double kGapAfterTitle = 14.0;
constexpr double kGapBeforeHeading = 12.0;
constexpr double kGapAfterHeading = 3.0;
constexpr double kGapBetweenChanges = 2.5;
constexpr std::size_t kKeepTogether = 4;  // lines of a change never split

struct Colour {
    double r, g, b;
};
constexpr Colour kInk{0.10, 0.10, 0.10};
constexpr Colour kHeadingInk{0.00, 0.25, 0.55};
constexpr Colour kRuleInk{0.55, 0.55, 0.55};
constexpr Colour kFooterInk{0.45, 0.45, 0.45};

// "2024-03-15T12:00:00Z" for SOURCE_DATE_EPOCH when it holds a whole number
// of seconds, else the fixed date.
std::string DocumentDate() {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') return kFixedDate;
    char* end = nullptr;
    errno = 0;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (errno != 0 || *end != '\0' || seconds < 0) {
        std::fprintf(stderr, "qz_gen_changes: SOURCE_DATE_EPOCH is not a number of seconds, using %s\n", kFixedDate);
        return kFixedDate;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (gmtime_r(&t, &utc) == nullptr) return kFixedDate;
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// The footer of a page.
std::string PageLabel(int page) { return "Страница " + std::to_string(page); }

class Typesetter {
public:
    explicit Typesetter(cairo_surface_t* surface) : cr_(cairo_create(surface)) {}
    ~Typesetter() { cairo_destroy(cr_); }
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    void Title(const std::string& title) {
        SetFont(true, kTitleSize);
        for (const std::string& line : Wrap(title, kRight - kLeft)) {
            Line(kLeft, line, kTitleSize, kInk);
        }
        y_ += 4.0;
        SetColour(kRuleInk);
        cairo_set_line_width(cr_, 0.75);
        cairo_move_to(cr_, kLeft, y_);
        cairo_line_to(cr_, kRight, y_);
        cairo_stroke(cr_);
        y_ += kGapAfterTitle;
        firstHeading_ = true;
    }

    void Version(const qz::changes::Version& version) {
        // The heading never stays alone at the foot of a page: it goes
        // together with as much of its first change as is kept together.
        const double gap = firstHeading_ ? 0.0 : kGapBeforeHeading;
        firstHeading_ = false;
        const double needed = gap + Pitch(kHeadingSize) + kGapAfterHeading + KeptHeight(ChangeLines(version.changes.front()).size());
        if (!Fits(needed)) {
            NewPage();
        } else {
            y_ += gap;
        }
        SetFont(true, kHeadingSize);
        Line(kLeft, version.heading, kHeadingSize, kHeadingInk);
        y_ += kGapAfterHeading;
        for (const std::string& change : version.changes) Change(change);
    }

    // Ends the last page.
    void Finish() {
        Footer();
        cairo_show_page(cr_);
    }

    cairo_status_t Status() const { return cairo_status(cr_); }

    // Empty when fontconfig gives DejaVu Sans for both weights and it has a
    // glyph for every character of the text; else what is wrong. Without
    // this a missing font would pass unseen, set in some fallback face.
    std::string CheckFonts(const std::u32string& text) {
        for (bool bold : {false, true}) {
            const char* name = bold ? "DejaVu Sans Bold" : "DejaVu Sans";
            SetFont(bold, kBodySize);
            cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr_);
            if (cairo_scaled_font_get_type(scaled) != CAIRO_FONT_TYPE_FT) return std::string(name) + " is not available";
            FT_Face face = cairo_ft_scaled_font_lock_face(scaled);
            if (face == nullptr) return std::string(name) + " cannot be loaded";
            std::string problem;
            const bool isBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
            if (face->family_name == nullptr || std::string(face->family_name) != kFontFamily || isBold != bold) {
                problem = std::string(name) + " is not installed (fonts-dejavu-core); fontconfig offers " +
                          (face->family_name != nullptr ? face->family_name : "an unnamed font") + " " +
                          (face->style_name != nullptr ? face->style_name : "");
            }
            for (char32_t c : text) {
                if (!problem.empty()) break;
                if (c >= 0x20 && FT_Get_Char_Index(face, c) == 0) {
                    char code[16];
                    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
                    problem = std::string(name) + " has no glyph for " + code;
                }
            }
            cairo_ft_scaled_font_unlock_face(scaled);
            if (!problem.empty()) return problem;
        }
        return {};
    }

private:
    std::vector<std::string> ChangeLines(const std::string& change) {
        SetFont(false, kBodySize);
        return Wrap(change, kRight - kTextX);
    }

    // How much of a change must stand on one page: the whole of it when it
    // has a few lines, else its first line; a longer one may break between
    // its lines.
    double KeptHeight(std::size_t lines) const {
        return static_cast<double>(lines <= kKeepTogether ? lines : 1) * Pitch(kBodySize);
    }

    void Change(const std::string& change) {
        const std::vector<std::string> lines = ChangeLines(change);
        if (!Fits(KeptHeight(lines.size()))) NewPage();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!Fits(Pitch(kBodySize))) NewPage();
            SetFont(false, kBodySize);
            if (i == 0) Text(kBulletX, Baseline(kBodySize), "\u2022", kInk);
            Line(kTextX, lines[i], kBodySize, kInk);
        }
        y_ += kGapBetweenChanges;
    }

    double Pitch(double size) const { return size * kLeading; }
    double Baseline(double size) const { return y_ + size; }
    bool Fits(double height) const { return y_ + height <= kBottom; }

    void SetFont(bool bold, double size) {
        cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr_, size);
    }

    void SetColour(Colour c) { cairo_set_source_rgb(cr_, c.r, c.g, c.b); }

    double Measure(const std::string& text) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr_, text.c_str(), &extents);
        return extents.x_advance;
    }

    std::vector<std::string> Wrap(const std::string& text, double width) {
        return qz::changes::WrapWords(text, width, [this](const std::string& s) { return Measure(s); });
    }

    void Text(double x, double baseline, const std::string& text, Colour colour) {
        SetColour(colour);
        cairo_move_to(cr_, x, baseline);
        cairo_show_text(cr_, text.c_str());
    }

    // Sets one line at the current position and moves down by its pitch.
    void Line(double x, const std::string& text, double size, Colour colour) {
        Text(x, Baseline(size), text, colour);
        y_ += Pitch(size);
    }

    void Footer() {
        const std::string text = PageLabel(page_);
        SetFont(false, kFooterSize);
        const double width = Measure(text);
        Text((kPageWidth - width) / 2.0, kFooterBaseline, text, kFooterInk);
    }

    void NewPage() {
        Footer();
        cairo_show_page(cr_);
        ++page_;
        y_ = kTop;
    }

    cairo_t* cr_;
    double y_ = kTop;
    int page_ = 1;
    bool firstHeading_ = true;
};

// The whole file; an empty string and a reason when it cannot be read.
bool ReadText(const std::string& path, std::string& text, std::string& reason) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = errno != 0 ? std::strerror(errno) : "cannot open";
        return false;
    }
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {  // a folder, or a read error
        reason = errno != 0 ? std::strerror(errno) : "read error";
        return false;
    }
    if (in.bad()) {
        reason = "read error";
        return false;
    }
    return true;
}

// Drops the surface and whatever it has written.
int Fail(cairo_surface_t* surface, const std::string& output) {
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
    std::remove(output.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qz_gen_changes <changes.txt> <out.pdf>\n");
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];

    std::string text, reason;
    if (!ReadText(input, text, reason)) {
        std::fprintf(stderr, "qz_gen_changes: cannot read %s: %s\n", input.c_str(), reason.c_str());
        return 1;
    }
    qz::changes::ChangeList list;
    try {
        list = qz::changes::ParseChangeList(text);
    } catch (const qz::changes::ParseError& e) {
        if (e.line() > 0) {
            std::fprintf(stderr, "%s:%d: %s\n", input.c_str(), e.line(), e.what());
        } else {
            std::fprintf(stderr, "%s: %s\n", input.c_str(), e.what());
        }
        return 1;
    }

    cairo_surface_t* surface = cairo_pdf_surface_create(output.c_str(), kPageWidth, kPageHeight);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "qz_gen_changes: cannot write %s: %s\n", output.c_str(),
                     cairo_status_to_string(cairo_surface_status(surface)));
        cairo_surface_destroy(surface);
        return 1;
    }
    cairo_pdf_surface_restrict_to_version(surface, CAIRO_PDF_VERSION_1_4);
    const std::string date = DocumentDate();
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, list.title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, date.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_MOD_DATE, date.c_str());

    cairo_status_t status;
    {
        Typesetter setter(surface);
        const std::string fonts = setter.CheckFonts(qz::changes::DecodeUtf8(text + "\u2022" + PageLabel(1)));
        if (!fonts.empty()) {
            std::fprintf(stderr, "qz_gen_changes: %s\n", fonts.c_str());
            return Fail(surface, output);
        }
        setter.Title(list.title);
        for (const qz::changes::Version& version : list.versions) setter.Version(version);
        setter.Finish();
        status = setter.Status();
    }
    cairo_surface_finish(surface);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "qz_gen_changes: cannot write %s: %s\n", output.c_str(), cairo_status_to_string(status));
        return Fail(surface, output);
    }
    cairo_surface_destroy(surface);
    return 0;
}
