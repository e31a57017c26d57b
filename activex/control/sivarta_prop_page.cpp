#include "activex/control/sivarta_prop_page.h"

#include <new>

#include "activex/res/resource.h"

CSivartaPropPage::CSivartaPropPage() : PropertyPage(IDD_PROPPAGE_SIVARTA, IDS_SIVARTA_PPG_CAPTION) {}

IUnknown* CSivartaPropPage::Create() {
    auto* page = new (std::nothrow) CSivartaPropPage;
    return page ? static_cast<IPropertyPage2*>(page) : nullptr;
}
