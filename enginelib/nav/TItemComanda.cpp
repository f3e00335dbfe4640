#include "enginelib/nav/TItemComanda.h"

#include "enginelib/nav/TVectorComandas.h"

TItemComanda::TItemComanda(TComandasLumorGPS command, const char* name) : command_(command), name_(name ? name : "")
{
}

TItemComanda::~TItemComanda() { delete subMenu_; }

TVectorComandas& TItemComanda::CreaSubMenu()
{
    if (!subMenu_)
        subMenu_ = new TVectorComandas();
    return *subMenu_;
}
