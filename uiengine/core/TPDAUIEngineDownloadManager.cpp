#include "uiengine/core/TPDAUIEngineDownloadManager.h"

#include <cstring>

#include "enginelib/base/LibraryLog.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/TIteradorFitx.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const char kTempPrefix[] = "tempuiedm";

DString JoinPath(const DString& folder, const char* name)
{
    DString path(folder);
    if (path.Length() > 0 && path[path.Length() - 1] != '\\' && path[path.Length() - 1] != '/')
        path += "\\";
    path += name;
    return path;
}

// "file:///abs/path" and "file://host/path" name a local file; anything else is
// taken as a path.
DString SourcePath(const char* source)
{
    CDString text(source);
    if (!text.StartsWith("file://"))
        return DString(source);
    const char* rest = source + 7;
    if (*rest != '/' && *rest != '\\') {
        const char* slash = std::strpbrk(rest, "/\\");
        rest = slash ? slash : rest + std::strlen(rest);
    }
    return DString(rest);
}

// Copies from into the new file to, sniffing the type from the first bytes.
// Whatever goes wrong, no partial file is left.
bool Fetch(const DString& from, const DString& to, DString* mimeType)
{
    TFicheroITV in;
    if (!in.Abre(from.c_str(), ITV_MODO_LECTURA))
        return false;
    TFicheroITV out;
    if (!out.Abre(to.c_str(), ITV_MODO_CREACION))
        return false;
    unsigned char buffer[64 * 1024];
    bool first = true;
    bool ok = true;
    for (uint32_t left = in.FileSize(); left > 0 && ok;) {
        uint32_t want = left < sizeof buffer ? left : uint32_t(sizeof buffer);
        uint32_t got = in.Lee(buffer, want);
        if (got != want)
            ok = false;
        if (first) {
            *mimeType = TPDAUIEngineDownloadManager::SniffMimeType(buffer, got);
            first = false;
        }
        if (got && !out.Escribe(buffer, got))
            ok = false;
        left -= got;
    }
    if (first)
        *mimeType = TPDAUIEngineDownloadManager::SniffMimeType(buffer, 0);
    in.Cierra();
    if (!out.Cierra())
        ok = false;
    if (!ok)
        TFitxUtils::Borra_Archivo(to.c_str());
    return ok;
}

}  // namespace

TPDAUIEngineDownloadManager::TPDAUIEngineDownloadManager(TPDAUIEngine* owner,
                                                         TPDAUIEngineCommandQueue* queue)
    : owner(owner), queue_(queue)
{
}

TPDAUIEngineDownloadManager::~TPDAUIEngineDownloadManager()
{
    WaitAll();
    DeleteTemporaryFiles();
}

const char* TPDAUIEngineDownloadManager::SniffMimeType(const unsigned char* head, size_t length)
{
    static const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (length >= sizeof png && std::memcmp(head, png, sizeof png) == 0)
        return "image/png";
    if (length >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff)
        return "image/jpeg";
    if (length >= 2 && head[0] == 'B' && head[1] == 'M')
        return "image/bmp";
    return "application/octet-stream";
}

bool TPDAUIEngineDownloadManager::GetBitmapAsync(TPDAUIEngineElement* element, const char* source,
                                                 bool reload)
{
    if (!element || !source || !*source || !owner || owner->tempFolder.Length() == 0)
        return false;
    // The completion is one command text split at ',' and ')': a folder holding
    // them could not be named in it.
    if (std::strpbrk(owner->tempFolder.c_str(), ",()")) {
        LibraryLog("Download manager: the temporary folder's name cannot be posted");
        return false;
    }
    int requestId = element->numericId.load();
    DString from = SourcePath(source);
    DString to;
    {
        std::lock_guard<std::mutex> hold(workersLock_);
        DString name(kTempPrefix);
        name << int(++counter_);
        to = JoinPath(owner->tempFolder, name.c_str());
    }
    JoinFinished();

    auto done = std::make_shared<std::atomic<bool>>(false);
    TPDAUIEngineCommandQueue* queue = queue_;
    std::thread worker([queue, requestId, from, to, reload, done] {
        DString mimeType;
        bool ok = Fetch(from, to, &mimeType);
        DString name(TPDAUIEngineCommand::kDownloadPrefix);
        name << "(" << requestId << "," << (ok ? "1" : "0") << "," << to.c_str() << ","
             << mimeType.c_str() << "," << (reload ? "1" : "0") << ")";
        queue->Post(TPDAUIEngineCommand(nullptr, name.c_str()));
        done->store(true);
    });
    std::lock_guard<std::mutex> hold(workersLock_);
    workers_.push_back(TWorker{std::move(worker), done});
    return true;
}

void TPDAUIEngineDownloadManager::JoinFinished()
{
    std::lock_guard<std::mutex> hold(workersLock_);
    for (size_t i = 0; i < workers_.size();) {
        if (workers_[i].done->load()) {
            workers_[i].thread.join();
            workers_[i] = std::move(workers_.back());
            workers_.pop_back();
        } else {
            ++i;
        }
    }
}

void TPDAUIEngineDownloadManager::WaitAll()
{
    std::vector<TWorker> running;
    {
        std::lock_guard<std::mutex> hold(workersLock_);
        running.swap(workers_);
    }
    for (TWorker& worker : running)
        worker.thread.join();
}

void TPDAUIEngineDownloadManager::DeleteTemporaryFiles()
{
    // Downloads need a temporary folder, so without one there is nothing to delete.
    if (!owner || owner->tempFolder.Length() == 0)
        return;
    DString pattern = JoinPath(owner->tempFolder, "tempuiedm*");
    TIteradorFitx files(pattern.c_str());
    while (files.Siguiente())
        if (!files.EsCarpeta())
            TFitxUtils::Borra_Archivo(files.Ruta().c_str());
}

void TPDAUIEngineDownloadManager::OnBitmapDownloaded(int requestId, bool ok, const DString& file,
                                                     const DString& mimeType, bool reload)
{
    if (!owner)
        return;
    TPDAUIEngineElementPage* page = nullptr;
    TPDAUIEngineElement* element = nullptr;
    for (int i = 0; i < owner->GetPageCount() && !element; ++i) {
        page = owner->GetPage(i);
        element = page ? page->FindByNumericId(requestId) : nullptr;
    }
    if (!element || !ok)
        return;

    DString name(file);
    const char* extension = nullptr;
    if (mimeType == "image/jpg" || mimeType == "image/jpeg")
        extension = ".jpg";
    else if (mimeType == "image/png")
        extension = ".png";
    else if (mimeType == "image/bmp")
        extension = ".bmp";
    if (extension) {
        name += extension;
        // The earlier file of that name goes first for every type, so a second
        // download never shows the first one's picture.
        TFitxUtils::Borra_Archivo(name.c_str());
        TFitxUtils::Mueve_Archivo(file.c_str(), name.c_str());
    }
    element->image = page->resources.GetImage(name.c_str(), false, reload);
    element->imageName = name;
    page->ReapplyBounds();
    page->Invalidate();
}
