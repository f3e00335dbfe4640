#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

class TDibIG;
class TFicheroITV;
struct TWholeFile;
class TPDAUIEngine;
namespace Path {
class LookupBatch;
}

// One cached object of a store: its name and the image it owns. The image may
// be shared with other stores (decoded skin images are, through
// TPDAUIEngineImageCache); it goes with its last owner. A cell of a strip also
// remembers where it was cut from, so a reload can cut it again.
class TPDAUIEngineResource {
public:
    TPDAUIEngineResource(const char* name, TDibIG* object);
    TPDAUIEngineResource(const char* name, std::shared_ptr<TDibIG> object);
    ~TPDAUIEngineResource();
    TPDAUIEngineResource(const TPDAUIEngineResource&) = delete;
    TPDAUIEngineResource& operator=(const TPDAUIEngineResource&) = delete;

    size_t GetMemoryUsed() const;
    bool IsCell() const { return cellIndex >= 0; }

    DString name;
    TDibIG* object;  // holder's image
    std::shared_ptr<TDibIG> holder;
    DString cellSource;  // the strip's name, for cells
    int cellIndex = -1;
    int cellWidth = 0;
    int cellHeight = 0;
};

// Skin files and an image cache over the skin folder chain (F the engine's skins
// folder, S the skin, D the default skin):
//   text files      F\S (its "Landscape" variant first in landscape), F\D, F\base
//   compiled pages  F\S\<page>.cpage, F\D\<page>.cpage (landscape variants first)
//   images          F\S, then F\D; the bitmap extension is added to names without
//                   one; "name[i,w,h]" is cell i (w x h, left to right) of strip
//                   "name", cached as "name_i"; "0x<hex>" names an image registered
//                   with RegisterImage and nothing else.
// A landscape variant inserts "Landscape" before the extension ("btnLandscape.png").
// Loaded images pass through the skin's themes. Decoded images are shared by every
// store (keyed by the file's version and the themes applied), so a page names an
// image another page already read without reading it again; what a store hands out
// stays valid as long as the store keeps it. Existence checks go through the folder
// listings Path keeps; where an image name or a compiled page led (or that it led
// nowhere) is taken again without looking while the folder watch has seen no change
// in the folders concerned and the settings are the same. The engine owns one store (images
// shared by every page, notably names holding "common"); each page owns another,
// emptied when the page is detached. Nothing is reported: a missing file gives an
// empty text, a null stream or a null image.
class TPDAUIEngineResources {
public:
    // engineStore: this is the engine's own store (a page's store passes common
    // images to it).
    TPDAUIEngineResources(TPDAUIEngine* owner, bool engineStore, int capacity = 20);
    ~TPDAUIEngineResources();
    TPDAUIEngineResources(const TPDAUIEngineResources&) = delete;
    TPDAUIEngineResources& operator=(const TPDAUIEngineResources&) = delete;

    // Reads a whole skin text file ("pageMain.xml") through the chain; a device
    // path ("\\...") is read as it stands, after its landscape variant in
    // landscape, and a Linux path ("/...") only as it stands. On success fileName
    // becomes the path read; text stays empty and the answer is false when
    // nothing opens. mode is the file open mode text.
    bool ReadSkinTextFile(DString& text, DString& fileName, const char* mode = "rb");
    // The compiled page, open for reading (the caller deletes it), or null. On
    // success pageName becomes the path opened.
    TFicheroITV* OpenCompiledPage(DString& pageName, const char* mode = "17");
    // The same page read whole into data (see TFicheroITV::LeeEntero): false
    // when none opens. On success pageName becomes the path read.
    bool ReadCompiledPage(DString& pageName, std::unique_ptr<unsigned char[]>& data, uint32_t& size,
                          uint32_t& length);
    // The same page, kept from an earlier read while its file is unchanged (see
    // TWholeFileCache); null when none opens.
    std::shared_ptr<const TWholeFile> ReadCompiledPageKept(DString& pageName);

    // A cached or newly loaded image, or null; the store keeps ownership.
    // Names "base[i,w,h]" give one cell of a strip unless noCell is set. With
    // reload, the image is read again and swapped into the cached object so that
    // pointers held elsewhere stay valid.
    TDibIG* GetImage(const char* name, bool noCell = false, bool reload = false);
    // Cell i (w x h, left to right) of a strip, cached as name + "_" + i; null
    // when the cell does not lie wholly inside the strip.
    TDibIG* GetImageCell(const char* name, int index, int width, int height, bool reload = false);
    // Reads every cached image again from the current skin and themes into the
    // same objects; cells are cut again from their reloaded strips. An image
    // whose file is gone keeps its pixels.
    void ReloadCachedImages();

    // An image kept elsewhere, to be named in place of a skin image: the answer
    // ("0x" and a hexadecimal number) finds it in this store until it is
    // unregistered. The store does not own it.
    DString RegisterImage(TDibIG* image);
    void UnregisterImage(TDibIG* image);

    void Clear();
    int GetCount() const { return items_.Count(); }
    size_t GetMemoryUsed() const;

    TPDAUIEngine* Owner() const { return owner_; }
    // While set, the store's file lookups share this batch (one look per
    // folder): for the span of one page load. Null ends it.
    void SetLookupBatch(Path::LookupBatch* batch) { batch_ = batch; }
    // A page's store takes the engine the page is loaded into.
    void SetOwner(TPDAUIEngine* owner) { owner_ = owner; }

private:
    // The paths a compiled page is looked for at, in order.
    void CompiledPageTries(const DString& pageName, Vector<DString>& tries) const;
    // The first of the compiled page's paths that read (path, the batch that
    // found it) answers for; on success pageName becomes that path.
    template <typename Read>
    bool FindCompiledPage(DString& pageName, Read read);
    // Keeps where the page name was found (path, the file read) for the next
    // read at the same moment of lookups' folder watch.
    void KeepFoundPage(const std::string& name, const DString& path, const std::shared_ptr<const TWholeFile>& file,
                       Path::LookupBatch& lookups, uint64_t roots) const;
    struct Handle {
        unsigned int number;
        TDibIG* image;
    };

    // name measured once by the caller, not once per item.
    TPDAUIEngineResource* Find(const CDString& name) const;
    // The image file of name read and themed, or null. shared: the decoded image
    // of the same file version and themes is taken from (or left in) the shared
    // cache; otherwise the image is read anew and is the caller's alone.
    std::shared_ptr<TDibIG> LoadImageFile(const char* name, bool shared) const;
    // What the same name under the same settings led to before, when the
    // folders still answer the same: the shared image, when the shared cache
    // holds the file's version now, or null for a name that led to no file.
    // False when the long way must be taken.
    bool FindChosenImage(const std::string& name, Path::LookupBatch& lookups, std::shared_ptr<TDibIG>& image) const;
    // Appends what the themes make of the image of that bare name (no folder,
    // no extension): part of its shared-cache key.
    void AppendThemeKey(const CDString& bareName, std::string& key) const;
    void ApplyThemes(const CDString& bareName, TDibIG* image) const;
    TDibIG* FindHandle(const CDString& name) const;
    // A new cell of strip, or null when it does not lie wholly inside.
    static TDibIG* CutCell(const TDibIG* strip, int index, int width, int height);
    // Puts fresh pixels into the cached object (which stops being shared for new
    // lookups) and deletes fresh.
    static void Replace(TPDAUIEngineResource* cached, TDibIG* fresh);

    TPDAUIEngine* owner_;
    bool engineStore_;
    Path::LookupBatch* batch_ = nullptr;
    VectorP<TPDAUIEngineResource> items_;
    Vector<Handle> handles_;
};
