// sivarta-data dump: either file decoded, and with --code what the chart
// would make of it.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iostream>

#include "data/file_readers.h"
#include "data/series_store.h"
#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/cp949.h"

namespace fs = std::filesystem;

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// Printable ASCII as it is, anything else as \xHH.
std::string Escaped(std::string_view raw) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : raw) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string_view UpToNul(const char* field, std::size_t width) {
    return std::string_view(field, strnlen(field, width));
}

void PrintInfo(const StockInfo& info) {
    const std::string_view name = UpToNul(info.name, sizeof info.name);
    std::cout << "date    " << info.date << "\n"
              << "time    " << info.time << "\n"
              << "code    " << Escaped(UpToNul(info.code, sizeof info.code)) << "\n"
              << "name    " << Cp949ToUtf8(name).value_or("(not code page 949: " + Escaped(name) + ")") << "\n"
              << "open    " << info.open << "\n"
              << "high    " << info.high << "\n"
              << "low     " << info.low << "\n"
              << "current " << info.current << "\n"
              << "volume  " << info.volume << "\n"
              << "change  " << info.change << "\n";
}

// The record as it stands in the file, before any reader rule.
StockInfo RawInfo(const std::string& bytes) {
    StockInfo info{};
    std::memcpy(&info, bytes.data(), std::min(bytes.size(), sizeof info));
    return info;
}

// What the chart makes of the info file for `code`: the reader's verdict, in
// the words the renderer and the element use.
void ExplainInfo(const std::string& bytes, const std::string& code) {
    if (!IsValidStockCode(code))
        std::cout << "note: the chart never requests '" << Escaped(code)
                  << "': it uses codes of 1 to 32 ASCII letters and digits only\n";
    StockInfo info{};
    const FileVerdict verdict = AcceptInfoFile(Bytes(bytes), bytes.size(), code, info);
    if (!verdict.Accepted()) {
        std::cout << "not accepted for " << Escaped(code) << ": " << Escaped(VerdictText(verdict)) << "\n";
        return;
    }
    const StockInfo raw = RawInfo(bytes);
    const bool widened = UpToNul(raw.code, sizeof raw.code) != UpToNul(info.code, sizeof info.code);
    std::cout << "accepted for " << Escaped(code)
              << (widened ? " (its five-character code is read with a leading '0')" : "") << "\n";
}

int DumpInfo(const fs::path& path, const std::string& bytes, const std::optional<std::string>& code) {
    std::cout << "info file " << path.string() << " (" << bytes.size() << " bytes)\n";
    StockInfo probe{};
    const FileVerdict shape = AcceptInfoFile(Bytes(bytes), bytes.size(), {}, probe);
    if (shape.kind == FileVerdict::Kind::WrongLength)
        std::cout << "not an info record: " << VerdictText(shape) << "\n";
    else
        PrintInfo(RawInfo(bytes));
    if (code) ExplainInfo(bytes, *code);
    return kExitOk;
}

// How many AddBar calls the reader makes for these bytes.
int CountBars(const std::string& bytes, const StockInfo& info) {
    int calls = 0;
    ReadDataFile(Bytes(bytes), bytes.size(), info,
                 [&](int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { ++calls; });
    return calls;
}

int32_t DataDate(const std::string& bytes) {
    int32_t date = 0;
    if (bytes.size() >= 4) std::memcpy(&date, bytes.data(), 4);
    return date;
}

// The info record the chart reads beside the data file: the accepted one, or
// the all-zero record a refused or missing file leaves.
StockInfo InfoBeside(const fs::path& infoPath, const std::string& code) {
    StockInfo info{};
    const auto infoBytes = fs::exists(infoPath) ? ReadWholeFile(infoPath, 1 << 20) : std::nullopt;
    if (!infoBytes) {
        std::cout << "no info file at " << infoPath.string() << ": the info stays all zero, date 0\n";
        return info;
    }
    const FileVerdict verdict = AcceptInfoFile(Bytes(*infoBytes), infoBytes->size(), code, info);
    std::cout << "info " << infoPath.string() << ": "
              << (verdict.Accepted() ? "accepted" : "not accepted (" + Escaped(VerdictText(verdict)) + ")") << ", date "
              << info.date << "\n";
    return info;
}

// What the chart makes of the data file: the reader's verdict, the date test
// and the bars it gives. A lone record of another time than 09:00:00 gives a
// bar only when the reader builds one from the info file, so the reader itself
// says whether it did.
void ExplainData(const std::string& bytes, const fs::path& infoPath, const std::string& code) {
    const StockInfo info = InfoBeside(infoPath, code);
    SeriesStore series;
    const FileVerdict verdict = ReadDataFile(
        Bytes(bytes), bytes.size(), info,
        [&](int32_t t, int32_t o, int32_t h, int32_t l, int32_t c, int32_t v) { series.AddBar(t, o, h, l, c, v, 1); });
    const bool mismatch = verdict.kind == FileVerdict::Kind::DateMismatch;
    if (verdict.Accepted() || mismatch)
        std::cout << "date test: " << (mismatch ? "discarded" : "kept") << " (data date " << DataDate(bytes)
                  << ", info date " << info.date << ")\n";
    std::cout << "bars: " << series.Count();
    if (!verdict.Accepted()) {
        std::cout << " (" << VerdictText(verdict) << ")\n";
        return;
    }
    std::string probe = bytes.substr(0, sizeof(TickRecord));
    const int32_t notOpening = 0;
    std::memcpy(probe.data() + offsetof(TickRecord, time), &notOpening, sizeof notOpening);
    std::cout << (CountBars(probe, info) > 0 ? " (the last one built from the info file)" : "") << "\n";
}

int DumpData(const fs::path& path, const std::string& bytes, const std::optional<std::string>& code) {
    const std::size_t n = bytes.size() / sizeof(TickRecord);
    std::cout << "data file " << path.string() << " (" << bytes.size() << " bytes): " << n << " records, "
              << bytes.size() % sizeof(TickRecord) << " bytes after the last\n";
    if (n > 0) {
        std::cout << "data date " << DataDate(bytes) << " (the first record's)\n"
                  << "#\ttime\topen\thigh\tlow\tclose\tvolume\n";
        for (std::size_t i = 0; i < n; ++i) {
            TickRecord r;
            std::memcpy(&r, bytes.data() + i * sizeof r, sizeof r);
            std::cout << i << "\t" << r.time << "\t" << r.open << "\t" << r.high << "\t" << r.low << "\t" << r.close
                      << "\t" << r.volume << "\n";
        }
    }
    if (code) ExplainData(bytes, path.parent_path() / ".." / "info" / path.filename(), *code);
    return kExitOk;
}

}   // namespace

int RunDump(const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {"--code", "--kind"}, {});
    if (!options) return kExitUsage;
    if (options->positional.size() != 1) {
        std::cerr << "sivarta-data dump: needs exactly one FILE\n";
        return kExitUsage;
    }
    const fs::path path = options->positional.front();
    const auto kind = options->Get("--kind");
    if (kind && *kind != "info" && *kind != "data") {
        std::cerr << "sivarta-data dump: --kind is info or data\n";
        return kExitUsage;
    }
    const auto bytes = ReadWholeFile(path, kMaxDataFileBytes * 4);
    if (!bytes) return kExitFailed;

    const std::string folder = path.parent_path().filename().string();
    const bool isInfo =
        kind ? *kind == "info" : folder == "info" || (folder != "Date" && bytes->size() == sizeof(StockInfo));
    const auto code = options->Get("--code");
    return isInfo ? DumpInfo(path, *bytes, code) : DumpData(path, *bytes, code);
}
