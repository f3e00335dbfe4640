#include "uiengine/core/TPDAUIEngineKeysManager.h"

#include <cstring>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/Tick.h"

#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

enum {
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_F11 = 122,
};

const char* const kWhenTexts[] = {"press",       "pressed", "shortpressed",
                                  "longpressed", "unpress", "twokeyspress"};

// Commands that still work while input is blocked.
bool AllowedWhileBlocked(const DString& command)
{
    return command == "LumorEngCommand:548" || command == "LumorEngCommand:549" ||
           command == "LumorEngCommand:551" || command == "LumorEngCommand:577";
}

// Where a key goes on a page: the element that took the key down, else the
// focused element, else the page.
TPDAUIEngineElement* KeyTarget(TPDAUIEngineElementPage* page, bool preferKeyDown)
{
    if (preferKeyDown && page->keyDownElement)
        return page->keyDownElement;
    if (page->focusedElement)
        return page->focusedElement;
    return page;
}

// Marks a page busy with input for the length of a call into it, so that it is not
// taken off the stack underneath its own handler.
class BusyScope {
public:
    explicit BusyScope(TPDAUIEngineElementPage* page) : page_(page), saved_(page->busyWithInput)
    {
        page_->busyWithInput = 1;
    }
    ~BusyScope()
    {
        if (TPDAUIEngineElementPage::IsLive(page_))
            page_->busyWithInput = saved_;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TPDAUIEngineElementPage* page_;
    unsigned char saved_;
};

// A text as the key map holds it: the reader turns "&lt;" and "&gt;" back into the
// brackets. A bare "<!" or "<?" in a value would otherwise blank the file up to
// the next '>' when it is read again, and take the following definitions with it.
DString ForFile(const DString& text)
{
    if (text.strchr('<') < 0 && text.strchr('>') < 0)
        return text;
    DString out(text);
    out.Sustituye("<", "&lt;");
    out.Sustituye(">", "&gt;");
    return out;
}

int IndexOfRecord(Vector<TPDAUIEngineKeysManager::TKeyPressed>& records,
                  const TPDAUIEngineKeysManager::TKeyPressed* record)
{
    for (int i = 0; i < records.Count(); ++i)
        if (&records[i] == record)
            return i;
    return -1;
}

} // namespace

TPDAUIEngineKeysManager::TPDAUIEngineKeysManager(TPDAUIEngine* owner)
    : engine(owner), replacements(10, 10), definitions(10, 10), pressedKeys(10, 10)
{
}

int TPDAUIEngineKeysManager::WhenFromText(const char* text)
{
    if (text)
        for (int i = 0; i < 6; ++i)
            if (std::strcmp(text, kWhenTexts[i]) == 0)
                return i;
    return Unpress;
}

const char* TPDAUIEngineKeysManager::WhenToText(int when)
{
    return when >= 0 && when < 6 ? kWhenTexts[when] : nullptr;
}

// ---- Key map file ------------------------------------------------------------------------

bool TPDAUIEngineKeysManager::LoadKeys(const DString& path)
{
    TFicheroITV file;
    if (!file.Abre(path.c_str(), ITV_MODO_LECTURA))
        return false;
    DString text;
    const bool read = file.Lee_Todo_Str(text);
    file.Cierra();
    if (!read)  // a folder, or a file that vanished: as a file that cannot be opened
        return false;

    TPDAUIEngineXml root;
    root.Parse(text.str());  // a broken file still gives what could be read
    ReadTables(root);
    return true;
}

void TPDAUIEngineKeysManager::ReadTables(const TPDAUIEngineXml& root)
{
    replacements.RemoveAll();
    definitions.RemoveAll();
    for (int i = 0; i < root.children.Count(); ++i) {
        const TPDAUIEngineXml* node = root.children[i];
        if (node->name == "keyReplace") {
            TKeyReplace r;
            r.from = node->GetAttributeInt("from", 0, 1.0f);
            r.to = node->GetAttributeInt("to", 0, 1.0f);
            r.comments = node->GetAttribute("comments", "");
            replacements.Add(r);
        }
    }
    for (int i = 0; i < root.children.Count(); ++i) {
        const TPDAUIEngineXml* node = root.children[i];
        if (node->name != "keyDefinition")
            continue;
        TKeyDefinition d;
        d.key = node->GetAttributeInt("key", 0, 1.0f);
        d.key2 = node->GetAttributeInt("key2", 0, 1.0f);
        d.when = WhenFromText(node->GetAttribute("when", "unpress").c_str());
        d.onlyInPages = node->GetAttribute("onlyInPages", "*");
        if (d.onlyInPages.IsEmpty())
            d.onlyInPages = "*";
        else if (d.onlyInPages != "*" && !d.onlyInPages.EndsWith(","))
            d.onlyInPages << ",";  // a saved list already ends with one
        d.command = node->GetAttribute("command", "");
        d.commandAux = node->GetAttribute("commandAux", "");
        d.breakAfter = node->GetAttributeBool("break", false);
        d.comments = node->GetAttribute("comments", "");
        d.editable = node->GetAttributeBool("editable", false);
        d.title = node->GetAttribute("title", "");
        definitions.Add(d);
    }
}

