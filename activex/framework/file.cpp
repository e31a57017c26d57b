#include "activex/framework/file.h"

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

}   // namespace

std::wstring ExtendedPath(const std::string& path) {
    std::wstring wide = Widen(path);
    if (wide.empty() || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    // The prefix turns off the system's own normalisation, so resolve "..",
    // "." and forward slashes first (the wide call has no MAX_PATH limit).
    DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (need == 0) return wide;
    std::wstring full(need, L'\0');
    DWORD got = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) return wide;
    full.resize(got);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
    if (full.size() >= 3 && full[0] == L'\\' && full[1] == L'\\' && full[2] != L'?' && full[2] != L'.')
        return L"\\\\?\\UNC\\" + full.substr(2);
    return full;
}

HANDLE OpenFileForRead(const std::string& path) {
    return CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreateFileForWrite(const std::string& path) {
    // Not shared while it is being written.
    return CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

HANDLE CreateNewFile(const std::string& path) {
    return CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

BOOL DeleteFileAnyLength(const std::string& path) {
    return DeleteFileW(ExtendedPath(path).c_str());
}
