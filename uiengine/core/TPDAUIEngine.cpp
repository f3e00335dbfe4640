#include "uiengine/core/TPDAUIEngine.h"

#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/TRelojTierra.h"
#include "enginelib/base/Tick.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

TDibIG* EngineImageRequest(void* context, const char* name)
{
    return static_cast<TPDAUIEngine*>(context)->FindImage(name);
}

void EngineClockTick(void* data) { static_cast<TPDAUIEngine*>(data)->OnClockTick(); }

// The drawing context's own text calls (map labels and the like), drawn with the
// top page's font. The flag byte set through the third hook marks the next text
// drawn as bordered.
uint8_t g_textFlag = 0;

int EngineDrawText(void* user, IDC* dc, TFontIG*, const char* text, TRectIG& rect, unsigned flags,
                   TColorIG colour, const TColorIG* background)
{
    TPDAUIEngine* engine = static_cast<TPDAUIEngine*>(user);
    TPDAUIEngineElementPage* page = engine->GetTopPage();
    if (!page)
        return 0;
    TPDAUIEngineStyleFont font = engine->PageFont(page);
    font.bordered = g_textFlag != 0;
    return engine->DrawText(dc, font, colour, background, CDString(text), rect, (int)flags, 0);
}

TSizeIG EngineMeasureText(void* user, IDC*, TFontIG*, const char* text, int maxWidth,
                          unsigned flags)
{
    TPDAUIEngine* engine = static_cast<TPDAUIEngine*>(user);
    TPDAUIEngineElementPage* page = engine->GetTopPage();
    if (!page)
        return TSizeIG(-1, 0);
    TPDAUIEngineStyleFont font = engine->PageFont(page);
    return engine->GetTextExtent(font, CDString(text), maxWidth, (int)flags);
}

int EngineTextFlag(void*, IDC*, int flag)
{
    g_textFlag = (uint8_t)flag;
    return 0;
}

TDibIG* EngineGlyph(void* user, const char* family, int code, int size, TRectIG& source,
                    int& advance, int& top)
{
    return static_cast<TPDAUIEngine*>(user)->GetGlyph(family, code, size, source, advance, top);
}

} // namespace

const char* TPDAUIEngine::DefaultKeyboardLayouts()
{
    // The first character of each layout is its kind; a space separates rows.
    // 0xBF is the inverted question mark in the 8-bit code page.
    return "@ABCDEFGHIJKLMNOPQRSTUVWXYZ"
           "|@QWERTYUIOP ASDFGHJKL ZXCVBNM"
           "|@AZERTYUIOP QSDFGHJKLM WXCVBN"
           "|#7894561230-+"
           "|!0123456789-.,;=?\xBF!\"()\\/%$#@_+";
}

TPDAUIEngine::TPDAUIEngine()
    : fontManager(&EngineImageRequest, this),
      keysManager(this),
      startTick(GetTickCountAdv()),
      keyboardLayouts(DefaultKeyboardLayouts()),
      pages(5, 5, false),
      resources(this, true, 20),
      downloadManager(this, &postedCommands),
      pointerTrail(10, 10)
{
    TPDAUIEngineSkinSettings::SetCurrent(&skinSettings);
}

TPDAUIEngine::~TPDAUIEngine()
{
    // Download workers post into the queue, which goes before the manager does.
    downloadManager.WaitAll();
    TRelojTierra::SetCallbackRelojTierra(nullptr, nullptr);
    // The drawing context must not call into a dead engine.
    if (fontCallbacksOn_)
        SetFontFunctionCallbacks(false);
    if (TPDAUIEngineSkinSettings::Current() == &skinSettings)
        TPDAUIEngineSkinSettings::SetCurrent(nullptr);
    // The members go in reverse order of declaration; the pages are not ours.
}

TPDAUIEngine::ElementDeletedHook TPDAUIEngine::elementDeletedHook_ = nullptr;

void TPDAUIEngine::SetElementDeletedHook(ElementDeletedHook hook) { elementDeletedHook_ = hook; }

