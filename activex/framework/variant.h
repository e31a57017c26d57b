// VariantValue: owns one VARIANT, created cleared (VT_EMPTY, every field
// zero, so a BSTR slot is null) and cleared again when it goes.
#pragma once

#include <windows.h>
#include <oleauto.h>

class VariantValue {
public:
    VariantValue() { VariantInit(&value); }
    ~VariantValue() { VariantClear(&value); }
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;

    VARIANT* Get() { return &value; }
    VARIANT* operator->() { return &value; }

private:
    VARIANT value{};
};
