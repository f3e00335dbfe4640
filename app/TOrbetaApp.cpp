#include "app/TOrbetaApp.h"

// Program entry, first stage, run and shut-down: being written.
TOrbetaApp::TOrbetaApp() : version("2.6.1") {}

TOrbetaApp::~TOrbetaApp() = default;

bool TOrbetaApp::Init() { return false; }

bool TOrbetaApp::Run() { return false; }
