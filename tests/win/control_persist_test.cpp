// Persistence of the control through its real COM interfaces: stream,
// property bag, memory and storage round trips, the saved order and version,
// reset, and streams or bags that lie, which must change nothing.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data/prop_codec.h"
#include "win/support/control_client.h"

namespace {

// A property bag over a map, as a page's PARAM list or a form designer holds it.
class MapBag : public IPropertyBag {
public:
    std::map<std::wstring, std::wstring> values;   // stored as text, like PARAM values

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        auto found = values.find(name);
        if (found == values.end()) return E_INVALIDARG;
        VARIANT text;
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocStringLen(found->second.data(), static_cast<UINT>(found->second.size()));
        VARTYPE want = v->vt;
        HRESULT hr = want == VT_EMPTY ? VariantCopy(v, &text) : VariantChangeType(v, &text, 0, want);
        VariantClear(&text);
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
        VARIANT text;
        VariantInit(&text);
        HRESULT hr = VariantChangeType(&text, v, 0, VT_BSTR);
        if (FAILED(hr)) return hr;
        values[name].assign(text.bstrVal, SysStringLen(text.bstrVal));
        order.push_back(name);
        VariantClear(&text);
        return S_OK;
    }
    std::vector<std::wstring> order;
};

std::vector<uint8_t> SaveToBytes(IDispatch* control) {
    auto persist = As<IPersistStreamInit>(control, IID_IPersistStreamInit);
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    EXPECT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes;
}

HRESULT LoadFromBytes(IDispatch* control, const std::vector<uint8_t>& bytes) {
    auto persist = As<IPersistStreamInit>(control, IID_IPersistStreamInit);
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return persist->Load(stream.Get());
}

// The saved order: version, the framework's entries, then the properties in
// their persistence order (which is not the dispatch order).
std::vector<PropSlot> SavedLayout() {
    std::vector<PropSlot> slots{{"_Version", PropKind::I4},    {"_ExtentX", PropKind::I4},
                                {"_ExtentY", PropKind::I4},    {"_StockProps", PropKind::I4},
                                {"strCode", PropKind::String}, {"strURL", PropKind::String}};
    for (const char* name : {"nsizeMainX",
                             "nsizeMainY",
                             "crMainBackGround",
                             "crValueBackGround",
                             "crVolumeBackGround",
                             "crBoxLine",
                             "crValueText",
                             "crVolumeText",
                             "crValueHorizonalLine",
                             "crVolumeHorizonalLine",
                             "crTime",
                             "crStick",
                             "crHighCandle",
                             "crLowCandle",
                             "crCurrentBarBackGround",
                             "crCurrentBarText",
                             "crCurrentBarUpLine",
                             "crCurrentBarDownLine",
                             "crToolTipBackGround",
                             "crToolTipOutLine",
                             "crToolTipText",
                             "nIsToolTip",
                             "nIsCurrentBar",
                             "nsizeGapX",
                             "nsizeGapY"})
        slots.push_back({name, PropKind::I4});
    for (const char* name : {"strType", "strChartUrl", "strClickAction"}) slots.push_back({name, PropKind::String});
    return slots;
}

std::vector<PropValue> Decoded(const std::vector<uint8_t>& bytes) {
    std::vector<PropValue> values;
    MemorySource source(bytes.data(), bytes.size());
    EXPECT_EQ(DecodeResult::Ok, DecodeProps(source, SavedLayout(), values));
    return values;
}

class PersistTest : public ::testing::Test {
protected:
    OcxModule ocx;
};

}   // namespace

