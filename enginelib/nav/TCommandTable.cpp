#include "enginelib/nav/TCommandTable.h"

#include <algorithm>

namespace {
// number, icon, repeats, closes the menu, tool bar, key
const TCommandInfo kCommands[] = {
    {11, -1, false, false, false, true},     {12, 0, false, true, true, true},
    {101, 1, true, false, true, true},       {102, 2, true, false, true, true},
    {105, 3, false, false, true, true},      {115, -1, false, false, false, true},
    {123, -1, false, false, false, false},   {126, 4, false, false, false, true},
    {128, -1, false, false, false, true},    {129, 5, false, false, true, true},
    {130, 6, false, false, true, true},      {136, -1, false, false, false, true},
    {142, 7, false, false, true, true},      {147, -1, false, false, false, true},
    {150, -1, false, false, false, false},   {151, 8, false, false, false, false},
    {157, 9, false, false, false, false},    {167, -1, false, false, false, false},
    {168, -1, false, false, false, false},   {169, -1, false, false, false, false},
    {172, -1, false, false, false, false},   {183, -1, false, false, false, true},
    {184, 10, false, false, true, true},     {185, 11, false, true, true, true},
    {187, -1, false, false, false, true},    {188, 12, false, true, false, true},
    {193, 13, false, false, true, true},     {194, -1, false, false, false, true},
    {197, -1, false, false, false, false},   {198, -1, false, false, false, true},
    {199, -1, false, false, false, true},    {201, -1, false, false, false, true},
    {202, 14, false, false, true, true},     {205, 15, false, false, false, true},
    {230, -1, false, false, false, false},   {232, 16, false, true, true, true},
    {235, 17, false, true, true, true},      {240, -1, false, false, false, false},
    {247, -1, false, false, false, true},    {269, 18, false, false, true, true},
    {271, 19, false, true, false, true},     {272, 20, false, true, true, true},
    {273, -1, false, true, false, true},     {274, 21, false, true, true, true},
    {275, -1, false, true, false, true},     {276, -1, false, false, false, true},
    {278, -1, false, true, false, false},    {279, -1, false, true, false, false},
    {290, -1, false, false, false, true},    {291, -1, false, false, false, true},
    {292, -1, false, false, false, true},    {312, -1, false, false, false, true},
    {354, -1, false, false, false, false},   {367, -1, false, false, false, true},
    {405, -1, false, false, false, true},    {451, -1, false, false, false, false},
    {453, 22, false, false, false, false},   {501, -1, false, false, false, true},
    {502, -1, false, false, false, true},    {503, -1, false, false, false, true},
    {506, 23, false, false, false, true},    {508, -1, false, false, false, true},
    {509, 24, false, false, true, false},    {545, -1, false, false, false, false},
    {546, -1, false, false, false, true},    {547, -1, false, false, false, true},
    {548, -1, false, false, false, false},   {549, -1, false, false, false, false},
    {550, 25, false, false, true, true},     {551, -1, false, false, false, true},
    {554, -1, false, false, false, true},    {561, -1, false, false, false, true},
    {562, 26, false, false, true, true},     {564, -1, false, false, false, true},
    {566, -1, false, false, false, false},   {577, -1, false, false, false, true},
    {595, -1, false, false, false, false},   {596, -1, false, false, false, true},
    {600, 27, false, true, true, true},      {612, -1, false, false, false, false},
    {671, -1, false, false, false, false},   {672, -1, false, false, false, false},
    {673, -1, false, false, false, false},   {674, -1, false, false, false, false},
    {675, -1, false, false, false, false},   {676, -1, false, false, false, false},
    {680, -1, false, false, false, false},   {702, -1, false, false, false, true},
    {708, 28, false, false, true, true},     {751, -1, false, false, false, false},
    {755, -1, false, false, false, true},    {758, -1, false, false, false, false},
    {802, -1, false, false, false, true},    {807, -1, false, true, false, true},
    {851, -1, false, false, false, false},   {853, -1, false, false, false, false},
    {865, -1, false, false, false, true},    {870, -1, false, false, false, false},
    {1013, -1, false, false, false, true},   {1101, 29, false, true, false, true},
    {1504, -1, false, false, false, true},   {2302, -1, false, false, false, true},
    {2434, 30, true, false, false, true},    {2435, 31, true, false, false, true},
    {2462, -1, false, false, false, false},  {2463, -1, false, true, false, true},
    {2464, -1, false, false, false, false},  {2465, -1, false, true, false, true},
    {2470, -1, false, true, false, true},    {2480, -1, false, false, false, true},
    {2486, -1, false, false, false, false},  {2506, -1, false, false, false, true},
    {2507, -1, false, false, false, true},   {2508, -1, false, true, false, false},
    {2510, -1, false, false, false, true},   {2511, -1, false, false, false, true},
    {2512, 32, false, false, true, true},    {2519, -1, false, false, false, true},
    {2522, -1, false, false, false, false},  {2528, -1, false, true, false, false},
    {2540, -1, false, false, false, false},  {2541, -1, false, false, false, false},
    {2611, -1, false, false, false, false},  {2613, -1, false, false, false, false},
    {3001, -1, false, false, false, false},  {3006, -1, false, false, false, false},
    {3007, -1, false, false, false, false},  {3015, -1, false, false, false, false},
    {3020, -1, false, false, false, false},  {3027, -1, false, false, false, false},
    {3030, -1, false, false, false, false},  {3040, -1, false, false, false, false},
    {3050, -1, false, false, false, false},  {3059, -1, false, false, false, false},
    {3203, -1, false, false, false, false},  {3204, -1, false, false, false, false},
    {3221, -1, false, false, false, true},   {9041, -1, false, false, false, false},
    {9050, -1, false, false, false, false},  {9051, -1, false, false, false, false},
    {9052, -1, false, false, false, false},
};

std::vector<TCommandInfo> Build()
{
    std::vector<TCommandInfo> all(std::begin(kCommands), std::end(kCommands));
    // The demo library requests.
    for (int n = 9001; n <= 9040; ++n)
        all.push_back({n, -1, false, false, false, false});
    std::sort(all.begin(), all.end(), [](const TCommandInfo& a, const TCommandInfo& b) { return a.number < b.number; });
    return all;
}
} // namespace

const std::vector<TCommandInfo>& TCommandTable::All()
{
    static const std::vector<TCommandInfo> all = Build();
    return all;
}

const TCommandInfo* TCommandTable::Find(TComandasLumorGPS number)
{
    const std::vector<TCommandInfo>& all = All();
    const auto it = std::lower_bound(all.begin(), all.end(), number,
                                     [](const TCommandInfo& c, TComandasLumorGPS n) { return c.number < n; });
    return it != all.end() && it->number == number ? &*it : nullptr;
}
