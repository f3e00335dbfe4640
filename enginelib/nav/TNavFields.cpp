#include "enginelib/nav/TNavFields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TBaliza.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TNavPictures.h"
#include "enginelib/nav/TNavSimulation.h"

namespace {
const double kPi = 3.14159265358979323846;
const double kCameraWarning = 1000, kCameraListing = 2000, kSignpostRange = 1000;

std::string Format(const char* format, double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

// A distance in display form, or in metres when base units are asked for.
void Distance(TValCampo& v, double metres, bool base)
{
    if (base || metres < 1000) {
        v.valor = metres;
        v.unidades = UnidadMetros;
        v.texto = Format("%.0f", metres).c_str();
    } else {
        v.valor = std::round(metres / 100) / 10;
        v.unidades = UnidadKm;
        v.texto = Format("%.1f", v.valor).c_str();
    }
}

void Clock(TValCampo& v, long long local, const char* format, TEnumUnidades units)
{
    const time_t t = (time_t)local;
    struct tm tm;
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, format, &tm);
    v.texto = buf;
    v.valor = (double)(local % 86400) / 3600.0;
    v.unidades = units;
}

double Normalise(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d > 180)
        d -= 360;
    if (d <= -180)
        d += 360;
    return d;
}

// Metres from the car to the next camera ahead on its leg, or -1.
const TDemoRoute::Camera* NextCamera(const TDemoRoute::State& car, double& distance)
{
    for (const TDemoRoute::Camera& c : TDemoRoute::Get().cameras())
        if (c.leg == car.leg && c.s >= car.s && !car.stopped) {
            distance = c.s - car.s;
            return &c;
        }
    distance = -1;
    return nullptr;
}
} // namespace

