// Test helper: 32-bit frames and screenshot files read back as text (see
// frame_text.h). Files are decoded by ImageMagick's convert into binary PPM.
#include "tests/support/frame_text.h"

#include <cctype>
#include <cstdio>
#include <sys/wait.h>

#include "tests/support/glyph_match.h"
#include "tests/support/screen_text.h"

namespace {

void set_error(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// The path quoted for the shell: inside single quotes, ' becomes '\''.
std::string shell_quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Next header field of a binary PPM, skipping blanks and '#' comments.
bool ppm_number(const std::vector<uint8_t>& d, size_t* p, long* value) {
    for (;;) {
        while (*p < d.size() && std::isspace(d[*p])) ++*p;
        if (*p < d.size() && d[*p] == '#') {
            while (*p < d.size() && d[*p] != '\n') ++*p;
            continue;
        }
        break;
    }
    size_t start = *p;
    long v = 0;
    while (*p < d.size() && d[*p] >= '0' && d[*p] <= '9' && v < 1000000) v = v * 10 + (d[(*p)++] - '0');
    *value = v;
    return *p > start;
}

}  // namespace

FrameCell FrameText::cell(int r, int c) const {
    if (r < 1 || c < 1 || r > rows || c > columns) return FrameCell{};
    return cells[static_cast<size_t>(r - 1) * columns + (c - 1)];
}

std::string FrameText::row(int r, bool trim, char unknown) const {
    std::string text;
    for (int c = 1; c <= columns; ++c) {
        FrameCell fc = cell(r, c);
        text.push_back(fc.known ? static_cast<char>(fc.ch) : unknown);
    }
    return trim ? trim_right(text) : text;
}

std::vector<std::string> FrameText::lines(bool trim, char unknown) const {
    std::vector<std::string> out;
    for (int r = 1; r <= rows; ++r) out.push_back(row(r, trim, unknown));
    if (trim) drop_trailing_empty(&out);
    return out;
}

std::string FrameText::dump() const {
    std::string text;
    for (const std::string& line : lines()) text += line + "\n";
    return text;
}

FrameText frame_text_from_pixels(const uint32_t* pixels, int width, int height, int cell_height) {
    FrameText text;
    if (!pixels || width < 8 || cell_height < 1 || height < cell_height) return text;
    text.columns = width / 8;
    text.rows = height / cell_height;
    text.cells.resize(static_cast<size_t>(text.columns) * text.rows);
    std::vector<uint32_t> colours(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = pixels[i] & 0xFFFFFFu;
    const uint32_t background = most_common_colour(colours.data(), colours.size());
    colours.assign(static_cast<size_t>(8) * cell_height, 0);
    for (int r = 0; r < text.rows; ++r)
        for (int c = 0; c < text.columns; ++c) {
            for (int y = 0; y < cell_height; ++y)
                for (int x = 0; x < 8; ++x)
                    colours[y * 8 + x] =
                        pixels[static_cast<size_t>(r * cell_height + y) * width + c * 8 + x] & 0xFFFFFFu;
            GlyphMatch m = match_glyph_cell(colours.data(), 8, cell_height, &background);
            text.cells[static_cast<size_t>(r) * text.columns + c] = {m.ch, m.known, m.fg_known, m.fg, m.bg};
        }
    return text;
}

bool load_image_pixels(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels,
                       std::string* error) {
    std::string command = "convert " + shell_quote(path) + " -depth 8 ppm:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        set_error(error, "cannot run convert");
        return false;
    }
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) data.insert(data.end(), buf, buf + n);
    int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        set_error(error, "convert could not read " + path);
        return false;
    }
    size_t p = 2;
    long w = 0, h = 0, maxval = 0;
    if (data.size() < 2 || data[0] != 'P' || data[1] != '6' || !ppm_number(data, &p, &w) ||
        !ppm_number(data, &p, &h) || !ppm_number(data, &p, &maxval) || maxval != 255 || w < 1 || h < 1) {
        set_error(error, "unexpected output of convert for " + path);
        return false;
    }
    ++p;  // the single blank after the header
    size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (data.size() < p + count * 3) {
        set_error(error, "truncated image data for " + path);
        return false;
    }
    pixels->resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* rgb = &data[p + i * 3];
        (*pixels)[i] = 0xFF000000u | (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool frame_text_from_file(const std::string& path, FrameText* out, std::string* error, int cell_height) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!load_image_pixels(path, &w, &h, &pixels, error)) return false;
    *out = frame_text_from_pixels(pixels.data(), w, h, cell_height);
    return true;
}