TEST_F(PersistTest, FreshControlSavesEveryDefaultInTheFixedOrder) {
    ComPtr<IDispatch> control = ocx.NewControl();
    ASSERT_TRUE(control);
    std::vector<PropValue> v = Decoded(SaveToBytes(control.Get()));
    ASSERT_EQ(SavedLayout().size(), v.size());
    EXPECT_EQ(0x00010000, std::get<int32_t>(v[0]));
    EXPECT_EQ(0, std::get<int32_t>(v[3]));   // no stock properties
    EXPECT_EQ("", std::get<std::string>(v[4]));
    EXPECT_EQ(228, std::get<int32_t>(v[6]));
    EXPECT_EQ(190, std::get<int32_t>(v[7]));
    EXPECT_EQ(0xFCF5EE, std::get<int32_t>(v[8]));
    EXPECT_EQ(0xD6D6D6, std::get<int32_t>(v[14]));   // crValueHorizonalLine before crTime
    EXPECT_EQ(0x000000, std::get<int32_t>(v[16]));   // crTime
    EXPECT_EQ(0xFFA570, std::get<int32_t>(v[17]));   // crStick
    EXPECT_EQ(1, std::get<int32_t>(v[27]));          // nIsToolTip
    EXPECT_EQ(4, std::get<int32_t>(v[30]));          // nsizeGapY
    EXPECT_EQ("", std::get<std::string>(v[32]));     // strChartUrl: replaced only at window creation
    EXPECT_EQ("", std::get<std::string>(v[33]));     // strClickAction
}

TEST_F(PersistTest, StreamRoundTripRestoresEveryPropertyAndTracksTheModifiedFlag) {
    ComPtr<IDispatch> source = ocx.NewControl();
    auto persist = As<IPersistStreamInit>(source.Get(), IID_IPersistStreamInit);
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    SetAllProperties(source.Get(), 7);
    EXPECT_EQ(S_OK, persist->IsDirty());
    std::vector<uint8_t> bytes = SaveToBytes(source.Get());
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ULARGE_INTEGER max{};
    EXPECT_EQ(S_OK, persist->GetSizeMax(&max));
    EXPECT_EQ(bytes.size(), max.QuadPart);

    ComPtr<IDispatch> target = ocx.NewControl();
    ASSERT_EQ(S_OK, LoadFromBytes(target.Get(), bytes));
    EXPECT_EQ(Snapshot(source.Get()), Snapshot(target.Get()));
    EXPECT_EQ(S_FALSE, As<IPersistStreamInit>(target.Get(), IID_IPersistStreamInit)->IsDirty());
}

TEST_F(PersistTest, MemoryAndStorageRoundTripsMatchTheStream) {
    ComPtr<IDispatch> source = ocx.NewControl();
    SetAllProperties(source.Get(), 3);

    auto memory = As<IPersistMemory>(source.Get(), IID_IPersistMemory);
    ULONG size = 0;
    ASSERT_EQ(S_OK, memory->GetSizeMax(&size));
    std::vector<uint8_t> block(size);
    EXPECT_EQ(STG_E_MEDIUMFULL, memory->Save(block.data(), FALSE, size - 1));
    ASSERT_EQ(S_OK, memory->Save(block.data(), FALSE, size));
    ComPtr<IDispatch> fromMemory = ocx.NewControl();
    ASSERT_EQ(S_OK, As<IPersistMemory>(fromMemory.Get(), IID_IPersistMemory)->Load(block.data(), size));
    EXPECT_EQ(Snapshot(source.Get()), Snapshot(fromMemory.Get()));

    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()));
    ComPtr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                                 storage.Put()));
    ASSERT_EQ(S_OK, As<IPersistStorage>(source.Get(), IID_IPersistStorage)->Save(storage.Get(), FALSE));
    ComPtr<IDispatch> fromStorage = ocx.NewControl();
    ASSERT_EQ(S_OK, As<IPersistStorage>(fromStorage.Get(), IID_IPersistStorage)->Load(storage.Get()));
    EXPECT_EQ(Snapshot(source.Get()), Snapshot(fromStorage.Get()));
}

