#include "app/TOrbetaApp.h"

// Command executor and command strings: being written.
bool TOrbetaApp::ExecuteCommand(int, TPDAUIEngineCommand*, int, const char*, const char*, int,
                                TPDAUIEngineElementPage*, const char*)
{
    return false;
}
void TOrbetaApp::PostEngineCommand(int, const char*) {}
void TOrbetaApp::BroadcastDataModified(TElementoGPS*) {}
void TOrbetaApp::LoadGraphData() {}