bool TPDAUIEngineKeysManager::SaveKeys(const DString& fileName)
{
    TPDAUIEngineXml root;
    root.name = "keysDefinitions";
    for (int i = 0; i < replacements.Count(); ++i) {
        const TKeyReplace& r = replacements[i];
        TPDAUIEngineXml* node = new TPDAUIEngineXml;
        node->name = "keyReplace";
        node->SetAttribute("from", DString(r.from).c_str());
        node->SetAttribute("to", DString(r.to).c_str());
        node->SetAttribute("comments", ForFile(r.comments).c_str());
        root.AddChild(node);
    }
    for (int i = 0; i < definitions.Count(); ++i) {
        const TKeyDefinition& d = definitions[i];
        TPDAUIEngineXml* node = new TPDAUIEngineXml;
        node->name = "keyDefinition";
        // The shorter of two names that begin alike ("key", "key2"; "command",
        // "commandAux") goes first, so that a reader finds each by name.
        node->SetAttribute("key", DString(d.key).c_str());
        node->SetAttribute("key2", DString(d.key2).c_str());
        if (const char* when = WhenToText(d.when))
            node->SetAttribute("when", when);
        node->SetAttribute("onlyInPages", ForFile(d.onlyInPages).c_str());
        node->SetAttribute("break", d.breakAfter ? "true" : "false");
        node->SetAttribute("command", ForFile(d.command).c_str());
        node->SetAttribute("comments", ForFile(d.comments).c_str());
        node->SetAttribute("editable", d.editable ? "true" : "false");
        node->SetAttribute("title", ForFile(d.title).c_str());
        node->SetAttribute("commandAux", ForFile(d.commandAux).c_str());
        root.AddChild(node);
    }
    const DString text = root.ToString(0);

    TStringNomFitx path(fileName);
    path.Set_Path_AppData();
    if (path.nom_fitx_ext().IsEmpty())
        return false;
    TFicheroITV file;
    if (!file.Abre(path.c_str(), ITV_MODO_CREACION))
        return false;
    const bool written = file.Escribe_Str(text);
    return file.CierraEx(true) && written;
}

// ---- Keys ------------------------------------------------------------------------------------

void TPDAUIEngineKeysManager::RemapKey(int& key) const
{
    for (int i = 0; i < replacements.Count(); ++i) {
        if (replacements[i].from == key) {
            key = replacements[i].to;
            break;
        }
    }
    // The arrows turn with the screen: a quarter turn clockwise per 90 degrees.
    static const int kClockwise[4] = {VK_UP, VK_RIGHT, VK_DOWN, VK_LEFT};
    const int rotation = engine->skinSettings.screenRotation;
    if (rotation != 90 && rotation != 180 && rotation != 270)
        return;
    for (int i = 0; i < 4; ++i) {
        if (kClockwise[i] == key) {
            key = kClockwise[(i + rotation / 90) % 4];
            return;
        }
    }
}

TPDAUIEngineKeysManager::TKeyPressed* TPDAUIEngineKeysManager::FindPressed(int key)
{
    for (int i = 0; i < pressedKeys.Count(); ++i)
        if (pressedKeys[i].key == key)
            return &pressedKeys[i];
    return nullptr;
}

bool TPDAUIEngineKeysManager::SetModifier(int key, uint8_t value)
{
    switch (key) {
    case VK_SHIFT: shift = value; return true;
    case VK_CONTROL: ctrl = value; return true;
    case VK_MENU: alt = value; return true;
    }
    return false;
}