int TPDAUIEngine::GetTickCount()
{
    // Wrap-safe: the count keeps running after the system tick wraps.
    return (int)TickElapsed(GetTickCountAdv(), startTick);
}

TPDAUIEngineElementPage* TPDAUIEngine::GetTopPage() const
{
    return pages.IsEmpty() ? nullptr : pages[pages.Count() - 1];
}

TPDAUIEngineElementPage* TPDAUIEngine::GetPage(int index) const
{
    return (index >= 0 && index < pages.Count()) ? pages[index] : nullptr;
}

bool TPDAUIEngine::IsOnStack(const TPDAUIEngineElementPage* page) const
{
    for (int i = 0; i < pages.Count(); ++i)
        if (pages[i] == page)
            return true;
    return false;
}

bool TPDAUIEngine::BelongsToEngine(TPDAUIEngineElement* element) const
{
    return element && element->engine == this;
}

// ---- Page stack ------------------------------------------------------------------

bool TPDAUIEngine::PageShowsSameSubject(TPDAUIEngineElementPage*, TPDAUIEngineElementPage*)
{
    return false;
}

int TPDAUIEngine::OpenPage(TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                           bool replaceSame)
{
    if (parent) {
        if (!page)
            return 0;
        // The parent box takes the page as its child and loads it.
        if (TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(parent))
            box->AddChild(page, nullptr, nullptr);
        TPDAUIEngineCommand load(nullptr, "load");
        page->OnCommand(load);
        page->flex = 1;
        page->loaded = 1;
        page->parent = parent;
        if (nestedPages.IndexOf(page) < 0)
            nestedPages.Add(page);
        if (TPDAUIEngineElementPage* host = parent->GetPage())
            host->ReapplyBounds();
        Invalidate(1);
        return 0;
    }

    if (replaceSame && page) {
        for (int i = 0; i < pages.Count(); ++i) {
            TPDAUIEngineElementPage* older = pages[i];
            if (older != page && PageShowsSameSubject(older, page))
                older->Close(1);
        }
    }
    if (pages.Add(page) < 0)
        return 0;  // a null page: reported to the container's error routine

    page->OnLoad(this, nullptr, nullptr, nullptr, nullptr);
    if (page->focusToFirstVisibleElementOnLoad)
        page->FocusNext();
    TPDAUIEngineCommand load(nullptr, "load");
    page->OnCommand(load);
    page->loaded = 1;

    if (page->className == "popupMaximized") {
        page->Layout();
        InvalidateElement(page);
        Invalidate(1);
    } else {
        page->ReapplyBounds();
    }

    // Not from inside a paint (its timer pass): no frame could show, the
    // animation would only spin on the clock.
    if (skinSettings.screenPageTransitionsEnabled && pages.Count() > 1 && !painting &&
        page->transition != TPDAUIEngineElementPage::TransitionNone && IsOnStack(page))
        RunOpenTransition(page);

    Invalidate(1);
    return IsOnStack(page) ? page->result : 0;
}

int TPDAUIEngine::ShowPageModal(TPDAUIEngineElementPage* page, bool replaceSame)
{
    if (!page)
        return 0;
    if (TPDAUIEngineElementPage* top = GetTopPage())
        if (!top->loaded)
            top->ReapplyBounds();
    paintSuppressed = 0;
    page->modal = 1;

    const int count = pages.Count();
    OpenPage(page, nullptr, replaceSame);
    RunModalLoop(count);

    if (quit && IsOnStack(page)) {
        // Quitting: take the pages above this one away (deleting only those the
        // engine owns), then this one, so the caller can delete it safely.
        ClosePagesAboveForQuit(page);
        const TPDAUIEngineCallbacks& cb = callbacks;
        if (cb.quitCleanup)
            cb.quitCleanup(cb.userData);
        if (!ClosePage(page, false) && IsOnStack(page)) {
            // Still held (busy with input): it must not stay on the stack once
            // its owner deletes it.
            page->Detach();
            pages.RemoveAllEqual(page);
        }
    }
    return page->result;
}

