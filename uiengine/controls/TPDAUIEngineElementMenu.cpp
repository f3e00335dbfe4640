#include "uiengine/controls/TPDAUIEngineElementMenu.h"

#include <cstring>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

TPDAUIEngineElementMenu::TPDAUIEngineElementMenu()
{
    tag = "menu";
    layout = LayoutVertical;
    const int scale = (int)GetUIScale();
    padding.left = padding.top = padding.right = 0;
    padding.bottom = 2 * scale;
    padding.inner = 0;
    margins = TPDAUIEngineMargins();
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleSolid;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
    backgrounds.Edit(StateNormal).colour = TColoresIG::F_White;
    borders.Edit(StatePressed).style = TPDAUIEngineStyleBorder::StyleNone;
}

TPDAUIEngineElementMenu::~TPDAUIEngineElementMenu() = default;

void TPDAUIEngineElementMenu::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                     TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                     TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        DString hide;
        bool images = true;
        int m = Default;
        *stream >> hide >> images >> m;
        // A short record leaves the menu as it was; the caller sees the failed stream.
        if (!stream->Error()) {
            onHideCommand = hide;
            showImages = images;
            mode = m;
        }
    }
}

void TPDAUIEngineElementMenu::SetAttribute(const char* name, const char* value)
{
    if (!name)
        return;
    const char* v = value ? value : "";
    if (!strcmp(name, "onHideCommand"))
        onHideCommand = v;
    else if (!strcmp(name, "showImages"))
        showImages = !strcmp(v, "true");
    else if (!strcmp(name, "mode")) {
        if (!strcmp(v, "Default"))
            mode = Default;
        else if (!strcmp(v, "Window"))
            mode = Window;
    } else
        TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementMenu::GetAttribute(const char* name)
{
    if (name && !strcmp(name, "showImages"))
        return DString(showImages ? "true" : "false");
    if (name && !strcmp(name, "mode"))
        return DString(mode == Window ? "Window" : "Default");
    return TPDAUIEngineElementBox::GetAttribute(name);
}

void TPDAUIEngineElementMenu::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (key == 9 || (key >= 37 && key <= 40)) {
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElementBox::OnKeyDown(key, handled, consumed);
}

void TPDAUIEngineElementMenu::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (key == 13 || key == 32) {
        if (handled)
            *handled = 1;
        return;
    }
    if (key == 27 && IsOpenPopup()) {
        page->ClosePopup(this);
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElementBox::OnKeyUp(key, handled, heldTime);
}

void TPDAUIEngineElementMenu::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementBox::CopyFrom(other);
    if (auto* menu = dynamic_cast<TPDAUIEngineElementMenu*>(other))
        onHideCommand = menu->onHideCommand;
}

void TPDAUIEngineElementMenu::Save(TFicheroITV& s)
{
    TPDAUIEngineElementBox::Save(s);
    s << onHideCommand << showImages << mode;
}

DString TPDAUIEngineElementMenu::GetPopupHideCommand()
{
    return onHideCommand;
}

void TPDAUIEngineElementMenu::ClampToScreen(int x, int y, int w, int h, int screenWidth,
                                            int screenHeight, int* outLeft, int* outTop)
{
    // Compared as 64-bit so a point near INT_MAX cannot wrap past the edge test.
    long long l = x, t = y;
    if (l + w > screenWidth)
        l = (long long)screenWidth - w;
    if (t + h > screenHeight)
        t = (long long)screenHeight - h;
    if (l < 0)
        l = 0;
    if (t < 0)
        t = 0;
    *outLeft = (int)l;
    *outTop = (int)t;
}

bool TPDAUIEngineElementMenu::IsOpenPopup() const
{
    // A nested page's pop-ups are kept by its outer page.
    const TPDAUIEngineElementPage* holder = page && page->parent ? page->parent->page : page;
    if (!holder)
        return false;
    for (int i = 0; i < holder->popups.Count(); ++i)
        if (holder->popups[i] == this)
            return true;
    return false;
}

void TPDAUIEngineElementMenu::Popup(int x, int y, const DString& hideCommand)
{
    TPDAUIEngine* e = engine;
    if (mode == Window) {
        onHideCommand = hideCommand;
        if (e)
            e->ShowContextMenu(this, x, y);
        return;
    }
    if (mode != Default || !e || !page)
        return;
    const int w = GetMinimumWidth(-1);
    const int h = GetMinimumHeight(w);
    int l = 0, t = 0;
    ClampToScreen(x, y, w, h, e->ScreenWidth(), e->ScreenHeight(), &l, &t);
    SetBounds(l, t, w < page->width ? w : page->width, h < page->height ? h : page->height);
    page->PushPopup(this);
    onHideCommand = hideCommand;
    Invalidate();
}