bool TPDAUIEngineKeysManager::OnKeyDown(int& key)
{
    if (!engine->keysEnabled)
        return false;
    RemapKey(key);
    if (SetModifier(key, 1))
        return true;
    const TPDAUIEngineCallbacks& cb = engine->callbacks;
    if (cb.wakeUp && cb.wakeUp(cb.userData, 0))
        return true;

    TPDAUIEngineElementPage* page = engine->GetTopPage();
    if (FindPressed(key)) {
        // The platform repeats a held key: straight to the element.
        if (!engine->inputBlocked && page) {
            unsigned char handled = 0, consumed = 0;
            BusyScope busy(page);
            KeyTarget(page, false)->OnKeyDown(key, &handled, &consumed);
        }
        return false;
    }

    TKeyPressed rec;
    rec.key = key;
    rec.pressTime = engine->GetTickCount();
    pressedKeys.Add(rec);
    const bool fired = CheckPressedKeys();
    for (int i = 0; i < pressedKeys.Count(); ++i)
        pressedKeys[i].state = StateHeld;
    if (fired)
        return true;

    page = engine->GetTopPage();
    if (engine->inputBlocked || !page)
        return false;
    unsigned char handled = 0, consumed = 0;
    {
        BusyScope busy(page);
        KeyTarget(page, false)->OnKeyDown(key, &handled, &consumed);
    }
    if (!TPDAUIEngineElementPage::IsLive(page))
        return handled != 0;
    if (handled)
        page->keyDownElement = page->focusedElement;
    if (TKeyPressed* held = FindPressed(key))
        held->consumed = consumed;
    return handled != 0;
}

bool TPDAUIEngineKeysManager::OnKeyChar(int& character)
{
    if (!engine->keysEnabled)
        return false;
    RemapKey(character);
    const TPDAUIEngineCallbacks& cb = engine->callbacks;
    if ((cb.wakeUp && cb.wakeUp(cb.userData, 0)) || engine->inputBlocked)
        return true;

    bool matched = false;
    for (int i = pressedKeys.Count() - 1; i >= 0; --i) {
        if (pressedKeys[i].key != character)
            continue;
        matched = true;
        if (pressedKeys[i].consumed)
            continue;
        TPDAUIEngineElementPage* page = engine->GetTopPage();
        if (!page)
            continue;
        const TKeyPressed* rec = &pressedKeys[i];
        unsigned char handled = 0, consumed = 0;
        {
            BusyScope busy(page);
            KeyTarget(page, true)->OnKeyPress(character, &handled, &consumed, 0);
        }
        // The handler may have taken key events of its own: find the record again.
        const int at = IndexOfRecord(pressedKeys, rec);
        if (at >= 0) {
            if (consumed)
                pressedKeys[at].consumed = 1;
            i = at;
        } else if (i > pressedKeys.Count()) {
            i = pressedKeys.Count();
        }
        if (handled)
            return true;
    }
    if (!matched) {
        // A character without a held key (from the input panel, say).
        if (TPDAUIEngineElementPage* page = engine->GetTopPage()) {
            unsigned char handled = 0, consumed = 0;
            BusyScope busy(page);
            KeyTarget(page, true)->OnKeyPress(character, &handled, &consumed, 0);
        }
    }
    return false;
}

bool TPDAUIEngineKeysManager::OnKeyUp(int& key)
{
    if (!engine->keysEnabled)
        return false;
    RemapKey(key);
    if (SetModifier(key, 0))
        return true;
    for (int i = 0; i < pressedKeys.Count(); ++i) {
        if (pressedKeys[i].key == key) {
            pressedKeys[i].state = StateReleased;
            pressedKeys[i].examinedBy = 0;
        }
    }
    CheckPressedKeys();

    bool handledByElement = false;
    const int now = engine->GetTickCount();
    for (int i = pressedKeys.Count() - 1; i >= 0; --i) {
        if (i >= pressedKeys.Count() || pressedKeys[i].key != key)
            continue;
        const TKeyPressed rec = pressedKeys[i];
        pressedKeys.Remove(i);
        TPDAUIEngineElementPage* page = engine->GetTopPage();
        if (rec.consumed || !page || engine->inputBlocked)
            continue;
        unsigned char handled = 0;
        const int held = (int)TickElapsed((uint32_t)now, (uint32_t)rec.pressTime);
        {
            BusyScope busy(page);
            KeyTarget(page, true)->OnKeyUp(key, &handled, held);
        }
        if (TPDAUIEngineElementPage::IsLive(page))
            page->keyDownElement = nullptr;
        if (handled)
            handledByElement = true;
    }
    if (handledByElement)
        return true;
    if (!engine->inputBlocked && key == VK_F11) {
        const int mode = engine->screenMode;
        engine->SetScreenMode((mode == 2 || mode == 3) ? 1 : 3, 0);
        return true;
    }
    return false;
}