void TPDAUIEngine::ClosePagesAboveForQuit(TPDAUIEngineElementPage* page)
{
    // Stops when a page refuses to go (busy with input) instead of spinning.
    while (pages.Count() > 1) {
        TPDAUIEngineElementPage* top = GetTopPage();
        if (top == page)
            break;
        if (!ClosePage(top, EngineOwnsPage(top)))
            break;
    }
}

bool TPDAUIEngine::EngineOwnsPage(const TPDAUIEngineElementPage* page)
{
    return !page->modal && !page->keepAfterClose;
}

bool TPDAUIEngine::ClosePage(TPDAUIEngineElementPage* page, bool deletePage)
{
    if (!page || pages.IsEmpty() || page->busyWithInput || transitionRunning_)
        return false;
    // Only the top page itself; two pages may carry the same id.
    if (GetTopPage() != page)
        return false;

    if (skinSettings.screenPageTransitionsEnabled && pages.Count() > 1 && !painting &&
        page->transition != TPDAUIEngineElementPage::TransitionNone)
        RunCloseTransition(page);  // as for opening: never from inside a paint

    page->Detach();
    pages.RemoveAllEqual(page);

    if (!quit && !page->replyCommand.name.IsEmpty() && !pages.IsEmpty())
        DeliverReply(page);

    if (deletePage)
        delete page;

    if (!quit && !pages.IsEmpty()) {
        TPDAUIEngineElementPage* top = GetTopPage();
        if (top->NeedsReload())
            top->Reload();
        else
            InvalidateElement(top);
    }
    return true;
}

void TPDAUIEngine::DeliverReply(TPDAUIEngineElementPage* closed)
{
    // A copy: the page may be shown again with its reply unchanged.
    TPDAUIEngineCommand reply = closed->replyCommand;
    reply.handled = 1;
    if (!reply.target)
        reply.target = closed;
    reply.result = closed->result;
    GetTopPage()->OnCommand(reply);
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (!reply.handled && cb.uiCommand) {
        uint8_t scratch = 0;
        cb.uiCommand(cb.userData, reply.name.c_str(), "", reply.elapsed, &scratch, 0);
    }
}

void TPDAUIEngine::CloseFinishedPages()
{
    while (!pages.IsEmpty()) {
        TPDAUIEngineElementPage* top = GetTopPage();
        if (!top->closing)
            break;
        if (!ClosePage(top, EngineOwnsPage(top)))
            break;
        Invalidate(1);
    }
    if (quit) {
        // Modal pages belong to their ShowPageModal caller and kept pages to the
        // application: they leave the stack without being deleted.
        while (pages.Count() > 1) {
            TPDAUIEngineElementPage* top = GetTopPage();
            if (!ClosePage(top, EngineOwnsPage(top)))
                break;
        }
        Invalidate(0);
    }
}

void TPDAUIEngine::ClosePagesUntilFirst()
{
    for (int i = 1; i < pages.Count(); ++i)
        if (!pages[i]->closing)
            pages[i]->Close(0);
}

void TPDAUIEngine::CloseLastPage()
{
    if (pages.Count() >= 2)
        GetTopPage()->Close(0);
}

void TPDAUIEngine::RequestQuit()
{
    if (quit)
        return;
    ClearFonts();
    quit = 1;
    Invalidate(0);
}

void TPDAUIEngine::Terminate() { quit = 1; }

// ---- Sound, dialogs and other forwards ---------------------------------------------

int TPDAUIEngine::GetSoundVolume(int value1, int value2)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    return cb.getSoundVolume ? cb.getSoundVolume(cb.userData, value1, value2) : 0;
}

void TPDAUIEngine::SetSoundVolume(int value1, int value2)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (cb.setSoundVolume)
        cb.setSoundVolume(cb.userData, value1, value2);
}

int TPDAUIEngine::GetSoundMute()
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    return cb.getSoundMute ? cb.getSoundMute(cb.userData) : 0;
}

