// Info file acceptance on arbitrary bytes. The first byte picks how many of
// the following bytes form the requested code (0..40); the rest is the file.
// Checked: the info is either all zero or carries exactly the requested code.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "data/file_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t codeLength = std::min<size_t>(data[0] % 41, size - 1);
    const std::string_view code(reinterpret_cast<const char*>(data + 1), codeLength);
    const uint8_t* file = data + 1 + codeLength;
    const size_t fileSize = size - 1 - codeLength;

    // Start from a previous load's record, as a second creation of the window does.
    StockInfo info;
    std::memset(&info, 0x5A, sizeof info);
    std::memcpy(info.code, "005930", 6);
    AcceptInfoFile(file, fileSize, code, info);

    const StockInfo zero{};
    if (std::memcmp(&info, &zero, sizeof info) != 0) {
        const std::string_view kept(info.code, strnlen(info.code, sizeof info.code));
        if (kept != code) std::abort();
        if (fileSize == sizeof info && std::memcmp(info.name, file + 14, sizeof info.name) != 0) std::abort();
    }
    return 0;
}
