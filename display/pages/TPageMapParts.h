#pragma once
class TPageMap;
class TPDAUIEngine;
class TPDAUIEngineElement;
class TPDAUIEngineElementBox;
class TVectorComandas;

// What the map page makes of the display's gadgets and user controls: the map
// gadget, the next-manoeuvre and data-field gadgets, the graph control's data.
// Kept apart so the page itself knows those classes only through here.
class TPageMapParts {
public:
    // The map gadget into "boxGadgetVisor2D", the next-manoeuvre gadget for
    // field 314 into "boxNextManuobre", the data-field gadget for field 300
    // into "boxNavigationNextDistanceGadget".
    static void AddGadgets(TPageMap& page);
    // A data-field gadget for field in place of the item's
    // "boxPolivalentDataItemValue"; null when none was made.
    static TPDAUIEngineElement* PlaceDataField(TPageMap& page, TPDAUIEngineElementBox* item, int field);
    static void SetGadgetFullScreen(TPageMap& page, bool on);
    // The graph control loads the current track data.
    static void LoadGraphData(TPageMap& page);
    // The UI engine's map repaint flag: set by the zoom buttons while held,
    // handed to the map viewer by the map gadget and cleared after its paint.
    static unsigned char& MapRepaintFlag(TPDAUIEngine& engine);
    // Opens the map toolbar page with the tree; false when it cannot.
    static bool OpenMapToolbar(TPageMap& page, TVectorComandas* tree);
};
