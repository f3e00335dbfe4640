#include "app/TOrbetaApp.h"

// Power watch, USB hand-over and updater: being written.
void TOrbetaApp::PowerWatch() {}
void TOrbetaApp::PeriodicScreenUpdate() {}
unsigned long TOrbetaApp::UsbThreadProc(void*) { return 0; }
bool TOrbetaApp::RunUpdaterIfPresent(const DString&) { return false; }
bool TOrbetaApp::CheckUsbStartMode(const DString&) { return false; }
void TOrbetaApp::LaunchUsbProgramOnExit() {}
