#pragma once
#include <string>
#include <vector>

#include "enginelib/base/DString.h"

// The entries of a folder whose names match a pattern, given as "<folder>\<pattern>"
// ("\Data\*", "tmp\tempuiedm*"): '*' any run, '?' one character, case ignored;
// "*.*" is every entry. As on the device, "*" also gives "." and "..". The entries
// are read when the iterator is made, "." and ".." first, then in name order
// ignoring case.
//
//   TIteradorFitx it("skins\\*");
//   while (it.Siguiente()) { it.Nombre(); it.Ruta(); it.EsCarpeta(); }
class TIteradorFitx {
public:
    explicit TIteradorFitx(const char* pattern);

    // Moves to the next entry (the first on the first call); false when none is left.
    bool Siguiente();

    // The current entry: its name with extension, the folder as given joined with
    // the name, and whether it is a folder.
    const DString& Nombre() const { return nombre_; }
    DString Ruta() const;
    bool EsCarpeta() const {
        return actual_ >= 0 && actual_ < int(entradas_.size()) && entradas_[size_t(actual_)].carpeta;
    }

private:
    struct Entrada {
        std::string nombre;
        bool carpeta;
    };
    std::string carpeta_;  // as given, with its separator
    std::vector<Entrada> entradas_;
    int actual_ = -1;
    DString nombre_;
};
