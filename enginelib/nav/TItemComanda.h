#pragma once
#include <string>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/nav/TLumorGPSTypes.h"

class TVectorComandas;

// One entry of a command tree: a command number with its name (which may hold
// translation ids, "&" and ">"), parameter text, icon name ("" = the default),
// visibility text ("hidden" hides it), invert flag (the check shows inverted) and
// an optional sub-menu.
class TItemComanda {
public:
    TItemComanda(TComandasLumorGPS command, const char* name);
    ~TItemComanda();
    TItemComanda(const TItemComanda&) = delete;
    TItemComanda& operator=(const TItemComanda&) = delete;

    TComandasLumorGPS Comanda() const { return command_; }
    const DString& Nombre() const { return name_; }
    const DString& Parametro() const { return parameter_; }
    const DString& Icono() const { return icon_; }
    const DString& Visibilidad() const { return visibility_; }
    bool Invertido() const { return inverted_; }
    // The sub-menu, or null; it may be empty.
    TVectorComandas* SubMenu() const { return subMenu_; }

    void SetNombre(const char* name) { name_ = name; }
    void SetParametro(const char* parameter) { parameter_ = parameter; }
    void SetIcono(const char* icon) { icon_ = icon; }
    void SetVisibilidad(const char* visibility) { visibility_ = visibility; }
    void SetInvertido(bool inverted) { inverted_ = inverted; }
    // The item's sub-menu, made empty on first use.
    TVectorComandas& CreaSubMenu();

private:
    TComandasLumorGPS command_;
    DString name_, parameter_, icon_, visibility_;
    bool inverted_ = false;
    TVectorComandas* subMenu_ = nullptr;
};
