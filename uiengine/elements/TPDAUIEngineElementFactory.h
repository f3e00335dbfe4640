#pragma once

class TPDAUIEngine;
class TPDAUIEngineElement;
class TPDAUIEngineScrollBarBase;
class TFicheroITV;
class CDString;

// Makes a new element of one kind, owned by the caller.
typedef TPDAUIEngineElement* (*FuncMakeElement)();

// Turns the tags of skin XML (and of compiled pages) into element objects.
// Tags of user controls ("usercontrol/..." and the like) go to the
// application's factory callback.
class TPDAUIEngineElementFactory {
public:
    // A new element for tag, owned by the caller (which adds it to a
    // container), or null for a tag that no element kind has. Every element
    // made gets the default id tag + the engine's element counter after
    // incrementing it; the skin's "id" replaces it when the element loads.
    // Tags compare exactly, case included; "page" is no tag of this table.
    // defaultId false leaves the id empty (the counter moves on all the same),
    // for a reader that sets the element's own id at once.
    static TPDAUIEngineElement* CreateElementByTag(TPDAUIEngine* engine, const char* tag, bool defaultId = true);
    // As above, for a tag already measured.
    static TPDAUIEngineElement* CreateElementByName(TPDAUIEngine* engine, const CDString& name, bool defaultId);

    // The element a compiled record's header (mark and tag) names, made by tag,
    // the stream past the header; null, and the stream failed, when there is none.
    // loadedAtOnce: the caller loads it from the stream before anything else
    // reads it (and drops it when that fails), so what every record sets is
    // not made first.
    static TPDAUIEngineElement* CreateFromCompiledHeader(TPDAUIEngine* engine, TFicheroITV& stream, bool defaultId,
                                                         bool loadedAtOnce = false);

    // Adds a tag of an upper layer (the controls) to the table; the element layer
    // knows no control, so they register at start-up. A tag registered again takes
    // the newer maker.
    static void RegisterTag(const char* tag, FuncMakeElement make);

    // The scroll bar that a VerticalScroll box owns.
    static TPDAUIEngineScrollBarBase* CreateScrollBar();
};
