#pragma once
// Recording elements and pages for the engine tests. The box container is not
// part of these tests: RecElement and RecPage hold their children themselves.
#include <algorithm>
#include <string>
#include <vector>

#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

// What the elements saw, one line per call: "<id>:<what> <details>".
struct EventLog {
    std::vector<std::string> lines;

    void Add(const std::string& line) { lines.push_back(line); }
    void Clear() { lines.clear(); }
    int Count(const std::string& prefix) const
    {
        return (int)std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.compare(0, prefix.size(), prefix) == 0;
        });
    }
    bool Has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::string Joined() const
    {
        std::string all;
        for (const std::string& l : lines)
            all += l + "\n";
        return all;
    }
};

inline std::string Num(int v) { return std::to_string(v); }

class RecElement;

// The children that RecElement and RecPage hold themselves, owned, first painted
// first; hit testing asks the last first.
struct RecKids {
    std::vector<RecElement*> items;

    ~RecKids();
    RecElement* Add(TPDAUIEngineElement* parent, RecElement* kid);
    void Load(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* parent);
    void Paint(IDC* dc, int x, int y);
    TPDAUIEngineElement* HitTest(int x, int y) const;
    TPDAUIEngineElement* FindByNumericId(int n) const;
    void Collect(VectorP<TPDAUIEngineElement>& list, bool onlyActive) const;
};

// A rectangle that records its input and paints itself in one colour.
class RecElement : public TPDAUIEngineElement {
public:
    RecElement(const char* elementId, int l, int t, int w, int h, EventLog* eventLog,
               TColorIG fill = TColorIG(200, 200, 200))
        : log(eventLog), colour(fill)
    {
        id = elementId;
        left = l;
        top = t;
        width = w;
        height = h;
    }
    RecElement* Add(RecElement* kid) { return kids.Add(this, kid); }

    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                TPDAUIEngineXml* xml, TFicheroITV* stream) override
    {
        TPDAUIEngineElement::OnLoad(e, p, par, xml, stream);
        kids.Load(e, p, this);
    }
    void Paint(IDC* dc, int x, int y) override
    {
        if (!visible)
            return;
        dc->SetBrush(colour);
        dc->SetPen(colour);
        dc->Rectangle(x + left, y + top, x + left + width, y + top + height);
        kids.Paint(dc, x + left, y + top);
    }
    TPDAUIEngineElement* HitTest(int x, int y) override
    {
        if (!visible || x < left || x >= left + width || y < top || y >= top + height)
            return nullptr;
        if (TPDAUIEngineElement* hit = kids.HitTest(x - left, y - top))
            return hit;
        return isClickable ? this : nullptr;
    }
    TPDAUIEngineElement* FindByNumericId(int n) override
    {
        return numericId == n ? this : kids.FindByNumericId(n);
    }
    void CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive) override
    {
        kids.Collect(list, onlyActive);
    }

    void OnMouseDown(int x, int y, int kind, int a, int b) override
    {
        Log("down", x, y, kind);
        if (passDown)
            TPDAUIEngineElement::OnMouseDown(x, y, kind, a, b);
    }
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override
    {
        Log("move", x, y, flags);
        if (handlesMoves && handled)
            *handled = 1;
    }
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override
    {
        Log("up", x, y, kind);
        TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
        if (handlesUps && handled)
            *handled = 1;
    }
    void OnHoverEnter(int x, int y, int flags) override { Log("enter", x, y, flags); }
    void OnHoverLeave(int x, int y, int flags) override { Log("leave", x, y, flags); }
    void OnContextMenu(int x, int y, unsigned char* handled) override
    {
        Log("context", x, y, 0);
        TPDAUIEngineElement::OnContextMenu(x, y, handled);
    }
    void OnMouseWheel(int x, int y, int delta) override { Log("wheel", x, y, delta); }
    void OnMouseDoubleClick(int x, int y, int a, int b) override { Log("double", x, y, a); }
    void OnTimer(int interval, int now) override
    {
        ++ticks;
        if (log)
            log->Add(std::string(id.c_str()) + ":timer " + Num(now));
        if (onTick)
            onTick(this);
    }
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override
    {
        Log("keydown", key, 0, 0);
        if (handled)
            *handled = handlesKeys;
    }
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override
    {
        Log("keyup", key, heldTime, 0);
        if (handled)
            *handled = handlesKeys;
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        if (log)
            log->Add(std::string(id.c_str()) + ":command " + command.name.c_str());
        TPDAUIEngineElement::OnCommand(command);
    }

    EventLog* log;
    TColorIG colour;
    RecKids kids;
    bool passDown = true;  // the element base's press handling (focus, pressed, bubbling)
    bool handlesMoves = false;
    bool handlesUps = false;
    unsigned char handlesKeys = 0;
    int ticks = 0;
    void (*onTick)(RecElement*) = nullptr;

private:
    void Log(const char* what, int x, int y, int extra)
    {
        if (log)
            log->Add(std::string(id.c_str()) + ":" + what + " " + Num(x) + "," + Num(y) + " " +
                     Num(extra));
    }
};

