// Reads the PNG files that the picture tests get from real renderers, so that
// a test can look at the pixels: 8-bit RGB or RGBA, not interlaced (what
// rsvg-convert and Chromium write). Small and self-contained on purpose: the
// tests need no image library.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace orrery::testing {

struct Image {
    unsigned width = 0, height = 0;
    std::vector<std::array<std::uint8_t, 4>> pixels;  // RGBA, row by row
};

namespace png_detail {

class BitReader {
public:
    explicit BitReader(const std::vector<std::uint8_t>& in, std::size_t pos) : in_(in), pos_(pos) {}
    unsigned bits(int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            if (pos_ >= in_.size()) throw std::runtime_error("png: deflate data ends early");
            v |= ((in_[pos_] >> bit_) & 1u) << i;
            if (++bit_ == 8) bit_ = 0, ++pos_;
        }
        return v;
    }
    void align() {
        if (bit_) bit_ = 0, ++pos_;
    }
    std::uint8_t byte() {
        if (pos_ >= in_.size()) throw std::runtime_error("png: deflate data ends early");
        return in_[pos_++];
    }

private:
    const std::vector<std::uint8_t>& in_;
    std::size_t pos_;
    int bit_ = 0;
};

// A canonical Huffman code as counts per length and symbols in order.
struct Huffman {
    std::array<unsigned, 16> count{};
    std::vector<unsigned> symbol;
    explicit Huffman(const std::vector<unsigned>& lengths) {
        for (unsigned l : lengths) ++count[l];
        count[0] = 0;
        std::array<unsigned, 16> offs{};
        for (int l = 1; l < 16; ++l) offs[l] = offs[l - 1] + count[l - 1];
        symbol.resize(lengths.size());
        for (unsigned s = 0; s < lengths.size(); ++s)
            if (lengths[s]) symbol[offs[lengths[s]]++] = s;
    }
    unsigned decode(BitReader& r) const {
        int code = 0, first = 0, index = 0;
        for (int l = 1; l < 16; ++l) {
            code |= static_cast<int>(r.bits(1));
            int c = static_cast<int>(count[l]);
            if (code - c < first) return symbol[index + (code - first)];
            index += c;
            first += c;
            first <<= 1;
            code <<= 1;
        }
        throw std::runtime_error("png: bad Huffman code");
    }
};

