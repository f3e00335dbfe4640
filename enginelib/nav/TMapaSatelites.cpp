#include "enginelib/nav/TMapaSatelites.h"

#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavSimulation.h"

void TMapaSatelites::Lee_Satelites()
{
    satelites.clear();
    precision = 0;
    display = false;
    const TLumorGPSEngineInterface* f = TLumorGPSEngineInterface::Instance();
    if (!f || !f->simulation)
        return;
    for (const TNavSimulation::Satellite& s : f->simulation->Satellites())
        satelites.push_back({s.number, s.elevation, s.azimuth, s.snr, s.inUse});
    precision = f->simulation->Precision();
    display = true;
}