TEST_F(PersistTest, LoadedVersionIsKeptButSavingWritesTheCurrentOne) {
    ComPtr<IDispatch> control = ocx.NewControl();
    std::vector<uint8_t> bytes = SaveToBytes(control.Get());
    bytes[8 + 1] = 0x00;   // version entry: kind byte at 8, value from 9
    bytes[8 + 3] = 0x02;   // 0x00020000
    ASSERT_EQ(S_OK, LoadFromBytes(control.Get(), bytes));
    EXPECT_EQ(0x00010000, std::get<int32_t>(Decoded(SaveToBytes(control.Get()))[0]));
}

TEST_F(PersistTest, BagRoundTripAndABagHoldingOnlyTheCode) {
    ComPtr<IDispatch> source = ocx.NewControl();
    SetAllProperties(source.Get(), 5);
    MapBag bag;
    ASSERT_EQ(S_OK, As<IPersistPropertyBag>(source.Get(), IID_IPersistPropertyBag)->Save(&bag, TRUE, TRUE));
    EXPECT_EQ(34u, bag.values.size());
    EXPECT_EQ(L"65536", bag.values[L"_Version"]);
    ASSERT_GE(bag.order.size(), 5u);
    EXPECT_EQ(L"strCode", bag.order[4]);
    ComPtr<IDispatch> target = ocx.NewControl();
    ASSERT_EQ(S_OK, As<IPersistPropertyBag>(target.Get(), IID_IPersistPropertyBag)->Load(&bag, nullptr));
    EXPECT_EQ(Snapshot(source.Get()), Snapshot(target.Get()));

    ComPtr<IDispatch> fresh = ocx.NewControl();
    std::vector<std::wstring> defaults = Snapshot(fresh.Get());
    MapBag onlyCode;
    onlyCode.values[L"strCode"] = L"000660";
    ComPtr<IDispatch> coded = ocx.NewControl();
    auto bagLoad = As<IPersistPropertyBag>(coded.Get(), IID_IPersistPropertyBag);
    ASSERT_EQ(S_OK, bagLoad->InitNew());
    ASSERT_EQ(S_OK, bagLoad->Load(&onlyCode, nullptr));
    defaults[1] = L"strCode=000660";
    EXPECT_EQ(defaults, Snapshot(coded.Get()));

    // A value that is not a number keeps the property as it was.
    MapBag wrong;
    wrong.values[L"nsizeMainX"] = L"wide";
    wrong.values[L"nsizeMainY"] = L"240";
    ASSERT_EQ(S_OK, bagLoad->Load(&wrong, nullptr));
    EXPECT_EQ(228, GetI4(coded.Get(), L"nsizeMainX"));
    EXPECT_EQ(240, GetI4(coded.Get(), L"nsizeMainY"));
}

namespace {

// Notes the BSTR slot of every string request as it arrives, then answers
// like a real bag: VariantChangeType into the caller's VARIANT, which first
// clears what the caller put there.
class WatchingBag : public MapBag {
public:
    int stringReads = 0;
    int dirtyReads = 0;
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog* log) override {
        if (v->vt == VT_BSTR) {
            ++stringReads;
            if (v->bstrVal) ++dirtyReads;
        }
        return MapBag::Read(name, v, log);
    }
};

// Leaves a non-zero pattern on the stack below the caller's frame, where the
// next call's locals will lie.
__attribute__((noinline)) void DirtyTheStack() {
    volatile unsigned char junk[32768];
    for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xA5;
}

}   // namespace

TEST_F(PersistTest, BagReadsStartFromAClearedVariant) {
    ComPtr<IDispatch> control = ocx.NewControl();
    WatchingBag bag;
    for (const std::wstring& name : kPropertyNames)
        if (IsStringProperty(name)) bag.values[name] = L"v" + name;
    DirtyTheStack();
    ASSERT_EQ(S_OK, As<IPersistPropertyBag>(control.Get(), IID_IPersistPropertyBag)->Load(&bag, nullptr));
    EXPECT_EQ(5, bag.stringReads);
    EXPECT_EQ(0, bag.dirtyReads);
    EXPECT_EQ(L"vstrCode", GetText(control.Get(), L"strCode"));
}