void TPDAUIEngine::SetSoundMute(int value1, int value2)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (cb.setSoundMute)
        cb.setSoundMute(cb.userData, value1, value2);
}

void TPDAUIEngine::PlaySound(const char* name, int flag)
{
    if (!name || !*name)
        return;
    CDString text(name);
    if (!text.Contains("sound") && !soundsEnabled)
        return;
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (GetSoundMute() || !cb.playSound)
        return;
    DString path(name);
    if (!TFitxUtils::Verifica_Existencia_Archivo(name)) {
        path = soundsFolder;
        if (!path.IsEmpty() && path[path.Length() - 1] != '\\' && path[path.Length() - 1] != '/')
            path << "\\";
        path << name << "." << skinSettings.soundExtension;
    }
    cb.playSound(cb.userData, path.c_str(), flag);
}

int TPDAUIEngine::ShowInputPanel(TPDAUIEngineElement* element, int value)
{
    if (int handled = InputPanelHandler(element, value))
        return handled;
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (!cb.textInput)
        return 0;
    int answer = cb.textInput(cb.userData, element);
    sipShown = 1;
    return answer;
}

int TPDAUIEngine::InputComboBox(TPDAUIEngineElement* comboBox, intptr_t value)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    return cb.comboBoxInput ? cb.comboBoxInput(cb.userData, comboBox, value) : 0;
}

int TPDAUIEngine::ShowContextMenu(TPDAUIEngineElement* menu, int x, int y)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    return cb.contextMenu ? cb.contextMenu(cb.userData, menu, x, y) : 0;
}

int TPDAUIEngine::GetBrightness(int value1, int value2)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    return cb.getBrightness ? cb.getBrightness(cb.userData, value1, value2) : 0;
}

void TPDAUIEngine::SetBrightness(int value1, int value2)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (cb.setBrightness)
        cb.setBrightness(cb.userData, value1, value2);
}

void TPDAUIEngine::SaveWindowGeometry()
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (cb.windowGeometry)
        cb.windowGeometry(cb.userData, screenMode, skinSettings.windowX, skinSettings.windowY,
                          skinSettings.screenWidth, skinSettings.screenHeight);
}

void TPDAUIEngine::InstallClockCallback()
{
    TRelojTierra::SetCallbackRelojTierra(&EngineClockTick, this);
}

bool TPDAUIEngine::AddFont(const char* path) { return fontManager.AddFont(path, tempFolder.c_str()); }

TDibIG* TPDAUIEngine::GetGlyph(const char* family, int code, int size, TRectIG& source,
                               int& advance, int& top)
{
    return fontManager.GetGlyph(family, code, size, source, advance, top);
}

void TPDAUIEngine::ClearFonts() { fontManager.Clear(); }

void TPDAUIEngine::AdjustFont(TPDAUIEngineStyleFont& font) { fontManager.AdjustFont(font); }

TSizeIG TPDAUIEngine::GetTextExtent(const TPDAUIEngineStyleFont& font, const CDString& text,
                                    int maxWidth, int flags)
{
    int width = 0, height = 0;
    fontManager.GetTextExtent(width, height, font, text, maxWidth, flags);
    return TSizeIG(width, height);
}

int TPDAUIEngine::MeasureText(const TPDAUIEngineStyleFont& font, const CDString& text,
                              const TRectIG& rect, int flags, int maxLines)
{
    return fontManager.FitFontSize(font, text, rect, flags, maxLines);
}

int TPDAUIEngine::DrawText(IDC* target, const TPDAUIEngineStyleFont& font, TColorIG color,
                           const TColorIG* background, const CDString& text, TRectIG& rect,
                           int flags, int maxLines)
{
    return fontManager.DrawText(target, font, color, background, text, rect, flags, maxLines);
}

int TPDAUIEngine::GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text,
                                 int lineCount, int width)
{
    return fontManager.GetLinesHeight(font, text, lineCount, width);
}

