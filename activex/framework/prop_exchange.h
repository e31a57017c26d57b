// PropExchange: the one property-exchange routine of a control serves every
// direction. DoPropExchange declares each persisted entry (name, kind, field)
// in order; the exchange then loads, saves or resets that list as a whole.
// Loading reads every value first and assigns only when all of them were
// read, so a bad source leaves every field as it was.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/prop_codec.h"

class PropExchange {
public:
    // "_Version": the loaded value goes to `loaded` (current when missing);
    // saving always writes `current`.
    void ExchangeVersion(int32_t& loaded, int32_t current);
    void ExchangeI4(const char* name, int32_t& field);
    void ExchangeString(const char* name, std::string& field);

    // The binary stream form (prop_codec.h). Failures: STG_E_READFAULT for a
    // short stream, E_FAIL for a malformed one; the fields are then untouched.
    HRESULT Load(IStream* stream);
    HRESULT Load(ByteSource& source);
    HRESULT Save(IStream* stream) const;
    std::vector<uint8_t> SaveBytes() const;
    uint64_t SaveSize() const;

    // Property bags: an entry the bag does not hold (or holds in a form that
    // does not convert) keeps its value; a string beyond kMaxPropString makes
    // the whole load fail with E_FAIL and change nothing.
    HRESULT Load(IPropertyBag* bag, IErrorLog* log);
    HRESULT Save(IPropertyBag* bag) const;

    // The reset direction. Entries are exchanged without default values, so
    // resetting assigns nothing; it exists so that reset, like every other
    // direction, goes through the control's DoPropExchange.
    void Reset() {}

private:
    struct Entry {
        std::string name;
        PropKind kind;
        int32_t* i4 = nullptr;
        std::string* str = nullptr;
        int32_t saveAs = 0;   // the value written for "_Version"
        bool isVersion = false;
    };
    std::vector<PropSlot> Slots() const;
    std::vector<PropValue> Values() const;
    void Commit(std::vector<PropValue>& values);

    std::vector<Entry> entries;
};
