#include "uiengine/core/TPDAUIEngineResources.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "enginelib/base/Path.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/WholeFileCache.h"
#include "enginelib/draw/TDibIGformat.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineImageCache.h"

TPDAUIEngineResource::TPDAUIEngineResource(const char* resourceName, TDibIG* image)
    : name(resourceName), object(image), holder(image)
{
}

TPDAUIEngineResource::TPDAUIEngineResource(const char* resourceName, std::shared_ptr<TDibIG> image)
    : name(resourceName), object(image.get()), holder(std::move(image))
{
}

TPDAUIEngineResource::~TPDAUIEngineResource() = default;

size_t TPDAUIEngineResource::GetMemoryUsed() const
{
    return (size_t)name.Length() + 1 + (object ? object->GetMemoryUsed() : 0);
}

TPDAUIEngineResources::TPDAUIEngineResources(TPDAUIEngine* owner, bool engineStore, int capacity)
    : owner_(owner), engineStore_(engineStore), items_(capacity, 20, true), handles_(4, 4)
{
}

TPDAUIEngineResources::~TPDAUIEngineResources() = default;

void TPDAUIEngineResources::Clear() { items_.RemoveAll(); }

size_t TPDAUIEngineResources::GetMemoryUsed() const
{
    size_t total = 0;
    for (int i = 0; i < items_.Count(); ++i)
        total += items_[i]->GetMemoryUsed();
    return total;
}

TPDAUIEngineResource* TPDAUIEngineResources::Find(const CDString& wanted) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (items_[i]->name == wanted)
            return items_[i];
    return nullptr;
}

