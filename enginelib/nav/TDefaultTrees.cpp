#include "enginelib/nav/TDefaultTrees.h"

#include <initializer_list>

#include "enginelib/nav/TVectorComandas.h"

namespace {
void Add(TVectorComandas& tree, std::initializer_list<int> numbers)
{
    for (int n : numbers)
        tree.Anyade_Comanda(n);
}

TVectorComandas& Sub(TVectorComandas& tree, int number, const char* name = nullptr)
{
    return tree.Anyade_Comanda(number, false, name)->CreaSubMenu();
}

void Find(TVectorComandas& tree)
{
    TVectorComandas& find = Sub(tree, 3006);
    Add(find, {272, 273, 274, 275, 2470});
    find.Anyade_Comanda(2463, false, nullptr, "4619,4620");
    find.Anyade_Comanda(2508, false, nullptr, "demo.poi");
    find.Anyade_Comanda(2528, false, nullptr, "demo.poi");
    find.Anyade_Comanda(2528, false, nullptr, "Noms de lieux NMX.vmap");
    Add(find, {1101, 185});
}

void Settings(TVectorComandas& tree)
{
    TVectorComandas& s = Sub(tree, 3007);
    Add(s, {147, 199, 187, 562, 596, 501});
    s.Anyade_Comanda(561, false, nullptr, "catfilters");
    Add(s, {1013, 546, 508, 10, 276, 269});
    s.Anyade_Comanda(129)->SetInvertido(true);  // shown as "Day colours"
    s.Anyade_Comanda(566, false, nullptr, "Windows|WindowsMenus_Rtng");
    Add(s, {10, 10, 595, 612});
    s.Anyade_Comanda(9041)->SetVisibilidad("hidden");
    s.Anyade_Comanda(3015);
    Add(Sub(s, 3040), {128, 184, 194, 564, 183});
    Add(s, {10});
}

void Menu(TVectorComandas& tree, bool onRoad)
{
    Find(tree);
    if (onRoad)
        Add(Sub(tree, 3001), {2465, 807, 235, 271});
    else
        Add(Sub(tree, 3030), {202, 708, 865});
    if (onRoad) {
        TVectorComandas& route = *tree[tree.Count() - 1]->SubMenu();
        route.Anyade_Comanda(2480, false, nullptr, "/start");
        Add(route, {2506, 2507, 2510, 2511});
    }
    Settings(tree);
    Add(Sub(tree, 3020), {126, 405, 702, 802, 2302, 247, 202, 708, 290, 291, 292});
    Add(Sub(tree, 3059), {9050, 9051, 9052});
    Add(tree, {1504, 577, 550});
    TVectorComandas& debug = Sub(tree, 3050, "Debug");
    for (int n = 9001; n <= 9040; ++n)
        debug.Anyade_Comanda(n);
    Add(tree, {3221, 506});
}
} // namespace

void FillDefaultTree(int index, TVectorComandas& tree)
{
    switch (index) {
    case 0:
        Menu(tree, true);
        break;
    case 1:
        Menu(tree, false);
        break;
    case 2:
        Find(tree);
        Settings(tree);
        Add(tree, {506});
        break;
    case 3:
        for (int n = 9001; n <= 9040; ++n)
            tree.Anyade_Comanda(n);
        break;
    case 4:
        Add(tree, {101, 102, 10, 269, 2512, 193, 562, 232, 600, 509, 12});
        break;
    case 5:
        Add(tree, {101, 102, 10, 105, 142, 130, 202, 708, 12});
        break;
    case 6:
        Add(tree, {101, 102, 12});
        break;
    default:
        break;
    }
}
