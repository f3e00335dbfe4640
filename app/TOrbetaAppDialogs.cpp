#include "app/TOrbetaApp.h"

// Dialog requests: being written.
int TOrbetaApp::ShowProgress(TMonitorProc&, const DString&, const DString&, bool&, int, int) { return 0; }
int TOrbetaApp::ShowMessageBox(const DString&, const DString&, int, int, TCallbackLumor*, const char*, const char*,
                               const char*, const char*, const char*)
{
    return 0;
}
int TOrbetaApp::ShowProperties(TElementoGPS*, int, TPDAUIEngineCommand*) { return 0; }
int TOrbetaApp::ShowLists(TElementoGPS*, int, const TTipoObjetoGPS*, int, const DString&) { return 0; }
int TOrbetaApp::ShowFileOpen(TOpenFileNameLumor&) { return 0; }
int TOrbetaApp::InputGeoCode(const DString&, const DString&, const DString&, int, TPDAUIEngineCommand*, int)
{
    return 0;
}
int TOrbetaApp::InputTextForObject(const DString&, const DString&, TPDAUIEngineElement*, int, int) { return 0; }
int TOrbetaApp::InputText(const DString&, const DString&, const DString&, int, int) { return 0; }
int TOrbetaApp::AskRadio(const DString&, const DString&, Vector<DString>&, int, int) { return 0; }
int TOrbetaApp::InputComboBox(int, TPDAUIEngineElement*) { return 0; }
int TOrbetaApp::ShowContextMenu(TPDAUIEngineElement*) { return 0; }
int TOrbetaApp::FotoViews(TStringNomFitx&, const DString&, int) { return 0; }
int TOrbetaApp::TextViews(const DString&, const DString&, int) { return 0; }
int TOrbetaApp::QueueAttachment(TElementoGPS*, TStringNomFitx&, const DString&, int) { return 0; }
int TOrbetaApp::AskGeoCode(const DString&, int, const DString&) { return 0; }
