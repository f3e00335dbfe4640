#include "enginelib/nav/TCampos.h"

#include <string>

#include "enginelib/nav/TLumorGPSEngineInterface.h"

namespace {
struct FieldInfo {
    int field;
    const char* name;   // form 0
    const char* full;   // form 1
    const char* brief;  // form 2
    const char* abbreviation;
    const char* unit;
    int magnitude;
};
// English names; a language table may give others ("field.21.0", "field.21.abbr").
const FieldInfo kFields[] = {
    {19, "Position", "Current position", "Pos", "POS", "", 0},
    {21, "Speed", "Current speed", "Spd", "SPD", "km/h", 3},
    {41, "Altitude", "Current altitude", "Alt", "ALT", "m", 1},
    {47, "Course", "Current course", "Crs", "CRS", "", 40},
    {66, "Track profile", "Altitude profile of the track", "Trk", "TRK", "", 0},
    {74, "Battery used", "Battery used since start", "Used", "USED", "%", 4},
    {86, "Time", "Time of day", "Time", "TIME", "", 5},
    {98, "Battery", "Battery level", "Bat", "BAT", "%", 4},
    {99, "Speed limit", "Speed limit of the road", "Lim", "LIM", "km/h", 3},
    {300, "Next turn", "Distance to the next turn", "Turn", "TURN", "m", 1},
    {306, "To destination", "Distance to the destination", "Dest", "DEST", "km", 2},
    {313, "Bearing", "Bearing to the destination", "Brg", "BRG", "", 40},
    {314, "Next manoeuvre", "The next manoeuvre", "Man", "MAN", "m", 1},
    {318, "Signpost", "Next signpost", "Sign", "SIGN", "", 0},
    {319, "Speed camera", "Distance to the speed camera", "Cam", "CAM", "m", 1},
    {330, "GPS", "GPS status", "GPS", "GPS", "", 0},
    {339, "Route profile", "Altitude profile of the route", "Rte", "RTE", "", 0},
    {346, "Arrival", "Arrival time", "Arr", "ARR", "", 5},
    {349, "Date", "Today's date", "Date", "DATE", "", 6},
    {351, "Camera distance", "Distance to the next camera", "CamD", "CAMD", "m", 1},
    {352, "Camera limit", "Speed limit at the camera", "CamL", "CAML", "km/h", 3},
    {363, "Reception", "Satellite reception", "Rcp", "RCP", "%", 4},
    {364, "Lanes", "Lanes to take", "Lanes", "LANES", "", 0},
    {366, "Clock", "Time with seconds", "Clk", "CLK", "", 5},
    {373, "Graphs", "Graphs", "Grph", "GRPH", "", 0},
    {379, "Satellites", "Satellites in use", "Sats", "SATS", "", 0},
    {805, "Map scale", "Map scale", "Scale", "SCALE", "", 0},
    {2103, "Progress", "Map loading", "Load", "LOAD", "%", 4},
    // A field of library objects (not of the data-field lists): a chosen option.
    {760, "Symbol", "Symbol of the object", "Sym", "SYM", "", 14},
};
const struct {
    int group;
    const char* title;
    int fields[8];
} kGroups[] = {
    {1, "Speed & course", {21, 99, 352, 47, 313}},
    {2, "Guidance", {300, 306, 314, 318, 364, 346}},
    {3, "Cameras", {351, 319}},
    {4, "Device & receiver", {98, 330, 363, 379, 19}},
    {5, "Time", {86, 366, 349}},
    {6, "Graphs", {66, 339, 373}},
    {7, "Map", {805, 2103}},
};

const FieldInfo* Info(int field)
{
    for (const FieldInfo& f : kFields)
        if (f.field == field)
            return &f;
    return nullptr;
}

// The current language's text for key, else the English given.
DString Text(const std::string& key, const char* english)
{
    const TLumorGPSEngineInterface* f = TLumorGPSEngineInterface::Instance();
    const std::string* t = f ? f->languages.Table().Find(key) : nullptr;
    return DString(t ? t->c_str() : english);
}
} // namespace

bool TDatosCampo::GetDescripcionGrupo(int group, DString& text)
{
    for (const auto& g : kGroups)
        if (g.group == group) {
            text = Text("group." + std::to_string(group), g.title);
            return true;
        }
    text = "";
    return false;
}

void TCampos::Set_Campos_Disponibles_MovingMap(int set)
{
    RemoveAll();
    if (set != 3)
        return;
    for (const auto& g : kGroups)
        for (int field : g.fields)
            if (field)
                Add(new TDatosCampo(field, g.group));
}

TCampos& TCampos::operator<<(const char* text)
{
    Vector<DString> words;
    CDString(text).Separa_En_Palabras(",", words);
    for (int i = 0; i < words.Count(); ++i)
        Add(new TDatosCampo(words[i].atoi(), 0));
    return *this;
}

void Nombre_Campo(int field, DString& out, int form)
{
    const FieldInfo* f = Info(field);
    if (!f) {
        out = ("Field " + std::to_string(field)).c_str();
        return;
    }
    const char* english = form == 1 ? f->full : form == 2 ? f->brief : f->name;
    out = Text("field." + std::to_string(field) + "." + std::to_string(form == 1 || form == 2 ? form : 0), english);
}

DString Nombre_Campo(int field, int form)
{
    DString out;
    Nombre_Campo(field, out, form);
    return out;
}

void Abreviacion_Campo(int field, DString& out)
{
    const FieldInfo* f = Info(field);
    out = f ? Text("field." + std::to_string(field) + ".abbr", f->abbreviation) : DString(std::to_string(field).c_str());
}

DString Str_Unidad_Campo(int field)
{
    const FieldInfo* f = Info(field);
    return DString(f ? f->unit : "");
}

int Magnitud_Campo(int field)
{
    const FieldInfo* f = Info(field);
    return f ? f->magnitude : 0;
}
