#pragma once
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TElementoGPS.h"

// A waypoint: a named point, with attachments (photos) or without.
class TBaliza : public TElementoGPS {
public:
    TBaliza(const char* name, TDemoRoute::Point at, bool attachments) : TElementoGPS(name), at(at), hasAttachments(attachments) {}
    TDemoRoute::Point at;
    bool hasAttachments;
};