// ---- Held-key check ---------------------------------------------------------------------------

bool TPDAUIEngineKeysManager::HasPressedDefinition(int key) const
{
    for (int i = 0; i < definitions.Count(); ++i) {
        const TKeyDefinition& d = definitions[i];
        if (d.key == key && d.when == Pressed && !d.command.IsEmpty())
            return true;
    }
    return false;
}

bool TPDAUIEngineKeysManager::Triggers(const TKeyDefinition& def, const TKeyPressed& rec,
                                       uint32_t now, uint32_t check)
{
    const uint32_t held = TickElapsed(now, (uint32_t)rec.pressTime);
    // The new and the released state belong to the one check that met them first;
    // a check nested in a handler (a modal page's timer passes) must not fire them
    // again.
    const bool isNew = rec.state == StateNew && rec.examinedBy == check;
    const bool isReleased = rec.state == StateReleased && rec.examinedBy == check;
    const bool isHeld = rec.state == StateHeld;
    const bool nothingFired = rec.lastFireTime == 0;
    switch (def.when) {
    case Press:
        return isNew;
    case Pressed:
        return (isHeld && held > PressedDelayMs) || isReleased;
    case ShortPressed:
        return isReleased && held <= LongPressMs && nothingFired && !HasPressedDefinition(def.key);
    case LongPressed:
        return (isHeld || isReleased) && held > LongPressMs && nothingFired &&
               !HasPressedDefinition(def.key);
    case TwoKeysPress: {
        TKeyPressed* other = FindPressed(def.key2);
        return other && nothingFired && other->lastFireTime == 0;
    }
    case Unpress:
    default:
        return isReleased;
    }
}

bool TPDAUIEngineKeysManager::AppliesToTopPage(const TKeyDefinition& def) const
{
    if (def.onlyInPages == "*")
        return true;
    TPDAUIEngineElementPage* page = engine->GetTopPage();
    if (!page)
        return false;
    // A plain search of the id and its comma in the held list.
    DString needle = page->id;
    needle << ",";
    return def.onlyInPages.Contains(needle.c_str());
}

bool TPDAUIEngineKeysManager::CheckPressedKeys()
{
    if (!engine->keysEnabled)
        return false;
    const int now = engine->GetTickCount();
    if (++checkSerial_ == 0)
        ++checkSerial_;
    const uint32_t check = checkSerial_;
    for (int i = 0; i < pressedKeys.Count(); ++i) {
        TKeyPressed& rec = pressedKeys[i];
        if ((rec.state == StateNew || rec.state == StateReleased) && rec.examinedBy == 0)
            rec.examinedBy = check;
    }

    bool fired = false;
    for (int d = 0; d < definitions.Count(); ++d) {
        // A copy: the handlers may edit or reload the definitions.
        const TKeyDefinition def = definitions[d];
        TKeyPressed* rec = FindPressed(def.key);
        if (!rec || !Triggers(def, *rec, (uint32_t)now, check))
            continue;
        if (!AppliesToTopPage(def) || def.command.IsEmpty())
            continue;

        const int key = rec->key;
        const int elapsed =
            rec->lastFireTime == 0 ? 0 : (int)TickElapsed((uint32_t)now, (uint32_t)rec->lastFireTime);
        // 0 means "never fired": a firing at engine tick 0 is kept as 1.
        rec->lastFireTime = now != 0 ? now : 1;

        const TPDAUIEngineCallbacks& cb = engine->callbacks;
        if (engine->inputBlocked && !AllowedWhileBlocked(def.command)) {
            if (cb.inputBlocked)
                cb.inputBlocked(cb.userData, 0, 0);
            return false;
        }
        uint8_t handled = 0;
        TPDAUIEngineElementPage* page = engine->GetTopPage();
        if (page) {
            TPDAUIEngineCommand command(nullptr, def.command.c_str());
            command.elapsed = elapsed;
            {
                BusyScope busy(page);
                page->OnCommand(command);
            }
            handled = command.handled;
        }
        if ((!page || !handled) && cb.uiCommand)
            cb.uiCommand(cb.userData, def.command.c_str(), def.commandAux.c_str(), elapsed,
                         &handled, 0);
        // The handlers may have changed the held keys.
        if (TKeyPressed* again = FindPressed(key))
            again->consumed = 1;
        fired = true;
        if (def.breakAfter)
            return true;
    }
    return fired;
}
