#pragma once
#include "enginelib/base/DString.h"

class TPDAUIEngine;

// The UI-thread end of asynchronous bitmap downloads. Only what the engine holds
// today: the owner, and the completion the posted-command dispatcher calls.
class TPDAUIEngineDownloadManager {
public:
    explicit TPDAUIEngineDownloadManager(TPDAUIEngine* owner) : owner(owner) {}
    TPDAUIEngineDownloadManager(const TPDAUIEngineDownloadManager&) = delete;
    TPDAUIEngineDownloadManager& operator=(const TPDAUIEngineDownloadManager&) = delete;

    // A finished download. Nothing in the program starts downloads yet, so the
    // completion has nothing to show and does nothing.
    void OnBitmapDownloaded(int requestId, bool ok, const DString& file, const DString& mimeType,
                            bool reload) {}

    TPDAUIEngine* owner;
};
