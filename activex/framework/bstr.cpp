#include "activex/framework/bstr.h"

BSTR AnsiToBstr(const std::string& text) {
    if (text.empty()) return SysAllocStringLen(L"", 0);
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!result) return nullptr;
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

std::string BstrToAnsi(BSTR text) {
    int wide = static_cast<int>(SysStringLen(text));
    if (wide == 0) return {};
    int length = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, wide, result.data(), length, nullptr, nullptr);
    return result;
}