TEST_F(PersistTest, ResetChangesNothing) {
    ComPtr<IDispatch> control = ocx.NewControl();
    SetAllProperties(control.Get(), 9);
    std::vector<std::wstring> before = Snapshot(control.Get());
    EXPECT_EQ(S_OK, As<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit)->InitNew());
    EXPECT_EQ(S_OK, As<IPersistPropertyBag>(control.Get(), IID_IPersistPropertyBag)->InitNew());
    EXPECT_EQ(before, Snapshot(control.Get()));
}

TEST_F(PersistTest, HostileStreamsAreRefusedAndChangeNothing) {
    ComPtr<IDispatch> saved = ocx.NewControl();
    SetAllProperties(saved.Get(), 2);
    const std::vector<uint8_t> good = SaveToBytes(saved.Get());

    ComPtr<IDispatch> control = ocx.NewControl();
    SetAllProperties(control.Get(), 4);
    const std::vector<std::wstring> before = Snapshot(control.Get());

    // Every truncation, including the empty stream.
    for (size_t cut = 0; cut < good.size(); cut += (cut < 200 ? 1 : 37)) {
        std::vector<uint8_t> shortened(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_TRUE(FAILED(LoadFromBytes(control.Get(), shortened))) << "cut at " << cut;
    }
    std::vector<uint8_t> magic = good;
    magic[1] ^= 0x40;
    EXPECT_EQ(E_FAIL, LoadFromBytes(control.Get(), magic));
    // strURL (the sixth entry) claims 4 GiB: refused before anything is read or allocated.
    std::vector<uint8_t> absurd = good;
    size_t strCode = 8 + 4 * 5;   // four I4 entries, then strCode's kind byte
    size_t strCodeLength = strCode + 1;
    size_t strUrl = strCodeLength + 4 + good[strCodeLength];
    for (int i = 1; i <= 4; ++i) absurd[strUrl + i] = 0xFF;
    EXPECT_EQ(E_FAIL, LoadFromBytes(control.Get(), absurd));
    // A length just beyond what the stream holds.
    std::vector<uint8_t> lying = good;
    lying[strUrl + 1] = 0xF0;
    lying[strUrl + 2] = 0xFF;
    EXPECT_EQ(STG_E_READFAULT, LoadFromBytes(control.Get(), lying));

    EXPECT_EQ(before, Snapshot(control.Get()));
    EXPECT_EQ(S_OK, As<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit)->IsDirty());
}

TEST_F(PersistTest, LongStringsAreStoredUpToTheCapAndRefusedBeyondIt) {
    // The cap is 1 MiB, the same for automation, streams and bags.
    constexpr size_t kCap = 1024 * 1024;
    ComPtr<IDispatch> control = ocx.NewControl();
    std::wstring longest(kCap, L'u');
    ASSERT_EQ(S_OK, PutText(control.Get(), L"strURL", longest));
    EXPECT_EQ(E_INVALIDARG, PutText(control.Get(), L"strCode", longest + L"x"));
    EXPECT_EQ(L"", GetText(control.Get(), L"strCode"));

    ComPtr<IDispatch> copy = ocx.NewControl();
    ASSERT_EQ(S_OK, LoadFromBytes(copy.Get(), SaveToBytes(control.Get())));
    EXPECT_EQ(longest, GetText(copy.Get(), L"strURL"));

    MapBag bag;
    bag.values[L"strCode"] = L"005930";
    bag.values[L"strType"] = std::wstring(kCap + 1, L't');
    EXPECT_EQ(E_FAIL, As<IPersistPropertyBag>(copy.Get(), IID_IPersistPropertyBag)->Load(&bag, nullptr));
    EXPECT_EQ(L"", GetText(copy.Get(), L"strCode"));   // nothing of the refused bag was taken
}
