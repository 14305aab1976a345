// Build-time font generator: reads the VGA console fonts of Debian's
// console-data package and writes a C++ source file with the runtime's two
// built-in glyph tables in code page 437 order, one byte per pixel (0 or 255),
// 8 bytes per glyph row, glyph c at c * 64 (8x8) and c * 128 (8x16).
//
// Usage:
//   tol_fontgen OUT.cpp FONT8x16.psf.gz FONT8x8.psf.gz FONT8x8_SUPPLEMENT.psf.gz
//               CP437.sfm.gz CP437.acm.gz SUPPLEMENT.sfm.gz
//
// Code page 437 to Unicode: the screen-font map cp437.sfm lists, for every
// byte, the Unicode characters its glyph shows (first the main one, then
// substitutes); the charset map cp437.acm adds one more candidate for the
// bytes 0x80 to 0xFF. The map lists the screen-font meaning first because the
// charset map swaps the two dots 0xF9 and 0xFA relative to the VGA glyphs.
//
// The 8x16 font (default8x16) carries a Unicode table: every byte takes the
// glyph of its first candidate the table lists. Byte 0 has no visible
// character and the font lists none for it: it gets an empty glyph.
//
// The 8x8 font (cp865-8x8) has no Unicode table. Its glyphs are in IBM code
// page 865 order, which is code page 437 order except at 0x9B, 0x9D and 0xAF
// (o-slash, O-slash and the currency sign in place of the cent sign, the yen
// sign and the right guillemet). Every other byte takes the glyph at its own
// position; those three take the glyph of their code page 437 character from
// the supplementary font of the same design (cp850-8x8), found through that
// font's own code page map (cp850.sfm).
//
// Any character that cannot be found, a missing or unreadable file, or a file
// that is not a PSF1 font ends the generator with a message and status 1, so
// the build stops there.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "tol_fontgen: %s\n", message.c_str());
    std::exit(1);
}

// Whole content of a gzip-compressed (or plain) file.
std::vector<uint8_t> read_gz(const std::string& path) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) fail("cannot open " + path + " (install the console-data package: tools/deps.sh)");
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    for (;;) {
        int n = gzread(f, buf, sizeof buf);
        if (n < 0) {
            gzclose(f);
            fail("cannot read " + path);
        }
        if (n == 0) break;
        data.insert(data.end(), buf, buf + n);
    }
    gzclose(f);
    return data;
}

struct PsfFont {
    int height = 0;
    int count = 0;
    std::vector<uint8_t> bitmaps;            // count * height bytes, one byte per row
    std::map<uint32_t, int> glyph_of;       // Unicode character -> first glyph showing it
    bool has_unicode = false;
};

// PSF1: magic 0x36 0x04, mode byte (bit 0: 512 glyphs, bit 1: Unicode table),
// glyph height; glyphs 8 pixels wide, one byte per row; the Unicode table is
// a list of little-endian 16-bit values per glyph, ended by 0xFFFF, where
// 0xFFFE starts character sequences (not used for single characters).
PsfFont read_psf1(const std::string& path) {
    std::vector<uint8_t> d = read_gz(path);
    if (d.size() < 4 || d[0] != 0x36 || d[1] != 0x04) fail(path + " is not a PSF1 font");
    PsfFont font;
    int mode = d[2];
    font.height = d[3];
    font.count = (mode & 1) ? 512 : 256;
    size_t glyph_bytes = static_cast<size_t>(font.count) * font.height;
    if (font.height < 1 || d.size() < 4 + glyph_bytes) fail(path + " is truncated");
    font.bitmaps.assign(d.begin() + 4, d.begin() + 4 + glyph_bytes);
    if (mode & 2) {
        font.has_unicode = true;
        size_t p = 4 + glyph_bytes;
        int glyph = 0;
        bool in_sequence = false;
        while (p + 1 < d.size() && glyph < font.count) {
            uint32_t u = d[p] | (d[p + 1] << 8);
            p += 2;
            if (u == 0xFFFF) {
                ++glyph;
                in_sequence = false;
            } else if (u == 0xFFFE) {
                in_sequence = true;
            } else if (!in_sequence) {
                font.glyph_of.emplace(u, glyph);
            }
        }
    }
    return font;
}

