#pragma once

class TVectorComandas;

// The built-in contents of the library's seven command trees: 0 menu on-road,
// 1 menu off-road, 2 menu in routing mode 3, 3 spare (demo requests), 4 tool bar
// on-road, 5 tool bar off-road, 6 tool bar in routing mode 3.
void FillDefaultTree(int index, TVectorComandas& tree);
