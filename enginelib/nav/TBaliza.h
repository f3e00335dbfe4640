#pragma once
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TValCampo.h"

// A waypoint: a named point, with attachments (photos) or without.
class TBaliza : public TElementoGPS {
public:
    TBaliza(const char* name, TDemoRoute::Point at, bool attachments) : TElementoGPS(name), at(at), hasAttachments(attachments) {}
    bool Retorna_Val_Campo(int field, TValCampo& v) const override
    {
        if (field != 742)
            return false;
        v = TValCampo();
        v.valor = hasAttachments ? 1 : 0;
        return true;
    }
    TDemoRoute::Point at;
    bool hasAttachments;
};
