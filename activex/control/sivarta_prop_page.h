// CSivartaPropPage: the control's one property page ("General", dialog 200).
// It carries no property controls, so applying it changes nothing.
#pragma once

#include "activex/framework/property_page.h"

class CSivartaPropPage : public PropertyPage {
public:
    CSivartaPropPage();
    static IUnknown* Create();
};
