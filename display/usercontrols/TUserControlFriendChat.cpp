#include "display/usercontrols/TUserControlFriendChat.h"

#include "display/usercontrols/TUserControlCommon.h"
#include "uiengine/core/TPDAUIEngineCommand.h"

TUserControlFriendChat::TUserControlFriendChat(TOrbetaApp* app) : app(app)
{
    tag = "usercontrol/usercontrolFriendChat";
}

void TUserControlFriendChat::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                    TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    rptRepeater = usercontrols::FindRequired<TPDAUIEngineElement>(this, "rptRepeater");
    rpiRepeaterItem = usercontrols::FindRequired<TPDAUIEngineElement>(this, "rpiRepeaterItem");
}

void TUserControlFriendChat::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "loquesea2")
        return;
    TPDAUIEngineElement::OnCommand(command);
}
