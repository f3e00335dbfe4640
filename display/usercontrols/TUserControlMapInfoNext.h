#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TElementoGPS;
class TOrbetaApp;
class TUserControlSignpost;

// The next manoeuvre as text or signpost, or the road's direction without a
// route ("usercontrol/usercontrolMapInfoNext"). A tap shows more lines of a long
// text, or fewer; the content is read at most once a second, on paint.
class TUserControlMapInfoNext : public TPDAUIEngineElementUserControl {
public:
    enum Mode { ModeEmpty = 0, ModeNextManoeuvre = 1, ModeFieldText = 3 };

    explicit TUserControlMapInfoNext(TOrbetaApp* app);
    ~TUserControlMapInfoNext() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnCommand(TPDAUIEngineCommand& command) override;

    // Reads the fields and lays the children out for them.
    void UpdateContent();

    // The object of field 380 when it has attachments, else null.
    static TElementoGPS* ObjectWithAttachments(TOrbetaApp* app, int field);

    TOrbetaApp* app;
    TPDAUIEngineElement* lblText = nullptr;
    TPDAUIEngineElement* btnShowAttachments = nullptr;
    TPDAUIEngineElement* imbMore = nullptr;
    TPDAUIEngineElement* imbLess = nullptr;
    TPDAUIEngineElement* boxMoreLess = nullptr;
    TUserControlSignpost* usercontrolSignpost = nullptr;

    int mode = ModeEmpty;
    // Set for the data-field gadget's one-line use: the control never expands.
    bool singleLine = false;
    int lastRefresh = 0;
    bool refreshed = false;
    int configuredLines = 1;
    int lineLimit = 1;
    int shownLines = 1;
    int neededLines = 0;
    bool expanded = false;
    int layoutMode = -1;
    int layoutLines = -1;
    DString viewerTitle = "text";

private:
    void NextManoeuvre(const DString& text);
    void FieldText(const DString& text);
    void Empty();
    // The line rule of the manoeuvre text and the signpost.
    void ApplyLineRule(int previousMode);
    void UpdateAttachments();
    // Room for text inside lblText.
    int LabelContentWidth();
    static void SetMaxLines(TPDAUIEngineElement* label, int lines);
};
