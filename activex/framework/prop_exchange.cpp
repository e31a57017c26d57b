#include "activex/framework/prop_exchange.h"

#include "activex/framework/bstr.h"
#include "activex/framework/variant.h"

namespace {

class StreamSource : public ByteSource {
public:
    explicit StreamSource(IStream* stream) : stream(stream) {}
    bool Read(void* dst, size_t n) override {
        auto* p = static_cast<uint8_t*>(dst);
        while (n) {
            ULONG got = 0;
            ULONG want = n > 0x100000 ? 0x100000 : static_cast<ULONG>(n);
            if (FAILED(stream->Read(p, want, &got)) || got == 0) return false;
            p += got;
            n -= got;
        }
        return true;
    }

private:
    IStream* stream;
};

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

}   // namespace

void PropExchange::ExchangeVersion(int32_t& loaded, int32_t current) {
    entries.push_back({"_Version", PropKind::I4, &loaded, nullptr, current, true});
}

void PropExchange::ExchangeI4(const char* name, int32_t& field) {
    entries.push_back({name, PropKind::I4, &field, nullptr, 0, false});
}

void PropExchange::ExchangeString(const char* name, std::string& field) {
    entries.push_back({name, PropKind::String, nullptr, &field, 0, false});
}

std::vector<PropSlot> PropExchange::Slots() const {
    std::vector<PropSlot> slots;
    for (const Entry& e : entries) slots.push_back({e.name, e.kind});
    return slots;
}

std::vector<PropValue> PropExchange::Values() const {
    std::vector<PropValue> values;
    for (const Entry& e : entries) {
        if (e.isVersion)
            values.emplace_back(e.saveAs);
        else if (e.kind == PropKind::I4)
            values.emplace_back(*e.i4);
        else
            values.emplace_back(*e.str);
    }
    return values;
}

void PropExchange::Commit(std::vector<PropValue>& values) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind == PropKind::I4)
            *entries[i].i4 = std::get<int32_t>(values[i]);
        else
            *entries[i].str = std::move(std::get<std::string>(values[i]));
    }
}

HRESULT PropExchange::Load(ByteSource& source) {
    std::vector<PropValue> values;
    switch (DecodeProps(source, Slots(), values)) {
    case DecodeResult::Ok:
        Commit(values);
        return S_OK;
    case DecodeResult::Truncated:
        return STG_E_READFAULT;
    default:
        return E_FAIL;
    }
}

HRESULT PropExchange::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    StreamSource source(stream);
    return Load(source);
}

std::vector<uint8_t> PropExchange::SaveBytes() const {
    return EncodeProps(Slots(), Values());
}

uint64_t PropExchange::SaveSize() const {
    return EncodedPropsSize(Values());
}

HRESULT PropExchange::Save(IStream* stream) const {
    if (!stream) return E_POINTER;
    std::vector<uint8_t> bytes = SaveBytes();
    if (bytes.empty()) return E_FAIL;
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return hr;
    return written == bytes.size() ? S_OK : STG_E_WRITEFAULT;
}

HRESULT PropExchange::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    std::vector<PropValue> values = Values();
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        // Cleared first: a bag that answers without writing leaves a null
        // BSTR here, never stack garbage.
        VariantValue v;
        VARTYPE want = e.kind == PropKind::I4 ? VT_I4 : VT_BSTR;
        v->vt = want;
        if (FAILED(bag->Read(Wide(e.name).c_str(), v.Get(), log))) continue;   // missing: keep
        if (FAILED(VariantChangeType(v.Get(), v.Get(), 0, want))) continue;
        if (want == VT_I4) {
            values[i] = static_cast<int32_t>(v->lVal);
            continue;
        }
        std::string text = BstrToAnsi(v->bstrVal);
        if (text.size() > kMaxPropString) return E_FAIL;
        values[i] = std::move(text);
    }
    // Keep the version entry's loaded value; missing means the current one.
    Commit(values);
    return S_OK;
}

HRESULT PropExchange::Save(IPropertyBag* bag) const {
    if (!bag) return E_POINTER;
    std::vector<PropValue> values = Values();
    for (size_t i = 0; i < entries.size(); ++i) {
        VariantValue v;
        if (const int32_t* n = std::get_if<int32_t>(&values[i])) {
            v->vt = VT_I4;
            v->lVal = *n;
        } else {
            v->bstrVal = AnsiToBstr(std::get<std::string>(values[i]));
            if (!v->bstrVal) return E_OUTOFMEMORY;
            v->vt = VT_BSTR;
        }
        HRESULT hr = bag->Write(Wide(entries[i].name).c_str(), v.Get());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
