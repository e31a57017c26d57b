// CSivartaCtrl: the intraday chart as an ActiveX control. It holds the
// thirty properties, hands them to the loader and chart windows when its
// window is created, answers the automation methods from the loader's info
// record, fires ReadyInfo, and starts the browser on a click.
//
//   control/sivarta_ctrl.cpp       construction, message map, creation, click-through
//   control/sivarta_dispatch.cpp   dispatch table, methods, about box
//   control/sivarta_persist.cpp    property exchange and reset
//   control/object_safety.cpp      IObjectSafety
#pragma once

#include <windows.h>
#include <objsafe.h>

#include <cstdint>
#include <string>

#include "data/win/data_loader_wnd.h"
#include "framework/ole_control.h"

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
    static constexpr UINT kClickMessage = WM_APP + 100;

    ObjectSafety objectSafety{*this};
    DataLoaderWnd loader;

    // --- Properties, in dispatch-table order ------------------------------------
    std::string strURL;
    std::string strCode;
    int32_t nsizeMainX = 228;
    int32_t nsizeMainY = 190;
    int32_t crMainBackGround = 0xFCF5EE;
    int32_t crValueBackGround = 0xF7FFFF;
    int32_t crVolumeBackGround = 0xF7FFFF;
    int32_t crBoxLine = 0xFF6363;
    int32_t nIsToolTip = 1;
    int32_t nIsCurrentBar = 1;
    int32_t nsizeGapX = 5;
    int32_t nsizeGapY = 4;
    int32_t crValueText = 0x000000;
    int32_t crVolumeText = 0xFF0094;
    int32_t crTime = 0x000000;
    int32_t crValueHorizonalLine = 0xD6D6D6;
    int32_t crVolumeHorizonalLine = 0xD6D6D6;
    int32_t crStick = 0xFFA570;
    int32_t crHighCandle = 0x1701E5;
    int32_t crLowCandle = 0x89482B;
    int32_t crCurrentBarBackGround = 0xFFFEDF;
    int32_t crCurrentBarText = 0x9C3100;
    int32_t crCurrentBarUpLine = 0xE4FFFE;
    int32_t crCurrentBarDownLine = 0xD0CFB2;
    int32_t crToolTipBackGround = 0xFFFEDF;
    int32_t crToolTipOutLine = 0xFFA570;
    int32_t crToolTipText = 0x000000;
    std::string strType;
    std::string strChartUrl;
    std::string strClickAction;

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

private:
    void CopySettingsToChart();
};