bool TNavFields::Read(const TNavSimulation& sim, const TConfig* config, int field, TValCampo& v, bool a, bool b,
                      const Objects& objects) const
{
    const auto f = forced.find(field);
    if (f != forced.end()) {
        v = f->second;
        return true;
    }
    v = TValCampo();
    const TDemoRoute& route = TDemoRoute::Get();
    const TDemoRoute::State car = sim.Car();
    const TDemoRoute::Leg& leg = route.leg(car.leg);
    const TDemoRoute::Stretch& stretch = leg.stretches[car.stretch];
    const bool guiding = sim.navigation == TNavSimulation::Demo;
    const bool base = a || b;
    const TDemoRoute::Manoeuvre* next =
        guiding && car.nextManoeuvre >= 0 ? &leg.manoeuvres[car.nextManoeuvre] : nullptr;
    const double toNext = next ? next->s - car.s : -1;
    double toCamera;
    const TDemoRoute::Camera* camera = NextCamera(car, toCamera);

    switch (field) {
    case 19: {
        char grid[32];
        std::snprintf(grid, sizeof grid, "31NAA%05d%05d", (int)std::lround(car.position.x + 50000) % 100000,
                      (int)std::lround(car.position.y + 50000) % 100000);
        std::string text = grid;
        if (b) {
            double lat, lon;
            TDemoRoute::ToLatLon(car.position, lat, lon);
            char pos[64];
            std::snprintf(pos, sizeof pos, "\nN %.5f\xB0 E %.5f\xB0", lat, lon);
            text += pos;
        }
        v.texto = text.c_str();
        return true;
    }
    case 21:
        v.valor = car.speed;
        v.unidades = UnidadKmh;
        v.texto = Format("%.0f", car.speed).c_str();
        v.alarma = !car.stopped && car.speed > stretch.limit + 5;
        return true;
    case 41:
        v.valor = car.altitude;
        v.unidades = UnidadMetros;
        v.texto = Format("%.0f", car.altitude).c_str();
        return true;
    case 46:
        v.texto = stretch.street;
        return true;
    case 47:
        v.valor = car.heading;
        v.unidades = UnidadGrados;
        v.texto = (Format("%.0f", std::fmod(std::round(car.heading), 360.0)) + "\xB0").c_str();
        return true;
    case 66:
    case 339:
    case 805:
    case 1502:
    case 1503:
        return true;
    case 74:
        v.valor = 100 - std::abs(sim.Battery());
        v.unidades = UnidadPorcentaje;
        v.texto = Format("%.0f", v.valor).c_str();
        return true;
    case 86:
        Clock(v, sim.LocalTime(), "%H:%M", UnidadHora);
        return true;
    case 366:
        Clock(v, sim.LocalTime(), "%H:%M:%S", UnidadHora);
        return true;
    case 349:
        Clock(v, sim.LocalTime(), "%d/%m/%Y", UnidadFecha);
        return true;
    case 98:
        v.valor = sim.Battery();
        v.unidades = UnidadPorcentaje;
        v.texto = Format("%.0f", std::fabs(v.valor)).c_str();
        return true;
    case 99:
        v.valor = stretch.limit;
        v.unidades = UnidadKmh;
        v.texto = Format("%.0f", stretch.limit).c_str();
        return true;
    case 300:
    case 314:
        if (!next) {
            v.valor = -1;
            v.unidades = UnidadMetros;
            v.texto = "";
        } else {
            Distance(v, toNext, base || field == 314);
            if (field == 314)
                v.objeto = const_cast<TDibIG*>(TNavPictures::Get().Manoeuvre(next->kind, 64));
        }
        return true;
    case 306:
        if (!guiding) {
            v.valor = -1;
            v.unidades = UnidadMetros;
            return true;
        }
        Distance(v, leg.length - car.s, base);
        return true;
    case 308:
        v.texto = car.leg == 0 ? "Towards Springvale" : "Towards Springfield";
        return true;
    case 309:
        v.valor = car.s;
        v.unidades = UnidadMetros;
        v.texto = Format("%.0f", car.s).c_str();
        return guiding;
    case 313: {
        v.unidades = UnidadGrados;
        if (!guiding) {
            v.valor = -1000;
            return true;
        }
        const TDemoRoute::Point end = leg.points.back();
        const double bearing = std::atan2(end.x - car.position.x, end.y - car.position.y) * 180 / kPi;
        v.valor = Normalise(bearing - car.heading);
        v.texto = Format("%.0f", v.valor).c_str();
        return true;
    }
    case 317:
        v.valor = detour ? 100 : 0;
        v.unidades = UnidadPorcentaje;
        return true;
    case 318:
        if (next)
            v.texto = next->text[0] != ':' && toNext <= kSignpostRange ? next->text : next->instruction;
        return true;
    case 319:
        if (camera && toCamera <= kCameraWarning) {
            Distance(v, toCamera, true);
            v.objeto = const_cast<TDibIG*>(TNavPictures::Get().Camera());
        }
        v.unidades = UnidadMetros;
        return true;
    case 351:
        if (camera && toCamera <= kCameraListing)
            Distance(v, toCamera, base);
        else
            v.valor = -1;
        v.unidades = v.unidades ? v.unidades : UnidadMetros;
        return true;
    case 352:
        v.valor = camera && toCamera <= kCameraWarning ? camera->limit : 0;
        v.unidades = UnidadKmh;
        v.texto = Format("%.0f", v.valor).c_str();
        return true;
    case 330:
        v.valor = sim.GpsStatus();
        v.texto = Format("%.0f", v.valor).c_str();
        return true;
    case 346: {
        if (!guiding)
            return false;
        const double remaining = route.TimeAt(car.leg, leg.length) - route.TimeAt(car.leg, car.s);
        Clock(v, sim.LocalTime() + (long long)std::lround(std::max(0.0, remaining)), "%H:%M", UnidadHora);
        return true;
    }
    case 348:
        v.valor = sim.DayNight();
        return true;
    case 355:
        v.objeto = objects.recording;
        return objects.recording != nullptr;
    case 356:
        v.objeto = objects.route;
        return guiding && objects.route;
    case 373:
        v.objeto = objects.graphFirst;
        return objects.graphFirst != nullptr;
    case 363: {
        double sum = 0;
        int n = 0;
        for (const TNavSimulation::Satellite& s : sim.Satellites())
            if (s.inUse)
                sum += s.snr, ++n;
        v.valor = sim.GpsStatus() >= 4 && n ? std::min(100.0, std::max(0.0, std::floor(2 * sum / n))) : 0;
        v.unidades = UnidadPorcentaje;
        v.texto = Format("%.0f", v.valor).c_str();
        return true;
    }
    case 364:
        if (next && next->lanes[0] && toNext <= kSignpostRange)
            v.texto = next->lanes;
        return true;
    case 372: {
        const int after = guiding && car.nextManoeuvre >= 0 ? car.nextManoeuvre + 1 : -1;
        if (after < 0 || after >= (int)leg.manoeuvres.size()) {
            v.valor = -1;
        } else {
            Distance(v, leg.manoeuvres[after].s - car.s, true);
            v.objeto = const_cast<TDibIG*>(TNavPictures::Get().Manoeuvre(leg.manoeuvres[after].kind, 40));
        }
        v.unidades = UnidadMetros;
        return true;
    }
    case 379: {
        const int inUse = sim.SatellitesInUse();
        v.valor = inUse;
        v.texto = (std::to_string(inUse) + "/" + std::to_string(sim.Satellites().size())).c_str();
        return true;
    }
    case 374:
        if (objects.waypoints)
            for (TBaliza* w : *objects.waypoints)
                if (std::hypot(w->at.x - car.position.x, w->at.y - car.position.y) <= 30) {
                    v.objeto = w;
                    v.texto = w->nombre;
                    return true;
                }
        return false;
    case 380:
        // The junction view of exit 14 while it is the next manoeuvre and within 1 km.
        if (!objects.junction || !next || next->kind != TDemoRoute::ExitRight || toNext > kSignpostRange)
            return false;
        v.objeto = objects.junction;
        v.texto = objects.junction->nombre;
        return true;
    case 391:
        if (!friends)
            return false;
        v.valor = 2;
        v.texto = "2";
        return true;
    case 394:
        v.valor = 3;
        v.texto = "3";
        return true;
    case 2103: {
        const double t = sim.Now();
        v.valor = t < 3 ? std::floor(t / 3 * 100) : 0;
        v.unidades = UnidadPorcentaje;
        v.texto = t < 3 ? "Loading map" : "";
        return true;
    }
    case 2205:
        v.valor = car.calculating ? 0x16 : 0;
        return true;
    case 2206: {
        v.unidades = UnidadPorcentaje;
        if (!car.calculating)
            return true;
        const double stopEnd = route.leg(car.leg).endTime + TDemoRoute::kStop;
        const double u = TDemoRoute::kStart + std::fmod(sim.Now() - TDemoRoute::kStart, route.Period());
        v.valor = std::floor((1 - (stopEnd - u) / TDemoRoute::kCalculating) * 100);
        v.texto = "Calculating route";
        return true;
    }
    default:
        v.texto = "0";
        return true;
    }
}
