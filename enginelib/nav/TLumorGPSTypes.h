#pragma once
#include <cstdint>

// Small types the facade's calls and callbacks carry. Classes named here without a
// body are built with the parts of the library that own them.

class TElementoGPS;
class TTipoObjetoGPS;
class TOpenFileNameLumor;
class TMonitorProc;
class TGeoCode;
class TConfig;
class TVectorComandas;
class TVisor_LumorGPSPocket;

// A request's completion record. The answer goes into `code`; a page answering a
// request calls `fn` with the address of its own copy; w2 to w4 are carried unread.
struct TCallbackLumor {
    intptr_t code = 0;
    intptr_t w2 = 0, w3 = 0, w4 = -1;
    void (*fn)(TCallbackLumor*) = nullptr;
};

// How a slow process wants its progress shown.
enum EModoProcesosLentos { ModoProcesoModal = 0, ModoProcesoOpen = 1, ModoProcesoRefresh = 2, ModoProcesoClose = 3 };

// Which context-menu entries a list of engine objects offers (bit set).
typedef int EFlagsContextMenuElemGPS;

// A command number of the library's command table.
typedef int TComandasLumorGPS;