namespace {

const char kLandscape[] = "Landscape";

bool IsFullPath(const CDString& name) { return name[0] == '\\' || name[0] == '/'; }

// "dir\name.ext" -> "dir\nameLandscape.ext".
DString LandscapeVariant(const CDString& path)
{
    TStringNomFitx p(path);
    DString out = p.carpeta();
    out << p.nom_fitx() << kLandscape;
    DString ext = p.ext();
    if (!ext.IsEmpty())
        out << "." << ext;
    return out;
}

DString InFolder(const CDString& folder, const CDString& skin, const CDString& name)
{
    DString path(folder);
    path << "\\" << skin << "\\" << name;
    return path;
}

bool SameSkin(const CDString& a, const CDString& b) { return Dstrcmpi(a.c_str(), b.c_str()) == 0; }

// "0x" followed by hexadecimal digits only.
bool IsHandleName(const CDString& name, unsigned long& number)
{
    if (!name.StartsWith("0x") || name.Length() < 3)
        return false;
    for (int i = 2; i < name.Length(); ++i) {
        const char c = name[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    if (name.Length() > 2 + 8)
        number = 0;  // beyond any handle
    else
        number = std::strtoul(name.c_str() + 2, nullptr, 16);
    return true;
}

// The settings that lead a name to a file; what was found under them is
// kept with them.
struct TChosenUnder {
    std::string folder, skin, defaultSkin, extension;
    bool landscape = false;
};

bool Same(const std::string& kept, const DString& now)
{
    return kept.size() == (size_t)now.Length() && std::memcmp(kept.data(), now.c_str(), kept.size()) == 0;
}

// Whether choice was made under the engine's settings as they are now.
bool SameSettings(const TChosenUnder& choice, const TPDAUIEngine& owner)
{
    const TPDAUIEngineSkinSettings& s = owner.skinSettings;
    return choice.landscape == (s.landscape != 0) && Same(choice.skin, s.skinName) &&
           Same(choice.defaultSkin, s.defaultSkinName) && Same(choice.extension, s.bitmapExtension) &&
           Same(choice.folder, owner.skinsFolder);
}

void KeepSettings(TChosenUnder& choice, const TPDAUIEngine& owner)
{
    const TPDAUIEngineSkinSettings& s = owner.skinSettings;
    choice.folder.assign(owner.skinsFolder.c_str(), (size_t)owner.skinsFolder.Length());
    choice.skin.assign(s.skinName.c_str(), (size_t)s.skinName.Length());
    choice.defaultSkin.assign(s.defaultSkinName.c_str(), (size_t)s.defaultSkinName.Length());
    choice.extension.assign(s.bitmapExtension.c_str(), (size_t)s.bitmapExtension.Length());
    choice.landscape = s.landscape != 0;
}

// Where a compiled page was found under some settings: the path read and the
// version of the file then, at a moment of the folder watch when the folders
// of every path tried up to it were watched (none of those before it was a
// file). While the watch stays at that moment and the device root is the
// same, the tries would answer the same, so the kept bytes of that version
// are taken as they stand.
struct TPageFound : TChosenUnder {
    uint64_t checkedAt = 0;
    uint64_t rootChanges = 0;
    std::string path, identity;
};

std::mutex g_pagesLock;
// By page name; a few settings each, as for images.
std::unordered_map<std::string, std::vector<TPageFound>> g_pages;
const size_t kMaxPages = 256;
const size_t kMaxSettingsPerPage = 4;

// Keeps value for name in map (by name, a few settings each) in place of what
// was kept for name under the owner's settings now; settingsOf gives a kept
// value's settings. Bounded: past maxNames names the whole map goes, past
// maxPerName settings a name's oldest. The caller holds the map's lock.
template <class Map, class Value, class SettingsOf>
void KeepUnderSettings(Map& map, const std::string& name, Value value, const TPDAUIEngine& owner, size_t maxNames,
                       size_t maxPerName, SettingsOf settingsOf)
{
    if (map.size() >= maxNames)
        map.clear();
    auto& kept = map[name];
    for (auto& other : kept)
        if (SameSettings(settingsOf(other), owner)) {
            other = std::move(value);
            return;
        }
    if (kept.size() >= maxPerName)
        kept.erase(kept.begin());
    kept.push_back(std::move(value));
}

unsigned int g_nextHandle = 1;

} // namespace

// ---- Text files and compiled pages ----------------------------------------------------------

bool TPDAUIEngineResources::ReadSkinTextFile(DString& text, DString& fileName, const char* mode)
{
    text.Empty();
    Vector<DString> tries(8, 4);
    if (fileName[0] == '/') {
        tries.Add(fileName);
    } else if (fileName[0] == '\\') {
        // A device path keeps its landscape variant, like any skin file.
        if (owner_ && owner_->skinSettings.landscape)
            tries.Add(LandscapeVariant(fileName));
        tries.Add(fileName);
    } else if (owner_) {
        const TPDAUIEngineSkinSettings& s = owner_->skinSettings;
        const DString& folder = owner_->skinsFolder;
        auto add = [&](const CDString& skin) {
            const DString path = InFolder(folder, skin, fileName);
            if (s.landscape)
                tries.Add(LandscapeVariant(path));
            tries.Add(path);
        };
        add(s.skinName);
        if (!SameSkin(s.skinName, s.defaultSkinName))
            add(s.defaultSkinName);
        add("base");
    }
    Path::LookupBatch own;
    Path::LookupBatch& lookups = batch_ ? *batch_ : own;
    (void)mode;  // read whole as bytes either way
    for (int i = 0; i < tries.Count(); ++i) {
        if (lookups.Lookup(tries[i].c_str()) != Path::Kind::File)
            continue;
        // Kept between loads: a user control used many times on a page, or a
        // page opened again, is read from the disk once while it is unchanged.
        const std::shared_ptr<const TWholeFile> file = TWholeFileCache::Shared().Read(tries[i].c_str(), &lookups);
        if (!file)
            continue;
        // A file that changed length while it was read gives no text, as before.
        if (file->length == file->size && file->length <= uint32_t(INT_MAX))
            text = DString(reinterpret_cast<const char*>(file->data.get()), int(file->length));
        fileName = tries[i];
        return true;
    }
    return false;
}

void TPDAUIEngineResources::CompiledPageTries(const DString& pageName, Vector<DString>& tries) const
{
    const TPDAUIEngineSkinSettings& s = owner_->skinSettings;
    for (const DString* skin : {&s.skinName, &s.defaultSkinName}) {
        if (skin != &s.skinName && SameSkin(s.skinName, *skin))
            break;
        DString path = InFolder(owner_->skinsFolder, *skin, pageName);
        if (s.landscape) {
            DString variant(path);
            variant << kLandscape << ".cpage";
            tries.Add(variant);
        }
        path << ".cpage";
        tries.Add(path);
    }
}

TFicheroITV* TPDAUIEngineResources::OpenCompiledPage(DString& pageName, const char* mode)
{
    if (!owner_)
        return nullptr;
    Vector<DString> tries(4, 4);
    CompiledPageTries(pageName, tries);
    TFicheroITV* file = new TFicheroITV();
    Path::LookupBatch lookups;  // the variants share their folder
    for (int i = 0; i < tries.Count(); ++i) {
        if (lookups.Lookup(tries[i].c_str()) == Path::Kind::File && file->Abre(tries[i].c_str(), mode)) {
            pageName = tries[i];
            return file;
        }
    }
    delete file;
    return nullptr;
}

template <typename Read>
bool TPDAUIEngineResources::FindCompiledPage(DString& pageName, Read read)
{
    if (!owner_)
        return false;
    Vector<DString> tries(4, 4);
    CompiledPageTries(pageName, tries);
    Path::LookupBatch own;  // the variants share their folder
    Path::LookupBatch& lookups = batch_ ? *batch_ : own;
    for (int i = 0; i < tries.Count(); ++i) {
        if (lookups.Lookup(tries[i].c_str()) == Path::Kind::File && read(tries[i].c_str(), lookups)) {
            pageName = tries[i];
            return true;
        }
    }
    return false;
}

bool TPDAUIEngineResources::ReadCompiledPage(DString& pageName, std::unique_ptr<unsigned char[]>& data,
                                             uint32_t& size, uint32_t& length)
{
    data.reset();
    size = length = 0;
    return FindCompiledPage(pageName, [&](const char* path, Path::LookupBatch&) {
        return TFicheroITV::LeeEntero(path, data, size, length);
    });
}

std::shared_ptr<const TWholeFile> TPDAUIEngineResources::ReadCompiledPageKept(DString& pageName)
{
    if (!owner_)
        return nullptr;
    Path::LookupBatch own;
    Path::LookupBatch& lookups = batch_ ? *batch_ : own;
    TWholeFileCache& cache = TWholeFileCache::Shared();
    const uint64_t moment = lookups.Moment();
    const uint64_t roots = Path::RootChanges();
    const std::string name(pageName.c_str(), (size_t)pageName.Length());
    if (moment != 0) {
        // Asked at every load: their room is kept from one read to the next (of this thread).
        static thread_local std::string path, identity;
        path.clear();
        {
            std::lock_guard<std::mutex> lock(g_pagesLock);
            auto it = g_pages.find(name);
            if (it != g_pages.end())
                for (const TPageFound& found : it->second)
                    if (SameSettings(found, *owner_)) {
                        if (found.checkedAt == moment && found.rootChanges == roots) {
                            path.assign(found.path);
                            identity.assign(found.identity);
                        }
                        break;
                    }
        }
        // Gone from the kept files: read the long way.
        if (!path.empty())
            if (std::shared_ptr<const TWholeFile> file = cache.Find(path, identity)) {
                pageName = DString(path.c_str(), int(path.size()));
                return file;
            }
    }
    std::shared_ptr<const TWholeFile> file;
    int reads = 0;
    const bool found = FindCompiledPage(pageName, [&](const char* path, Path::LookupBatch& batch) {
        ++reads;
        return bool(file = cache.Read(path, &batch));
    });
    if (found && reads == 1 && moment != 0)
        KeepFoundPage(name, pageName, file, lookups, roots);
    return file;
}

void TPDAUIEngineResources::KeepFoundPage(const std::string& name, const DString& path,
                                          const std::shared_ptr<const TWholeFile>& file,
                                          Path::LookupBatch& lookups, uint64_t roots) const
{
    // Only a file kept whole is worth finding again; those before it were no files.
    const std::string found(path.c_str(), (size_t)path.Length());
    const std::string identity = lookups.FileIdentity(found);
    if (identity.empty() || TWholeFileCache::Shared().Find(found, identity) != file)
        return;
    Vector<DString> tries(4, 4);
    CompiledPageTries(DString(name.c_str(), int(name.size())), tries);
    std::vector<std::string> paths;
    for (int i = 0; i < tries.Count(); ++i) {
        paths.emplace_back(tries[i].c_str(), (size_t)tries[i].Length());
        if (paths.back() == found)
            break;
    }
    if (paths.empty() || paths.back() != found || !lookups.Holds(paths))
        return;
    TPageFound kept;
    KeepSettings(kept, *owner_);
    kept.checkedAt = lookups.Moment();
    kept.rootChanges = roots;
    kept.path = found;
    kept.identity = identity;
    std::lock_guard<std::mutex> lock(g_pagesLock);
    KeepUnderSettings(g_pages, name, std::move(kept), *owner_, kMaxPages, kMaxSettingsPerPage,
                      [](const TPageFound& page) -> const TChosenUnder& { return page; });
}

// ---- Images ---------------------------------------------------------------------------------

DString TPDAUIEngineResources::RegisterImage(TDibIG* image)
{
    DString name;
    if (!image)
        return name;
    for (int i = 0; i < handles_.Count(); ++i)
        if (handles_[i].image == image)
            return name.Dsprintf("0x%X", handles_[i].number);
    Handle h{g_nextHandle++, image};
    if (g_nextHandle == 0)
        g_nextHandle = 1;
    handles_.Add(h);
    return name.Dsprintf("0x%X", h.number);
}

void TPDAUIEngineResources::UnregisterImage(TDibIG* image)
{
    for (int i = handles_.Count() - 1; i >= 0; --i)
        if (handles_[i].image == image)
            handles_.Remove(i);
}

TDibIG* TPDAUIEngineResources::FindHandle(const CDString& name) const
{
    unsigned long number = 0;
    if (!IsHandleName(name, number) || number == 0)
        return nullptr;
    for (int i = 0; i < handles_.Count(); ++i)
        if (handles_[i].number == number)
            return handles_[i].image;
    return nullptr;
}

namespace {

// Where a skin image was last found, by what was asked: the settings the
// choice depends on, the existence checks that led to the file (each with its
// answer), the file (empty when every check found no file), and its bare name
// (for the themes). A later ask repeats the checks and takes the file's
// version afresh, unless the folder watch vouches for them (TKeptChoice); it
// spares building every candidate's name again. An answer that differs goes
// the long way.
struct TImageChoice : TChosenUnder {
    // The names passed over; the file's own check is its identity, asked anyway.
    std::vector<std::pair<std::string, Path::Kind>> checks;
    std::string file;
    DString bareName;
};

// A choice (or a miss), and the identity of its file as found at a moment of
// the folder watch when every folder its checks and its file lie in was
// watched: while the watch stays at that moment (and the device root is the
// same), the checks would answer the same and the file is the same version,
// so the identity (or the miss) is taken as it stands.
struct TKeptChoice {
    explicit TKeptChoice(std::shared_ptr<const TImageChoice> made) : choice(std::move(made)) {}
    std::shared_ptr<const TImageChoice> choice;
    uint64_t checkedAt = 0;  // 0: none
    uint64_t rootChanges = 0;
    std::string identity;
};

std::mutex g_choicesLock;
// By the name asked; a few settings each (engines with other skins, both
// orientations). Held shared, so that a choice is checked outside the lock.
std::unordered_map<std::string, std::vector<TKeptChoice>> g_choices;
const size_t kMaxChoices = 1024;
const size_t kMaxSettingsPerName = 4;
// What AppendThemeKey adds at most.
const size_t kThemeKeyRoom = 2 * 24;

// Keeps how name was found for the next ask under the same settings.
void KeepChoice(const std::string& name, std::shared_ptr<const TImageChoice> choice, const TPDAUIEngine& owner)
{
    std::lock_guard<std::mutex> lock(g_choicesLock);
    KeepUnderSettings(g_choices, name, TKeptChoice(std::move(choice)), owner, kMaxChoices, kMaxSettingsPerName,
                      [](const TKeptChoice& kept) -> const TChosenUnder& { return *kept.choice; });
}

// Records that choice's checks and file identity hold while lookups' moment
// does; nothing when some folder is not watched or the watch moved on.
void KeepCheckedChoice(const std::string& name, const TImageChoice& choice, const std::string& identity,
                       Path::LookupBatch& lookups, uint64_t rootChanges)
{
    const uint64_t moment = lookups.Moment();
    if (moment == 0)
        return;
    std::vector<std::string> paths;
    paths.reserve(choice.checks.size() + 1);
    for (const auto& check : choice.checks)
        paths.push_back(check.first);
    if (!choice.file.empty())
        paths.push_back(choice.file);
    if (!lookups.Holds(paths))
        return;
    std::lock_guard<std::mutex> lock(g_choicesLock);
    auto it = g_choices.find(name);
    if (it == g_choices.end())
        return;
    for (auto& kept : it->second)
        if (kept.choice.get() == &choice) {
            kept.checkedAt = moment;
            kept.rootChanges = rootChanges;
            kept.identity = identity;
            return;
        }
}

} // namespace

bool TPDAUIEngineResources::FindChosenImage(const std::string& name, Path::LookupBatch& lookups,
                                            std::shared_ptr<TDibIG>& image) const
{
    const uint64_t moment = lookups.Moment();
    const uint64_t roots = Path::RootChanges();
    std::shared_ptr<const TImageChoice> found;
    bool checked = false;
    // Asked at every load of every image: the key's room is kept from one ask
    // to the next (of this thread).
    static thread_local std::string key;
    key.clear();
    {
        std::lock_guard<std::mutex> lock(g_choicesLock);
        auto it = g_choices.find(name);
        if (it == g_choices.end())
            return false;
        for (const auto& kept : it->second)
            if (SameSettings(*kept.choice, *owner_)) {
                found = kept.choice;
                checked = moment != 0 && kept.checkedAt == moment && kept.rootChanges == roots;
                if (checked) {
                    key.reserve(kept.identity.size() + kThemeKeyRoom);  // the themes' part fits
                    key.assign(kept.identity);
                }
                break;
            }
    }
    if (!found)
        return false;
    const TImageChoice& choice = *found;
    const bool miss = choice.file.empty();
    if (!checked) {
        for (const auto& check : choice.checks)
            if (lookups.Lookup(check.first) != check.second)
                return false;
        // Only a regular file has an identity: it answers for the file's own check.
        if (!miss) {
            key = lookups.FileIdentity(choice.file);
            if (key.empty())
                return false;
        }
        KeepCheckedChoice(name, choice, key, lookups, roots);
    }
    image.reset();
    if (miss)
        return true;
    AppendThemeKey(choice.bareName, key);
    image = TPDAUIEngineImageCache::Shared().Find(key);
    return image != nullptr;
}

std::shared_ptr<TDibIG> TPDAUIEngineResources::LoadImageFile(const char* name, bool shared) const
{
    if (!owner_)
        return nullptr;
    Path::LookupBatch own;  // the variants share their folders
    Path::LookupBatch& lookups = batch_ ? *batch_ : own;
    const std::string asked(name);
    const uint64_t roots = Path::RootChanges();
    if (shared) {
        std::shared_ptr<TDibIG> kept;
        if (FindChosenImage(asked, lookups, kept))
            return kept;
    }
    const TPDAUIEngineSkinSettings& s = owner_->skinSettings;
    const DString& folder = owner_->skinsFolder;
    const bool fullPath = IsFullPath(name);

    TStringNomFitx withExt(name);
    withExt.Anyade_Ext_sinohay(s.bitmapExtension.c_str());

    Vector<DString> tries(2, 2);
    DString path = fullPath ? DString(withExt) : InFolder(folder, s.skinName, withExt);
    bool found = false;  // path known to exist
    auto made = std::make_shared<TImageChoice>();
    TImageChoice& choice = *made;
    auto exists = [&](const DString& file) {
        const Path::Kind kind = lookups.Lookup(file.c_str());
        choice.checks.emplace_back(std::string(file.c_str(), (size_t)file.Length()), kind);
        return kind == Path::Kind::File;
    };
    if (s.landscape) {
        DString own = LandscapeVariant(path);
        if (exists(own)) {
            path = own;
            found = true;
        } else if (!fullPath && !SameSkin(s.skinName, s.defaultSkinName)) {
            DString other = LandscapeVariant(InFolder(folder, s.defaultSkinName, withExt));
            if (exists(other)) {
                path = other;
                found = true;
            }
        }
    }
    tries.Add(path);
    if (!fullPath && !SameSkin(s.skinName, s.defaultSkinName))
        tries.Add(InFolder(folder, s.defaultSkinName, withExt));

    TPDAUIEngineImageCache& cache = TPDAUIEngineImageCache::Shared();
    for (int i = 0; i < tries.Count(); ++i) {
        const DString& file = tries[i];
        if (!(i == 0 && found) && !exists(file))
            continue;
        std::string key, identity;
        const DString bareName = TStringNomFitx(file).nom_fitx();
        if (shared) {
            identity = lookups.FileIdentity(file.c_str());
            if (!identity.empty()) {
                key = identity;
                AppendThemeKey(bareName, key);
            }
        }
        std::shared_ptr<TDibIG> image = key.empty() ? nullptr : cache.Find(key);
        if (!image) {
            auto read = std::make_shared<TDibIGformat>();
            if (!read->Lee(file.c_str()))
                continue;
            ApplyThemes(bareName, read.get());
            if (!key.empty())
                cache.Add(key, read);
            image = read;
        }
        if (!key.empty()) {
            // The last check is the file's own (found to be a file).
            choice.checks.pop_back();
            choice.file.assign(file.c_str(), (size_t)file.Length());
            choice.bareName = bareName;
            KeepSettings(choice, *owner_);
            KeepChoice(asked, made, *owner_);
            KeepCheckedChoice(asked, choice, identity, lookups, roots);
        }
        return image;
    }
    // No file at all (not one that would not decode): remembered as a miss.
    if (shared) {
        bool anyFile = false;
        for (const auto& check : choice.checks)
            anyFile = anyFile || check.second == Path::Kind::File;
        if (!anyFile && !choice.checks.empty()) {
            KeepSettings(choice, *owner_);
            KeepChoice(asked, made, *owner_);
            KeepCheckedChoice(asked, choice, std::string(), lookups, roots);
        }
    }
    return nullptr;
}

void TPDAUIEngineResources::AppendThemeKey(const CDString& bareName, std::string& key) const
{
    if (!owner_ || owner_->skinCompiling) {
        key += "|plain";
        return;
    }
    const TPDAUIEngineSkinSettings& s = owner_->skinSettings;
    char text[kThemeKeyRoom];
    char* end = text;
    for (const TPDAUIEngineTheme* theme : {&s.theme1, &s.theme2}) {
        *end++ = '|';
        // Every theme without image rules does the same to an image (generations start at 1):
        // engines, and loads of such themes, share what they decoded.
        const unsigned long long rules = theme->imageRules.Count() == 0 ? 0 : theme->Generation();
        end = std::to_chars(end, text + sizeof text, rules).ptr;
        if (theme->IsImageExcluded(bareName))
            *end++ = 'x';
    }
    key.append(text, size_t(end - text));
}

void TPDAUIEngineResources::ApplyThemes(const CDString& name, TDibIG* image) const
{
    if (!owner_ || owner_->skinCompiling)
        return;
    // Theme 2 takes what theme 1 leaves: images theme 1 excludes or has no rule for.
    TPDAUIEngineSkinSettings& s = owner_->skinSettings;
    if (!s.theme1.ApplyImageRules(name, image) || !s.theme1.HasImageRule(name))
        s.theme2.ApplyImageRules(name, image);
}

void TPDAUIEngineResources::Replace(TPDAUIEngineResource* cached, TDibIG* fresh)
{
    if (cached->object) {
        // Whoever shares the object sees the new pixels; later lookups of the old
        // file and themes must not.
        TPDAUIEngineImageCache::Shared().Forget(cached->object);
        cached->object->Swap(*fresh);
        delete fresh;
    } else {
        cached->holder.reset(fresh);
        cached->object = fresh;
    }
}

TDibIG* TPDAUIEngineResources::GetImage(const char* name, bool noCell, bool reload)
{
    if (!name)
        return nullptr;
    CDString text(name);
    // Searched with the library's memchr: every ask of every load passes here.
    const std::string_view view(text.c_str(), (size_t)text.Length());
    // A "common" name another store answers for (a cell of one may be kept
    // here, asked by its cell name); no handle name holds "common" ('o' is no
    // hexadecimal digit).
    if (!engineStore_ && owner_ && view.find("common") != std::string_view::npos)
        return owner_->resources.GetImage(name, noCell, reload);
    const size_t open = noCell ? std::string_view::npos : view.find('[');
    // Most asks are for an image this store holds already, so it looks first.
    // Handle names are never kept; a name with a cell asks for the cell.
    const bool looked = !reload && !text.IsEmpty() && open == std::string_view::npos;
    if (looked)
        if (TPDAUIEngineResource* cached = Find(text))
            return cached->object;
    // An image in memory is named only through the handle table, never by address.
    unsigned long number = 0;
    if (IsHandleName(text, number))
        return FindHandle(text);
    if (text.IsEmpty())
        return nullptr;

    if (open != std::string_view::npos) {
        // "base[index,width,height]": the first three words between commas (no
        // empty words), up to ']' or the end; missing ones are -1, 0, 0.
        const DString base = text.SubString(0, (int)open);
        const size_t close = view.find(']', open);
        const char* p = view.data() + open + 1;
        const char* const end = view.data() + (close == std::string_view::npos ? view.size() : close);
        int values[3] = {-1, 0, 0};
        for (int n = 0; n < 3; ++n) {
            while (p < end && *p == ',')
                ++p;
            if (p == end)
                break;
            const char* const word = p;
            while (p < end && *p != ',')
                ++p;
            values[n] = CDString(word, int(p - word), text.GetCodepage()).atoi();
        }
        return GetImageCell(base.c_str(), values[0], values[1], values[2], reload);
    }

    // Not there when looked for above.
    TPDAUIEngineResource* cached = looked ? nullptr : Find(text);
    if (cached && !reload)
        return cached->object;

    // A reload reads the file anew into an image of its own, to be swapped in.
    std::shared_ptr<TDibIG> image = LoadImageFile(name, !cached);
    if (!image)
        return nullptr;  // a cached object keeps its pixels
    if (cached) {
        TDibIG* fresh = new TDibIG();
        fresh->Swap(*image);
        Replace(cached, fresh);
        return cached->object;
    }
    items_.Add(new TPDAUIEngineResource(name, image));
    return image.get();
}

TDibIG* TPDAUIEngineResources::CutCell(const TDibIG* strip, int index, int width, int height)
{
    if (!strip || index < 0 || width <= 0 || height <= 0)
        return nullptr;
    const long long left = (long long)index * width;
    const long long right = left + width;
    if (right > strip->Width() || height > strip->AbsHeight())
        return nullptr;
    return strip->CopyRect(TRectIG((int)left, 0, (int)right, height));
}

TDibIG* TPDAUIEngineResources::GetImageCell(const char* name, int index, int width, int height,
                                           bool reload)
{
    if (!name || index < 0 || width <= 0 || height <= 0)
        return nullptr;
    DString cellName(name);
    cellName << "_" << index;
    TPDAUIEngineResource* cached = Find(cellName);
    if (cached && !reload)
        return cached->object;

    TDibIG* cell = CutCell(GetImage(name, true, reload), index, width, height);
    if (!cell)
        return nullptr;
    if (cached) {
        Replace(cached, cell);
        return cached->object;
    }
    TPDAUIEngineResource* resource = new TPDAUIEngineResource(cellName.c_str(), cell);
    resource->cellSource = name;
    resource->cellIndex = index;
    resource->cellWidth = width;
    resource->cellHeight = height;
    items_.Add(resource);
    return cell;
}

void TPDAUIEngineResources::ReloadCachedImages()
{
    // Whole images first (newest first), then the cells from their new strips.
    for (int i = items_.Count() - 1; i >= 0; --i) {
        if (i >= items_.Count() || items_[i]->IsCell())
            continue;
        const DString name = items_[i]->name;
        if (name.strchr('[') < 0)
            GetImage(name.c_str(), true, true);
    }
    for (int i = 0; i < items_.Count(); ++i) {
        TPDAUIEngineResource* cell = items_[i];
        if (!cell->IsCell())
            continue;
        TDibIG* fresh = CutCell(GetImage(cell->cellSource.c_str(), true, false), cell->cellIndex,
                                cell->cellWidth, cell->cellHeight);
        if (fresh)
            Replace(cell, fresh);
    }
}