// Strip a '#' comment and surrounding blanks.
std::string strip(const std::string& line) {
    std::string s = line.substr(0, line.find('#'));
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> read_lines(const std::string& path) {
    std::vector<uint8_t> d = read_gz(path);
    std::vector<std::string> lines;
    std::string cur;
    for (uint8_t c : d) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(static_cast<char>(c));
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

// Decode one UTF-8 character at s[i]; 0 when malformed.
uint32_t utf8_at(const std::string& s, size_t i) {
    if (i >= s.size()) return 0;
    uint8_t c = static_cast<uint8_t>(s[i]);
    if (c < 0x80) return c;
    int extra = (c >= 0xF0) ? 3 : (c >= 0xE0) ? 2 : (c >= 0xC0) ? 1 : -1;
    if (extra < 0 || i + extra >= s.size()) return 0;
    uint32_t u = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) u = (u << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    return u;
}

// One token of a map file: "U+263a", "0x263a", a decimal number or a quoted
// character 'c'.
bool parse_unicode(const std::string& token, uint32_t* out) {
    if (token.size() >= 3 && token.front() == '\'' && token.back() == '\'') {
        *out = utf8_at(token, 1);
        return *out != 0;
    }
    const char* t = token.c_str();
    int base = 10;
    if ((t[0] == 'U' || t[0] == 'u') && t[1] == '+') {
        t += 2;
        base = 16;
    } else if (t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t += 2;
        base = 16;
    }
    char* end = nullptr;
    unsigned long v = std::strtoul(t, &end, base);
    if (end == t || *end != '\0') return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

// Split on blanks, but keep a quoted character (which may be a blank) whole.
std::vector<std::string> tokens(const std::string& s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == '\t') {
            ++i;
            continue;
        }
        size_t j = i;
        if (s[i] == '\'') {
            j = s.find('\'', i + 1);
            if (j == std::string::npos) j = s.size() - 1;
            ++j;
        } else {
            while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
        }
        out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

using ByteMap = std::map<int, std::vector<uint32_t>>;  // byte -> Unicode candidates

// A screen-font map (.sfm) or charset map (.acm): "BYTE CHAR CHAR ..." lines.
ByteMap read_map(const std::string& path) {
    ByteMap map;
    for (const std::string& raw : read_lines(path)) {
        size_t first = raw.find_first_not_of(" \t\r");
        if (first == std::string::npos || raw[first] == '#') continue;
        // Elsewhere '#' starts a comment, unless the line quotes a character.
        std::string line = raw.find('\'') != std::string::npos ? raw : strip(raw);
        std::vector<std::string> t = tokens(line);
        if (t.size() < 2) continue;
        uint32_t byte = 0;
        if (!parse_unicode(t[0], &byte) || byte > 255) continue;
        for (size_t k = 1; k < t.size(); ++k) {
            if (t[k][0] == '#') break;
            uint32_t u = 0;
            if (parse_unicode(t[k], &u)) map[static_cast<int>(byte)].push_back(u);
        }
    }
    return map;
}

// Glyph index of the first candidate a font's table lists, or -1.
int find_glyph(const PsfFont& font, const std::vector<uint32_t>& candidates) {
    for (uint32_t u : candidates) {
        auto it = font.glyph_of.find(u);
        if (it != font.glyph_of.end()) return it->second;
    }
    return -1;
}

// Append the rows of glyph g of a font as bytes 0/255 (rows top first).
void expand_glyph(const PsfFont& font, int g, std::vector<uint8_t>* out) {
    for (int r = 0; r < font.height; ++r) {
        uint8_t bits = font.bitmaps[static_cast<size_t>(g) * font.height + r];
        for (int x = 0; x < 8; ++x) out->push_back((bits & (0x80 >> x)) ? 255 : 0);
    }
}

void write_table(FILE* f, const char* name, const std::vector<uint8_t>& t) {
    std::fprintf(f, "extern const uint8_t %s[%zu];\nconst uint8_t %s[%zu] = {\n", name, t.size(), name,
                 t.size());
    const size_t per_glyph = t.size() / 256;
    for (size_t i = 0; i < t.size(); i += 8) {
        std::fprintf(f, " ");
        for (size_t k = i; k < i + 8; ++k) std::fprintf(f, " %s,", t[k] ? "255" : "0");
        if (i % per_glyph == 0) std::fprintf(f, "  // glyph %zu", i / per_glyph);
        std::fprintf(f, "\n");
    }
    std::fprintf(f, "};\n\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr,
                     "usage: %s OUT.cpp FONT8x16.psf.gz FONT8x8.psf.gz SUPPLEMENT8x8.psf.gz "
                     "CP437.sfm.gz CP437.acm.gz SUPPLEMENT.sfm.gz\n",
                     argv[0]);
        return 1;
    }
    const std::string out_path = argv[1];
    PsfFont vga16 = read_psf1(argv[2]);
    PsfFont font8 = read_psf1(argv[3]);
    PsfFont supplement8 = read_psf1(argv[4]);
    ByteMap cp437 = read_map(argv[5]);
    ByteMap cp437_acm = read_map(argv[6]);
    ByteMap supplement_map = read_map(argv[7]);

    if (vga16.height != 16 || !vga16.has_unicode) fail(std::string(argv[2]) + ": need an 8x16 font with a Unicode table");
    if (font8.height != 8) fail(std::string(argv[3]) + ": need an 8x8 font");
    if (supplement8.height != 8) fail(std::string(argv[4]) + ": need an 8x8 font");

    // Candidates per byte: the screen-font map first, then the charset map.
    std::vector<std::vector<uint32_t>> candidates(256);
    for (int b = 0; b < 256; ++b) {
        candidates[b] = cp437[b];
        for (uint32_t u : cp437_acm[b]) candidates[b].push_back(u);
        if (candidates[b].empty()) fail("no Unicode character for code page 437 byte " + std::to_string(b));
    }

    // 8x16 through the font's Unicode table.
    std::vector<uint8_t> t16;
    for (int b = 0; b < 256; ++b) {
        int g = find_glyph(vga16, candidates[b]);
        if (g < 0) {
            if (b != 0) fail(std::string(argv[2]) + " has no glyph for code page 437 byte " + std::to_string(b));
            t16.insert(t16.end(), 128, 0);  // NUL: empty cell
            continue;
        }
        expand_glyph(vga16, g, &t16);
    }

    // 8x8: the code page 865 font in place, its three Nordic positions from
    // the supplementary font through its code page map.
    PsfFont supplement = supplement8;
    for (const auto& [byte, chars] : supplement_map)
        for (uint32_t u : chars) supplement.glyph_of.emplace(u, byte);
    std::vector<uint8_t> t8;
    for (int b = 0; b < 256; ++b) {
        if (b == 0x9B || b == 0x9D || b == 0xAF) {
            int g = find_glyph(supplement, candidates[b]);
            if (g < 0) fail(std::string(argv[4]) + " has no glyph for code page 437 byte " + std::to_string(b));
            expand_glyph(supplement, g, &t8);
        } else {
            expand_glyph(font8, b, &t8);
        }
    }

    FILE* f = std::fopen(out_path.c_str(), "w");
    if (!f) fail("cannot write " + out_path);
    std::fprintf(f,
                 "// Generated by tools/fontgen.cpp from the console-data VGA fonts; do not edit.\n"
                 "// Code page 437 glyphs, one byte per pixel (0 or 255), 8 bytes per row.\n"
                 "#include <cstdint>\n\n");
    write_table(f, "font_data_8x8", t8);
    write_table(f, "font_data_8x16", t16);
    if (std::fclose(f) != 0) fail("cannot write " + out_path);
    return 0;
}
