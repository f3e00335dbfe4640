#pragma once
#include <functional>
#include <string>

#include "enginelib/base/Vector.h"
#include "enginelib/nav/TItemComanda.h"

// A command tree (a menu or a tool bar) of items in order, each with an optional
// sub-menu. A tree with a file reads it with Lee and writes it with GuardaXML;
// without a saved file, or with one that does not read, it holds its defaults.
class TVectorComandas {
public:
    // fills a tree with its built-in contents.
    typedef std::function<void(TVectorComandas&)> Defaults;

    TVectorComandas() = default;
    TVectorComandas(const std::string& file, Defaults defaults) : file_(file), defaults_(std::move(defaults)) {}
    TVectorComandas(const TVectorComandas&) = delete;
    TVectorComandas& operator=(const TVectorComandas&) = delete;

    int Count() const { return items_.Count(); }
    bool IsEmpty() const { return items_.IsEmpty(); }
    // Null outside the tree.
    TItemComanda* operator[](int index) const { return items_[index]; }
    TItemComanda* Get(int index) const { return items_[index]; }
    bool Remove(int index) { return items_.Remove(index); }
    void RemoveAll() { items_.RemoveAll(); }
    // Appends an item for command; a name of null takes the command's "{C<n>}" id.
    TItemComanda* Anyade_Comanda(TComandasLumorGPS command, bool separatorBefore = false,
                                 const char* name = nullptr, const char* parameter = nullptr,
                                 const char* icon = nullptr, int position = -1, bool inverted = false);

    // The saved tree, else the defaults. False when the saved file does not read:
    // the defaults are kept and the reason is logged (and set in error).
    bool Lee(std::string* error = nullptr);
    bool GuardaXML(std::string* error = nullptr) const;
    // Back to the built-in contents.
    void Reset();

    // Reads or writes our tree format from or to text.
    bool FromXml(const std::string& text, std::string& error);
    std::string ToXml() const;
    const std::string& File() const { return file_; }

private:
    VectorP<TItemComanda> items_{16, 16, true};
    std::string file_;
    Defaults defaults_;
};