void TPDAUIEngine::SetFontFunctionCallbacks(bool on)
{
    if (on)
        IDC::SetFontFunctionCallbacks(&EngineDrawText, &EngineMeasureText, &EngineTextFlag,
                                      &EngineGlyph, this);
    else
        IDC::SetFontFunctionCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    fontCallbacksOn_ = on;
}

TPDAUIEngineStyleFont TPDAUIEngine::PageFont(TPDAUIEngineElementPage* page) const
{
    return page ? page->font : TPDAUIEngineStyleFont();
}

TDibIG* TPDAUIEngine::FindImage(const char* name)
{
    if (TPDAUIEngineElementPage* top = GetTopPage())
        if (TDibIG* image = top->resources.GetImage(name))
            return image;
    return resources.GetImage(name);
}

DString TPDAUIEngine::TranslateText(const char* text)
{
    DString copy(text);
    const TPDAUIEngineCallbacks& cb = callbacks;
    if (cb.translate)
        cb.translate(cb.userData, &copy, 1);
    return copy;
}

int TPDAUIEngine::TranslateLanguageIds(DString& text)
{
    const TPDAUIEngineCallbacks& cb = callbacks;
    return cb.translate ? cb.translate(cb.userData, &text, 0) : 0;
}

int TPDAUIEngine::GetMemoryUsed()
{
    int total = fontManager.GetMemoryUsage() + (int)resources.GetMemoryUsed() + 1368;
    for (int i = 0; i < pages.Count(); ++i)
        total += pages[i]->GetMemorySize();
    return total;
}

bool TPDAUIEngine::UseOpenGL()
{
    for (int i = pages.Count() - 1; i >= 0; --i) {
        TPDAUIEngineElementPage* page = pages[i];
        if (!page->loaded || !page->visible || page->closing)
            continue;
        int wants = page->RequiresOpenGL();
        if (wants > 0)
            return true;
        if (wants < 0)
            return false;
        if (page->fullScreen)
            break;
    }
    return skinSettings.openGLSetting ? *skinSettings.openGLSetting : false;
}

// ---- Posted commands ------------------------------------------------------------------

int TPDAUIEngine::PostCommand(const TPDAUIEngineCommand& command)
{
    return postedCommands.Post(command);
}

bool TPDAUIEngine::PopCommand(TPDAUIEngineCommand& out) { return postedCommands.Pop(out); }

void TPDAUIEngine::DispatchPostedCommands()
{
    if (postedCommands.IsEmpty())
        return;
    TPDAUIEngineCommand work;
    while (PopCommand(work)) {
        // Records aimed at deleted elements were purged when those died, so a
        // target here is alive; one of another engine ends this drain.
        if (work.target && work.target->engine != this)
            return;

        CDString name(work.name);
        if (name.StartsWith(TPDAUIEngineCommand::kDownloadPrefix)) {
            TPDAUIEngineCommand::TDownloadCompletion done;
            if (TPDAUIEngineCommand::ParseDownloadCompletion(work.name.c_str(), &done))
                downloadManager.OnBitmapDownloaded(done.requestId, done.ok, done.file,
                                                   done.mimeType, done.flag);
            continue;
        }
        if (name.StartsWith(TPDAUIEngineCommand::kElementPrefix)) {
            int numericId = 0;
            DString command;
            if (!TPDAUIEngineCommand::ParseElementCommand(work.name.c_str(), &numericId, &command))
                continue;
            for (int i = 0; i < pages.Count(); ++i) {
                if (TPDAUIEngineElement* element = pages[i]->FindByNumericId(numericId)) {
                    work.name = command;
                    element->OnCommand(work);
                    break;
                }
            }
            continue;
        }
        if (TPDAUIEngineElementPage* page = dynamic_cast<TPDAUIEngineElementPage*>(work.target)) {
            page->OnCommand(work);
        } else {
            const TPDAUIEngineCallbacks& cb = callbacks;
            if (cb.uiCommand) {
                uint8_t scratch = 0;
                cb.uiCommand(cb.userData, work.name.c_str(), "", work.elapsed, &scratch, work.data);
            }
        }
    }
}
