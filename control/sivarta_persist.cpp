// Persistence of CSivartaCtrl. One routine serves stream, property bag and
// reset; in a stream (framework/prop_codec.h) this order is the format.
// No entry carries a default: a missing entry keeps its value, and a reset
// changes nothing.
#include "control/sivarta_ctrl.h"

void CSivartaCtrl::DoPropExchange(PropExchange& px) {
    ExchangeVersion(px, kVersion);
    OleControl::DoPropExchange(px);
    px.ExchangeString("strCode", strCode);
    px.ExchangeString("strURL", strURL);
    px.ExchangeI4("nsizeMainX", nsizeMainX);
    px.ExchangeI4("nsizeMainY", nsizeMainY);
    px.ExchangeI4("crMainBackGround", crMainBackGround);
    px.ExchangeI4("crValueBackGround", crValueBackGround);
    px.ExchangeI4("crVolumeBackGround", crVolumeBackGround);
    px.ExchangeI4("crBoxLine", crBoxLine);
    px.ExchangeI4("crValueText", crValueText);
    px.ExchangeI4("crVolumeText", crVolumeText);
    px.ExchangeI4("crValueHorizonalLine", crValueHorizonalLine);
    px.ExchangeI4("crVolumeHorizonalLine", crVolumeHorizonalLine);
    px.ExchangeI4("crTime", crTime);
    px.ExchangeI4("crStick", crStick);
    px.ExchangeI4("crHighCandle", crHighCandle);
    px.ExchangeI4("crLowCandle", crLowCandle);
    px.ExchangeI4("crCurrentBarBackGround", crCurrentBarBackGround);
    px.ExchangeI4("crCurrentBarText", crCurrentBarText);
    px.ExchangeI4("crCurrentBarUpLine", crCurrentBarUpLine);
    px.ExchangeI4("crCurrentBarDownLine", crCurrentBarDownLine);
    px.ExchangeI4("crToolTipBackGround", crToolTipBackGround);
    px.ExchangeI4("crToolTipOutLine", crToolTipOutLine);
    px.ExchangeI4("crToolTipText", crToolTipText);
    px.ExchangeI4("nIsToolTip", nIsToolTip);
    px.ExchangeI4("nIsCurrentBar", nIsCurrentBar);
    px.ExchangeI4("nsizeGapX", nsizeGapX);
    px.ExchangeI4("nsizeGapY", nsizeGapY);
    px.ExchangeString("strType", strType);
    px.ExchangeString("strChartUrl", strChartUrl);
    px.ExchangeString("strClickAction", strClickAction);
}

void CSivartaCtrl::OnResetState() {
    OleControl::OnResetState();
    InvalidateControl();
}
