#include <charconv>
#include <fstream>
#include <iostream>
#include <system_error>

#include "data/day_source.h"
#include "data/file_readers.h"
#include "tools/sivarta-data/commands.h"

namespace fs = std::filesystem;

std::optional<std::string> Options::Get(std::string_view name) const {
    std::optional<std::string> last;
    for (const auto& [key, value] : values)
        if (key == name) last = value;
    return last;
}

std::vector<std::string> Options::All(std::string_view name) const {
    std::vector<std::string> all;
    for (const auto& [key, value] : values)
        if (key == name) all.push_back(value);
    return all;
}

bool Options::Has(std::string_view flag) const {
    for (const std::string& f : flags)
        if (f == flag) return true;
    return false;
}

static bool Contains(const std::vector<std::string_view>& names, std::string_view name) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, const std::vector<std::string_view>& valued,
                                    const std::vector<std::string_view>& flags) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a.compare(0, 2, "--") != 0) {
            options.positional.push_back(a);
        } else if (Contains(flags, a)) {
            options.flags.push_back(a);
        } else if (!Contains(valued, a)) {
            std::cerr << "sivarta-data: unknown option " << a << "\n";
            return std::nullopt;
        } else if (i + 1 == args.size()) {
            std::cerr << "sivarta-data: option " << a << " needs a value\n";
            return std::nullopt;
        } else {
            options.values.emplace_back(a, args[++i]);
        }
    }
    return options;
}

std::optional<int64_t> ParseWhole(std::string_view text, int64_t lo, int64_t hi) {
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

bool CheckFileCode(std::string_view code) {
    if (!IsValidStockCode(code) || code.size() > sizeof(StockInfo::code)) {
        std::cerr << "sivarta-data: code '" << code << "': use 1 to 6 ASCII letters and digits\n";
        return false;
    }
    if (code.size() == 5) {
        // The chart reads a five-character code as '0' + code, so it could never match.
        std::cerr << "sivarta-data: code '" << code << "': five characters are read as '0" << code
                  << "'; use that code\n";
        return false;
    }
    return true;
}

static bool WriteFileAtomically(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const fs::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "sivarta-data: cannot write " << temp.string() << "\n";
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, path, ec);
    if (ec) {
        std::cerr << "sivarta-data: cannot write " << path.string() << ": " << ec.message() << "\n";
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool WriteDayFiles(const fs::path& root, std::string_view code, const DayFiles& day) {
    return WriteFileAtomically(root / DayFilePath(DayFile::Info, code), InfoBytes(day.info)) &&
           WriteFileAtomically(root / DayFilePath(DayFile::Data, code), TickBytes(day.ticks));
}

std::optional<std::string> ReadWholeFile(const fs::path& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(path, ec)) {
        std::cerr << "sivarta-data: cannot read " << path.string() << "\n";
        return std::nullopt;
    }
    const auto size = fs::file_size(path, ec);
    if (ec) {
        std::cerr << "sivarta-data: cannot read " << path.string() << ": " << ec.message() << "\n";
        return std::nullopt;
    }
    if (size > maxBytes) {
        std::cerr << "sivarta-data: " << path.string() << " is larger than " << maxBytes << " bytes\n";
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size()) {
        std::cerr << "sivarta-data: cannot read " << path.string() << "\n";
        return std::nullopt;
    }
    return bytes;
}
