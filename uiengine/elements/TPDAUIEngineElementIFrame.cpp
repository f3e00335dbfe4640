#include "uiengine/elements/TPDAUIEngineElementIFrame.h"

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

// Pages are made by the application, not by tag: no reader could build one
// again from a record.
bool IsPage(TPDAUIEngineElement* e) { return dynamic_cast<TPDAUIEngineElementPage*>(e) != nullptr; }

} // namespace

TPDAUIEngineElementIFrame::TPDAUIEngineElementIFrame()
{
    tag = "iframe";
    borders.Edit(StateNormal).width = 0;
    borders.Edit(StateNormal).style = 0;
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

bool TPDAUIEngineElementIFrame::PaintsOpaque(IDC* dc) { return BoxPaintsOpaque(dc); }

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
    // A page whose reply is under way goes here too; its RemoveChild must not
    // touch it afterwards.
    replying_ = nullptr;
    TPDAUIEngineElementBox::Detach();
}

void TPDAUIEngineElementIFrame::Save(TFicheroITV& stream)
{
    SaveContainer(stream, &IsPage);
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
    if (IndexOfChild(child) < 0)
        return;
    TPDAUIEngineElementPage* p = page;
    if (innerPage && child == innerPage) {
        TPDAUIEngineElementPage* inner = innerPage;
        // The reply goes up while the page is still here. Its handler may remove
        // the page itself (opening the next page into this IFrame does): that
        // removal sends no second reply, and this one has nothing left to do.
        if (replying_ != inner && !inner->replyCommand.name.IsEmpty()) {
            replying_ = inner;
            TPDAUIEngineCommand reply(inner->replyCommand);
            reply.target = inner;
            reply.result = inner->result;
            OnCommand(reply);
            const bool gone = replying_ != inner;
            replying_ = nullptr;
            if (gone) {
                ClearRouting(p);
                return;
            }
        }
        replying_ = nullptr;
        inner->Detach();
        inner->parent = nullptr;
        inner->page = nullptr;
        inner->engine = nullptr;
        if (innerPage == inner)
            innerPage = nullptr;
        const int index = IndexOfChild(inner);
        if (index >= 0)
            children.Remove(index);
    } else {
        TPDAUIEngineElementBox::RemoveChild(child);
    }
    ClearRouting(p);
}

void TPDAUIEngineElementIFrame::ClearRouting(TPDAUIEngineElementPage* p)
{
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