inline std::vector<std::uint8_t> inflate(const std::vector<std::uint8_t>& z) {
    if (z.size() < 2 || (z[0] & 0x0F) != 8) throw std::runtime_error("png: not a deflate stream");
    static const unsigned LBASE[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                                     35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const unsigned LEXTRA[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const unsigned DBASE[] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                                     193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const unsigned DEXTRA[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    std::vector<std::uint8_t> out;
    BitReader r(z, 2);
    for (bool last = false; !last;) {
        last = r.bits(1);
        unsigned type = r.bits(2);
        if (type == 0) {
            r.align();
            unsigned len = r.byte() | (r.byte() << 8);
            r.byte(), r.byte();
            for (unsigned i = 0; i < len; ++i) out.push_back(r.byte());
            continue;
        }
        if (type == 3) throw std::runtime_error("png: bad block type");
        std::vector<unsigned> lengths;
        std::size_t nlen = 288, ndist = 30;
        if (type == 1) {
            lengths.assign(288, 8);
            for (int i = 144; i < 256; ++i) lengths[i] = 9;
            for (int i = 256; i < 280; ++i) lengths[i] = 7;
            lengths.resize(288 + 30, 5);
        } else {
            nlen = r.bits(5) + 257, ndist = r.bits(5) + 1;
            unsigned ncode = r.bits(4) + 4;
            static const int ORDER[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
            std::vector<unsigned> cl(19, 0);
            for (unsigned i = 0; i < ncode; ++i) cl[ORDER[i]] = r.bits(3);
            Huffman code_lengths(cl);
            while (lengths.size() < nlen + ndist) {
                unsigned sym = code_lengths.decode(r);
                if (sym < 16) {
                    lengths.push_back(sym);
                } else {
                    unsigned repeat = 0, value = 0;
                    if (sym == 16) {
                        if (lengths.empty()) throw std::runtime_error("png: bad repeat");
                        value = lengths.back(), repeat = 3 + r.bits(2);
                    } else if (sym == 17) {
                        repeat = 3 + r.bits(3);
                    } else {
                        repeat = 11 + r.bits(7);
                    }
                    lengths.insert(lengths.end(), repeat, value);
                }
            }
        }
        Huffman lit(std::vector<unsigned>(lengths.begin(), lengths.begin() + nlen));
        Huffman dist(std::vector<unsigned>(lengths.begin() + nlen, lengths.begin() + nlen + ndist));
        for (;;) {
            unsigned sym = lit.decode(r);
            if (sym < 256) {
                out.push_back(static_cast<std::uint8_t>(sym));
            } else if (sym == 256) {
                break;
            } else {
                sym -= 257;
                if (sym >= 29) throw std::runtime_error("png: bad length");
                unsigned len = LBASE[sym] + r.bits(LEXTRA[sym]);
                unsigned ds = dist.decode(r);
                if (ds >= 30) throw std::runtime_error("png: bad distance");
                std::size_t d = DBASE[ds] + r.bits(DEXTRA[ds]);
                if (d > out.size()) throw std::runtime_error("png: distance too far back");
                for (unsigned i = 0; i < len; ++i) out.push_back(out[out.size() - d]);
            }
        }
    }
    return out;
}

}  // namespace png_detail

inline Image decode_png(const std::string& file) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(file.data());
    static const std::uint8_t SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || !std::equal(SIGNATURE, SIGNATURE + 8, b)) throw std::runtime_error("png: not a PNG file");
    auto be32 = [&](std::size_t at) {
        return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) |
               std::uint32_t(b[at + 3]);
    };
    Image img;
    unsigned channels = 0;
    std::vector<std::uint8_t> idat;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        std::uint32_t len = be32(at);
        std::string type = file.substr(at + 4, 4);
        std::size_t data = at + 8;
        if (data + len + 4 > file.size()) throw std::runtime_error("png: chunk runs past the end");
        if (type == "IHDR") {
            img.width = be32(data), img.height = be32(data + 4);
            unsigned depth = b[data + 8], colour = b[data + 9], interlace = b[data + 12];
            if (depth != 8 || (colour != 2 && colour != 6) || interlace != 0)
                throw std::runtime_error("png: only 8-bit RGB or RGBA without interlacing is read here");
            channels = colour == 6 ? 4 : 3;
        } else if (type == "IDAT") {
            idat.insert(idat.end(), b + data, b + data + len);
        } else if (type == "IEND") {
            break;
        }
        at = data + len + 4;
    }
    if (!channels) throw std::runtime_error("png: no header");
    std::vector<std::uint8_t> raw = png_detail::inflate(idat);
    const std::size_t stride = std::size_t(img.width) * channels;
    if (raw.size() < (stride + 1) * img.height) throw std::runtime_error("png: too little image data");
    std::vector<std::uint8_t> prev(stride, 0), row(stride);
    img.pixels.reserve(std::size_t(img.width) * img.height);
    for (unsigned y = 0; y < img.height; ++y) {
        const std::uint8_t* in = &raw[y * (stride + 1)];
        unsigned filter = in[0];
        for (std::size_t i = 0; i < stride; ++i) {
            int a = i >= channels ? row[i - channels] : 0, up = prev[i], c = i >= channels ? prev[i - channels] : 0;
            int x = in[i + 1], v = 0;
            switch (filter) {
                case 0: v = x; break;
                case 1: v = x + a; break;
                case 2: v = x + up; break;
                case 3: v = x + (a + up) / 2; break;
                case 4: {
                    int p = a + up - c, pa = std::abs(p - a), pb = std::abs(p - up), pc = std::abs(p - c);
                    v = x + (pa <= pb && pa <= pc ? a : pb <= pc ? up : c);
                    break;
                }
                default: throw std::runtime_error("png: bad filter");
            }
            row[i] = static_cast<std::uint8_t>(v);
        }
        for (unsigned x = 0; x < img.width; ++x) {
            const std::uint8_t* p = &row[std::size_t(x) * channels];
            img.pixels.push_back({p[0], p[1], p[2], channels == 4 ? p[3] : std::uint8_t(255)});
        }
        prev.swap(row);
    }
    return img;
}

}  // namespace orrery::testing
