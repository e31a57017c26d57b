#include "render/png_codec.h"

#include <libdeflate.h>
#include <png.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The PNG container around one zlib stream: signature, header, the palette
// when there is one, all image data in one chunk, end.
class PngWriter {
public:
    void Chunk(const char type[4], const unsigned char* body, size_t length) {
        AppendBigEndian(static_cast<uint32_t>(length));
        const size_t typeAt = out.size();
        out.append(type, 4);
        if (length) out.append(reinterpret_cast<const char*>(body), length);
        const auto* crcFrom = reinterpret_cast<const unsigned char*>(out.data() + typeAt);
        AppendBigEndian(libdeflate_crc32(0, crcFrom, length + 4));
    }
    void AppendBigEndian(uint32_t v) {
        const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                               static_cast<char>(v)};
        out.append(bytes, 4);
    }
    std::string out = "\x89PNG\r\n\x1a\n";
};

// Deflate's fastest level on a whole picture at once: charts are runs of
// flat colour, which it packs about as well as the slower levels. One
// compressor per thread, kept between pictures, so a picture pays no set-up.
libdeflate_compressor* Compressor() {
    struct Owned {
        libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
        ~Owned() { libdeflate_free_compressor(compressor); }
    };
    thread_local Owned owned;
    return owned.compressor;
}

// A chart has a few dozen colours (the flat ones and text's blends): at most
// 256 become a palette, one byte a pixel, a third of the RGB rows deflate has
// to read. Writes the rows as PNG stores them (a filter byte, none, before
// each row of indices) into `rows`; returns false past 256 colours.
bool IndexedRows(const PixelBuffer& buffer, std::vector<Colour>& palette, std::vector<unsigned char>& rows) {
    // Open addressing over 1024 slots: never more than a quarter full.
    constexpr size_t kSlots = 1024;
    int16_t slots[kSlots];
    std::fill_n(slots, kSlots, int16_t{-1});
    palette.reserve(256);
    const size_t width = static_cast<size_t>(buffer.width);
    rows.resize((width + 1) * static_cast<size_t>(buffer.height));
    Colour last = buffer.pixels[0] + 1;   // differs from the first pixel
    unsigned char lastIndex = 0;
    unsigned char* dst = rows.data();
    for (size_t y = 0; y < static_cast<size_t>(buffer.height); ++y) {
        *dst++ = 0;
        const Colour* src = &buffer.pixels[y * width];
        for (size_t x = 0; x < width; ++x) {
            const Colour c = src[x];
            if (c != last) {
                size_t slot = (c * 0x9E3779B1u) >> 22;
                while (slots[slot] >= 0 && palette[static_cast<size_t>(slots[slot])] != c) slot = (slot + 1) % kSlots;
                if (slots[slot] < 0) {
                    if (palette.size() == 256) return false;
                    slots[slot] = static_cast<int16_t>(palette.size());
                    palette.push_back(c);
                }
                last = c;
                lastIndex = static_cast<unsigned char>(slots[slot]);
            }
            *dst++ = lastIndex;
        }
    }
    return true;
}

// The rows of a picture with more colours: a filter byte (none) before each
// row of red, green, blue.
void RgbRows(const PixelBuffer& buffer, std::vector<unsigned char>& rows) {
    const size_t width = static_cast<size_t>(buffer.width);
    rows.resize((1 + 3 * width) * static_cast<size_t>(buffer.height));
    unsigned char* dst = rows.data();
    for (size_t y = 0; y < static_cast<size_t>(buffer.height); ++y) {
        *dst++ = 0;
        const Colour* src = &buffer.pixels[y * width];
        for (size_t x = 0; x < width; ++x, dst += 3) {
            dst[0] = static_cast<unsigned char>(src[x]);   // red is the low byte
            dst[1] = static_cast<unsigned char>(src[x] >> 8);
            dst[2] = static_cast<unsigned char>(src[x] >> 16);
        }
    }
}

// Each thread keeps its row and output storage between pictures: a fresh
// megabyte-sized buffer per picture costs more in page faults than deflate.
struct Scratch {
    std::vector<unsigned char> rows;
    std::vector<unsigned char> packed;
};

struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

std::optional<PixelBuffer> FinishRead(PngImage& png) {
    if (PNG_IMAGE_FAILED(png.image)) return std::nullopt;
    png.image.format = PNG_FORMAT_RGB;
    const auto width = static_cast<int32_t>(png.image.width);
    const auto height = static_cast<int32_t>(png.image.height);
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png.image));
    if (!png_image_finish_read(&png.image, nullptr, rgb.data(), 0, nullptr)) return std::nullopt;
    PixelBuffer buffer(width, height);
    for (size_t i = 0; i < buffer.pixels.size(); ++i)
        buffer.pixels[i] = rgb[3 * i] | (Colour{rgb[3 * i + 1]} << 8) | (Colour{rgb[3 * i + 2]} << 16);
    return buffer;
}

}   // namespace

std::optional<std::string> EncodePng(const PixelBuffer& buffer) {
    if (buffer.width <= 0 || buffer.height <= 0) return std::nullopt;
    thread_local Scratch scratch;
    std::vector<Colour> palette;
    const bool indexed = IndexedRows(buffer, palette, scratch.rows);
    if (!indexed) RgbRows(buffer, scratch.rows);
    libdeflate_compressor* compressor = Compressor();
    if (!compressor) return std::nullopt;
    std::vector<unsigned char>& packed = scratch.packed;
    packed.resize(libdeflate_zlib_compress_bound(compressor, scratch.rows.size()));
    const size_t packedSize =
        libdeflate_zlib_compress(compressor, scratch.rows.data(), scratch.rows.size(), packed.data(), packed.size());
    if (packedSize == 0) return std::nullopt;

    PngWriter png;
    unsigned char header[13] = {};
    for (int k = 0; k < 4; ++k) {
        header[k] = static_cast<unsigned char>(static_cast<uint32_t>(buffer.width) >> (24 - 8 * k));
        header[4 + k] = static_cast<unsigned char>(static_cast<uint32_t>(buffer.height) >> (24 - 8 * k));
    }
    header[8] = 8;                 // bits per sample or per index
    header[9] = indexed ? 3 : 2;   // palette or RGB; compression, filter and interlace stay 0
    png.Chunk("IHDR", header, sizeof header);
    if (indexed) {
        std::vector<unsigned char> entries;
        for (Colour c : palette)
            entries.insert(entries.end(), {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                                           static_cast<unsigned char>(c >> 16)});
        png.Chunk("PLTE", entries.data(), entries.size());
    }
    png.Chunk("IDAT", packed.data(), packedSize);
    png.Chunk("IEND", nullptr, 0);
    return std::move(png.out);
}

bool WritePngFile(const fs::path& path, const PixelBuffer& buffer, std::string& error) {
    const auto bytes = EncodePng(buffer);
    if (!bytes) {
        error = "cannot encode the picture";
        return false;
    }
    // Only a regular file is replaced: a device, FIFO or folder in the way
    // is someone else's.
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        error = "refused to write " + path.string() + ": it exists and is not a regular file";
        return false;
    }
    // A short unique name beside the target: the rename stays within one file
    // system, two writers never share a temporary, and a target name near the
    // length limit still leaves room for it.
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string temp = (folder / ".png-XXXXXX").string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; a picture is for serving.
    bool ok = fchmod(fd, 0644) == 0;
    for (size_t done = 0; ok && done < bytes->size();) {
        const ssize_t n = write(fd, bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = close(fd) == 0 && ok;
    std::error_code ec;
    if (ok) fs::rename(temp, path, ec);
    if (!ok || ec) {
        error = "cannot write " + path.string() + ": " + (ec ? ec.message() : std::string(std::strerror(errno)));
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

std::optional<PixelBuffer> DecodePng(std::string_view bytes) {
    PngImage png;
    png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size());
    return FinishRead(png);
}

std::optional<PixelBuffer> ReadPngFile(const fs::path& path) {
    PngImage png;
    png_image_begin_read_from_file(&png.image, path.c_str());
    return FinishRead(png);
}