inline RecKids::~RecKids()
{
    for (RecElement* kid : items)
        delete kid;
}

inline RecElement* RecKids::Add(TPDAUIEngineElement* parent, RecElement* kid)
{
    kid->parent = parent;
    items.push_back(kid);
    return kid;
}

inline void RecKids::Load(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* parent)
{
    for (RecElement* kid : items)
        kid->OnLoad(e, p, parent, nullptr, nullptr);
}

inline void RecKids::Paint(IDC* dc, int x, int y)
{
    for (RecElement* kid : items)
        kid->Paint(dc, x, y);
}

inline TPDAUIEngineElement* RecKids::HitTest(int x, int y) const
{
    for (auto k = items.rbegin(); k != items.rend(); ++k)
        if (TPDAUIEngineElement* hit = (*k)->HitTest(x, y))
            return hit;
    return nullptr;
}

inline TPDAUIEngineElement* RecKids::FindByNumericId(int n) const
{
    for (RecElement* kid : items)
        if (TPDAUIEngineElement* found = kid->FindByNumericId(n))
            return found;
    return nullptr;
}

inline void RecKids::Collect(VectorP<TPDAUIEngineElement>& list, bool onlyActive) const
{
    for (RecElement* kid : items) {
        list.Add(kid);
        kid->CollectDescendants(list, onlyActive);
    }
}

// A page that holds RecElements, paints one colour and records its commands.
class RecPage : public TPDAUIEngineElementPage {
public:
    struct Received {
        std::string name;
        TPDAUIEngineElement* target;
        int result;
        int handledOnArrival;
    };

    RecPage(TPDAUIEngine* e, const char* pageId, EventLog* eventLog = nullptr,
            TColorIG fill = TColorIG(128, 128, 128))
        : TPDAUIEngineElementPage(e), log(eventLog), colour(fill)
    {
        id = pageId;
    }
    ~RecPage() override
    {
        if (deletedFlag)
            *deletedFlag = true;
    }

    RecElement* Add(RecElement* kid) { return kids.Add(this, kid); }

    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                TPDAUIEngineXml* xml, TFicheroITV* stream) override
    {
        TPDAUIEngineElementPage::OnLoad(e, p, par, xml, stream);
        kids.Load(e, this, this);
        ++loads;
    }
    void Paint(IDC* dc, int x, int y) override
    {
        TPDAUIEngineElementPage::Paint(dc, x, y);
        ++paintCount;
        dc->SetBrush(colour);
        dc->SetPen(colour);
        dc->Rectangle(x + left, y + top, x + left + width, y + top + height);
        kids.Paint(dc, x + left, y + top);
    }
    TPDAUIEngineElement* HitTest(int x, int y) override
    {
        return kids.HitTest(x - left, y - top);
    }
    TPDAUIEngineElement* FindByNumericId(int n) override
    {
        return numericId == n ? this : kids.FindByNumericId(n);
    }
    void CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive) override
    {
        kids.Collect(list, onlyActive);
    }
    void OnMouseDown(int x, int y, int kind, int a, int b) override
    {
        if (log)
            log->Add(std::string(id.c_str()) + ":down " + Num(x) + "," + Num(y) + " " + Num(kind));
    }
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override
    {
        if (log)
            log->Add(std::string(id.c_str()) + ":up " + Num(x) + "," + Num(y) + " " + Num(kind));
    }
    void OnMouseDoubleClick(int x, int y, int a, int b) override
    {
        if (log)
            log->Add(std::string(id.c_str()) + ":double " + Num(x) + "," + Num(y) + " " + Num(a));
    }
    void OnMouseWheel(int x, int y, int delta) override
    {
        if (log)
            log->Add(std::string(id.c_str()) + ":wheel " + Num(x) + "," + Num(y) + " " +
                     Num(delta));
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        received.push_back(
            {command.name.c_str(), command.target, command.result, command.handled});
        if (log)
            log->Add(std::string(id.c_str()) + ":command " + command.name.c_str());
        if (std::find(unhandled.begin(), unhandled.end(), command.name.c_str()) != unhandled.end())
            command.handled = 0;
        if (onCommand)
            onCommand(this, command);
    }
    bool IsAnimating() override { return animatingNow; }

    // Commands received with this name.
    int CountReceived(const std::string& name) const
    {
        return (int)std::count_if(received.begin(), received.end(),
                                  [&](const Received& r) { return r.name == name; });
    }

    EventLog* log;
    TColorIG colour;
    RecKids kids;
    std::vector<Received> received;
    std::vector<std::string> unhandled;  // command names left unhandled
    void (*onCommand)(RecPage*, TPDAUIEngineCommand&) = nullptr;
    bool* deletedFlag = nullptr;
    bool animatingNow = false;
    int loads = 0;
    int paintCount = 0;
    int subject = 0;  // what the page shows (for replaceSame)
};
