#include "uiengine/elements/TPDAUIEngineElementIFrame.h"

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

TPDAUIEngineElementIFrame::TPDAUIEngineElementIFrame()
{
    tag = "iframe";
    borders[StateNormal].width = 0;
    borders[StateNormal].style = 0;
    flex = 1;
    layout = LayoutVertical;
}

TPDAUIEngineElementIFrame::~TPDAUIEngineElementIFrame() { innerPage = nullptr; }

void TPDAUIEngineElementIFrame::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                       TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                       TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream && !stream->Error())
        *stream >> innerPageName;
}

void TPDAUIEngineElementIFrame::Paint(IDC* dc, int x, int y)
{
    TPDAUIEngineElementBox::Paint(dc, x, y);
    if (innerPage && innerPage->closing) {
        RemoveChild(innerPage);
        Invalidate();
    }
}

void TPDAUIEngineElementIFrame::SetAttribute(const char* name, const char* value)
{
    if (CDString(name) == "innerPageName")
        innerPageName = value;
    else
        TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementIFrame::GetAttribute(const char* name)
{
    if (CDString(name) == "innerPageName")
        return innerPageName;
    return TPDAUIEngineElementBox::GetAttribute(name);
}

void TPDAUIEngineElementIFrame::Detach()
{
    innerPage = nullptr;
    TPDAUIEngineElementBox::Detach();
}

void TPDAUIEngineElementIFrame::Save(TFicheroITV& stream)
{
    SaveContainer(stream, false);
    stream << innerPageName;
}

void TPDAUIEngineElementIFrame::AddChild(TPDAUIEngineElement* child, TPDAUIEngineXml* xmlNode,
                                         TFicheroITV* stream)
{
    RemoveAllChildren();
    if (!child) {
        TPDAUIEngineElementBox::AddChild(child, xmlNode, stream);  // reports the misuse
        return;
    }
    child->parent = this;
    TPDAUIEngineElementBox::AddChild(child, xmlNode, stream);
    innerPage = IndexOfChild(child) >= 0 ? dynamic_cast<TPDAUIEngineElementPage*>(child) : nullptr;
}

void TPDAUIEngineElementIFrame::InsertChild(TPDAUIEngineElement* child, int index,
                                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementBox::InsertChild(child, index, xmlNode, stream);
    innerPage = child && IndexOfChild(child) >= 0 ? dynamic_cast<TPDAUIEngineElementPage*>(child)
                                                  : nullptr;
}

void TPDAUIEngineElementIFrame::RemoveChild(TPDAUIEngineElement* child)
{
    const int index = IndexOfChild(child);
    if (index < 0)
        return;
    TPDAUIEngineElementPage* p = page;
    if (innerPage && child == innerPage) {
        TPDAUIEngineElementPage* inner = innerPage;
        // Out of the child vector before the reply goes up, so that a handler
        // may open the next page into this IFrame; deleted after the reply.
        innerPage = nullptr;
        children.Extract(index);
        if (!inner->replyCommand.name.IsEmpty()) {
            TPDAUIEngineCommand reply(inner->replyCommand);
            reply.target = inner;
            reply.result = inner->result;
            OnCommand(reply);
        }
        inner->Detach();
        inner->parent = nullptr;
        inner->page = nullptr;
        inner->engine = nullptr;
        delete inner;
    } else {
        TPDAUIEngineElementBox::RemoveChild(child);
    }
    // The engine's pointer routing may point into what has gone.
    if (TPDAUIEngineElementPage::IsLive(p)) {
        p->paintReference = nullptr;
        p->pressedElement = nullptr;
        p->hoverElement = nullptr;
        p->keyDownElement = nullptr;
        p->focusedElement = nullptr;
    }
}

void TPDAUIEngineElementIFrame::RemoveAllChildren()
{
    while (children.Count() > 0)
        RemoveChild(children[0]);
}
