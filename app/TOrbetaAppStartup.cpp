#include "app/TOrbetaApp.h"

// Second start-up stage and the library's callbacks: being written.
bool TOrbetaApp::InitEngine() { return false; }
