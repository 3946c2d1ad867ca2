// Turns the text pixel map icon.txt into the program's 16 x 16, 16-colour .ico.
// Runs on the build machine, so it uses the standard library only.
//
// Map format: '#' starts a comment line, blank lines are skipped, a line
// "c = colour" gives character c a colour of the standard 16-colour palette
// by name, and every other line is a row of 16 pixels, top row first.
// '.' is transparent and cannot be redefined.
//
// Usage: make_icon <map.txt> <out.ico>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int side = 16;
constexpr char transparent = '.';

struct PaletteColour {
    std::string_view name;
    std::uint8_t r, g, b;
};

// The Windows order of the VGA colours: a 16-colour icon shows these exactly.
constexpr std::array<PaletteColour, 16> palette{{
    {"black", 0x00, 0x00, 0x00},   {"maroon", 0x80, 0x00, 0x00},
    {"green", 0x00, 0x80, 0x00},   {"olive", 0x80, 0x80, 0x00},
    {"navy", 0x00, 0x00, 0x80},    {"purple", 0x80, 0x00, 0x80},
    {"teal", 0x00, 0x80, 0x80},    {"silver", 0xC0, 0xC0, 0xC0},
    {"grey", 0x80, 0x80, 0x80},    {"red", 0xFF, 0x00, 0x00},
    {"lime", 0x00, 0xFF, 0x00},    {"yellow", 0xFF, 0xFF, 0x00},
    {"blue", 0x00, 0x00, 0xFF},    {"fuchsia", 0xFF, 0x00, 0xFF},
    {"aqua", 0x00, 0xFF, 0xFF},    {"white", 0xFF, 0xFF, 0xFF},
}};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Palette index per pixel; -1 is transparent.
using Pixels = std::array<std::array<int, side>, side>;

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

int colour_index(const std::string& name) {
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (palette[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Pixels read_map(std::istream& in, const std::string& file) {
    std::map<char, int> legend{{transparent, -1}};
    std::vector<std::pair<int, std::string>> rows;  // line number, text
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string where = file + ":" + std::to_string(number) + ": ";
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        // Pixel rows hold no spaces, so a space after the first character marks a legend line.
        if (line.size() > 1 && line[1] == ' ') {
            if (line.compare(1, 3, " = ") != 0) {
                throw Failure(where + "a legend line is \"c = colour\"");
            }
            const char c = line[0];
            const std::string name = trim(line.substr(4));
            const int index = colour_index(name);
            if (index < 0) {
                throw Failure(where + "unknown colour \"" + name + "\"");
            }
            if (!legend.emplace(c, index).second) {
                throw Failure(where + "'" + std::string(1, c) + "' is defined twice");
            }
            continue;
        }
        rows.emplace_back(number, line);
    }

    if (rows.size() != side) {
        throw Failure(file + ": " + std::to_string(rows.size()) + " pixel rows, want " +
                       std::to_string(side));
    }
    Pixels pixels{};
    for (int y = 0; y < side; ++y) {
        const auto& [number, text] = rows[y];
        const std::string where = file + ":" + std::to_string(number) + ": ";
        if (text.size() != side) {
            throw Failure(where + std::to_string(text.size()) + " pixels in the row, want " +
                           std::to_string(side));
        }
        for (int x = 0; x < side; ++x) {
            const auto it = legend.find(text[x]);
            if (it == legend.end()) {
                throw Failure(where + "'" + std::string(1, text[x]) + "' is not in the legend");
            }
            pixels[y][x] = it->second;
        }
    }
    return pixels;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
    }
}

// Bitmap rows are padded to whole 32-bit words.
constexpr int stride(int bits_per_pixel) {
    return (side * bits_per_pixel + 31) / 32 * 4;
}

std::vector<std::uint8_t> make_ico(const Pixels& pixels) {
    constexpr int header_size = 40;
    constexpr int palette_size = 16 * 4;
    constexpr int xor_size = stride(4) * side;
    constexpr int and_size = stride(1) * side;
    constexpr int image_size = header_size + palette_size + xor_size + and_size;
    constexpr int image_offset = 6 + 16;

    std::vector<std::uint8_t> out;
    // ICONDIR
    put16(out, 0);
    put16(out, 1);  // icon, not cursor
    put16(out, 1);  // one image
    // ICONDIRENTRY
    out.push_back(side);
    out.push_back(side);
    out.push_back(16);  // colours
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 4);  // bits per pixel
    put32(out, image_size);
    put32(out, image_offset);
    // BITMAPINFOHEADER; the height counts the XOR and the AND bitmap together.
    put32(out, header_size);
    put32(out, side);
    put32(out, 2 * side);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);  // BI_RGB
    put32(out, xor_size + and_size);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (const auto& colour : palette) {
        out.push_back(colour.b);
        out.push_back(colour.g);
        out.push_back(colour.r);
        out.push_back(0);
    }
    // XOR bitmap, bottom row first, high nibble is the left pixel. Transparent
    // pixels are black so that the AND mask leaves the screen as it is.
    for (int y = side - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride(4), 0);
        for (int x = 0; x < side; ++x) {
            const int index = pixels[y][x] < 0 ? 0 : pixels[y][x];
            row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    // AND mask, bottom row first, most significant bit is the left pixel.
    for (int y = side - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride(1), 0);
        for (int x = 0; x < side; ++x) {
            if (pixels[y][x] < 0) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_icon <map.txt> <out.ico>\n";
        return 2;
    }
    const std::string map_file = argv[1];
    const std::string ico_file = argv[2];
    try {
        std::ifstream in(map_file);
        if (!in) {
            throw Failure(map_file + ": cannot open");
        }
        const auto ico = make_ico(read_map(in, map_file));
        std::ofstream out(ico_file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
        out.close();
        if (!out) {
            throw Failure(ico_file + ": cannot write");
        }
    } catch (const Failure& e) {
        // An icon from an older map must not outlive a failed run.
        std::remove(ico_file.c_str());
        std::cerr << "make_icon: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
