#include "enginelib/nav/Recorder.h"

#include "enginelib/nav/TLumorGPSTypes.h"

namespace enginelib {

const char* Recorder::KindName(RequestKind kind)
{
    static const char* const names[KindCount] = {"EndMessageBox", "EndProperties", "EndLists",   "EndFileOpen",
                                                 "EndInputText",  "EndAskRadio",   "EndAskGeoCode"};
    return kind >= 0 && kind < KindCount ? names[kind] : "End?";
}

int Recorder::Open(RequestKind kind, TElementoGPS* element, TCallbackLumor* callback)
{
    Request r;
    r.id = nextId_++;
    r.kind = kind;
    r.element = element;
    r.callback = callback;
    requests.push_back(r);
    return r.id;
}

Recorder::Request* Recorder::Pending(RequestKind kind, TElementoGPS* element, bool anyElement)
{
    for (Request& r : requests)
        if (r.kind == kind && r.answers == 0 && (anyElement || r.element == element))
            return &r;
    return nullptr;
}

Recorder::Request* Recorder::Answered(RequestKind kind, TElementoGPS* element, bool anyElement)
{
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
        if (it->kind == kind && it->answers > 0 && (anyElement || it->element == element))
            return &*it;
    return nullptr;
}

Recorder::Request* Recorder::Find(int id)
{
    for (Request& r : requests)
        if (r.id == id)
            return &r;
    return nullptr;
}

Recorder::Request* Recorder::End(RequestKind kind, TElementoGPS* element, bool anyElement, int code,
                                 const std::string& text)
{
    std::string line = std::string(KindName(kind)) + " " + std::to_string(code);
    if (!text.empty())
        line += " " + text;
    Request* r = Pending(kind, element, anyElement);
    if (r) {
        r->answers = 1;
        r->code = code;
        if (r->callback)
            r->callback->code = code;
        endAnswers.push_back(line + ": answer");
        return r;
    }
    // A repeated answer changes nothing: the first one stands.
    if (Request* done = Answered(kind, element, anyElement)) {
        ++done->answers;
        endAnswers.push_back(line + ": late");
    } else {
        endAnswers.push_back(line + ": unsolicited");
    }
    log.push_back(endAnswers.back());
    return nullptr;
}

bool Recorder::ExpectOneAnswer(int id) const
{
    for (const Request& r : requests)
        if (r.id == id)
            return r.answers == 1;
    return false;
}

std::vector<int> Recorder::Unanswered() const
{
    std::vector<int> out;
    for (const Request& r : requests)
        if (r.answers == 0)
            out.push_back(r.id);
    return out;
}

} // namespace enginelib
