#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "enginelib/base/DString.h"

class TPDAUIEngine;
class TPDAUIEngineCommandQueue;
class TPDAUIEngineElement;

// Asynchronous bitmap downloads. A worker thread fetches the source into a
// "tempuiedm" file of the engine's temporary folder and posts the completion;
// the UI thread's dispatcher hands it to OnBitmapDownloaded, which names the file
// by its type and shows it in the element that asked for it. There is no network
// here: sources are "file://" addresses and paths.
class TPDAUIEngineDownloadManager {
public:
    TPDAUIEngineDownloadManager(TPDAUIEngine* owner, TPDAUIEngineCommandQueue* queue);
    // Waits for running downloads, then deletes every temporary download file.
    ~TPDAUIEngineDownloadManager();
    TPDAUIEngineDownloadManager(const TPDAUIEngineDownloadManager&) = delete;
    TPDAUIEngineDownloadManager& operator=(const TPDAUIEngineDownloadManager&) = delete;

    // Starts fetching source for the element (its numeric id is the request id).
    // False when nothing was started: no element, no source or no temporary folder.
    bool GetBitmapAsync(TPDAUIEngineElement* element, const char* source, bool reload);

    // A finished download, on the UI thread.
    void OnBitmapDownloaded(int requestId, bool ok, const DString& file, const DString& mimeType,
                            bool reload);

    // Blocks until no download runs; the engine calls it before its queue goes.
    void WaitAll();

    // The type of a fetched file from its first bytes ("image/png", "image/jpeg",
    // "image/bmp"), or "application/octet-stream".
    static const char* SniffMimeType(const unsigned char* head, size_t length);

    TPDAUIEngine* owner;

private:
    struct TWorker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void JoinFinished();
    void DeleteTemporaryFiles();

    TPDAUIEngineCommandQueue* queue_;
    std::mutex workersLock_;
    std::vector<TWorker> workers_;
    unsigned counter_ = 0;
};
