// CSivartaCtrl: the intraday chart as an ActiveX control. It holds the
// thirty properties, hands them to the loader and chart windows when its
// window is created, answers the automation methods from the chart core's
// info fields, fires ReadyInfo, and starts the browser on a click.
//
//   sivarta_ctrl.cpp       construction, message map, creation, click-through
//   sivarta_dispatch.cpp   dispatch table, methods, about box
//   sivarta_persist.cpp    property exchange and reset
//   object_safety.cpp      IObjectSafety
#pragma once

#include <windows.h>
#include <objsafe.h>

#include <cstdint>

#include "chart/settings_table.h"
#include "activex/chart/data_loader_wnd.h"
#include "activex/framework/ole_control.h"

class CSivartaCtrl : public OleControl {
public:
    CSivartaCtrl();
    ~CSivartaCtrl() override;

    static IUnknown* Create();

    // The scripting-safety interface, nested: its IUnknown is the control's.
    class ObjectSafety : public IObjectSafety {
    public:
        explicit ObjectSafety(CSivartaCtrl& owner) : owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override { return owner.QueryInterface(iid, ppv); }
        STDMETHODIMP_(ULONG) AddRef() override { return owner.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return owner.Release(); }
        STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
        STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

    private:
        CSivartaCtrl& owner;
    };

    // --- Automation methods ----------------------------------------------------
    HRESULT StratGraph(DISPPARAMS* params, VARIANT* result);
    HRESULT GetStockCode(DISPPARAMS* params, VARIANT* result);
    HRESULT GetStockName(DISPPARAMS* params, VARIANT* result);
    HRESULT GetStockDate(DISPPARAMS* params, VARIANT* result);
    HRESULT GetStockTime(DISPPARAMS* params, VARIANT* result);
    HRESULT GetStockCurrentga(DISPPARAMS* params, VARIANT* result);
    HRESULT GetStockChange(DISPPARAMS* params, VARIANT* result);
    HRESULT AboutBox(DISPPARAMS* params, VARIANT* result);

    // Every property's notification: the container has unsaved state.
    void OnPropertyChanged() { SetModifiedFlag(); }

    static constexpr int32_t kVersion = 0x00010000;

    ObjectSafety objectSafety{*this};
    DataLoaderWnd loader;

    // The thirty properties, under their own names (chart/settings_table.h).
    ChartSettings settings;

protected:
    void* FindExtraInterface(REFIID iid) override;
    HRESULT DispGetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) override;
    HRESULT DispInvoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) override;
    void DoPropExchange(PropExchange& px) override;
    void OnResetState() override;
    void OnDraw(HDC dc, const RECT& bounds) override;
    HWND KeyboardWindow() const override { return loader.chart.m_hWnd; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTA* cs);
    void OnDestroy();
    LRESULT OnClickThrough(WPARAM wParam, LPARAM lParam);
};
