// Persistence of CSivartaCtrl. One routine serves stream, property bag and
// reset; in a stream (core data/prop_codec.h) the persistence order of the
// settings table is the format.
// No entry carries a default: a missing entry keeps its value, and a reset
// changes nothing.
#include "activex/control/sivarta_ctrl.h"

void CSivartaCtrl::DoPropExchange(PropExchange& px) {
    ExchangeVersion(px, kVersion);
    OleControl::DoPropExchange(px);
    for (const char* name : PersistOrder()) {
        // Every name of the order is in the table (a core test holds them together).
        const PropertyInfo& p = *FindProperty(name);
        if (p.string)
            px.ExchangeString(p.name, settings.*p.string);
        else
            px.ExchangeI4(p.name, settings.*p.number);
    }
}

void CSivartaCtrl::OnResetState() {
    OleControl::OnResetState();
    InvalidateControl();
}
