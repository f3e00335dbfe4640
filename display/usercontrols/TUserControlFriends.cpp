#include "display/usercontrols/TUserControlFriends.h"

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlCommon.h"
#include "enginelib/draw/TColorIG.h"
#include "enginelib/nav/TAppIcon.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"

namespace {
const int kFriendsListCommand = 3203;
} // namespace

TUserControlFriends::TUserControlFriends(TOrbetaApp* app) : app(app) { tag = "usercontrol/usercontrolFriends"; }

void TUserControlFriends::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                 TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    imlFriends = usercontrols::FindRequired<TPDAUIEngineElementImageList>(this, "imlFriends");
}

void TUserControlFriends::Paint(IDC* dc, int x, int y)
{
    const int count = usercontrols::FieldAsInteger(app, 391);
    if (count == 0) {
        if (usercontrols::SetVisible(imlFriends, false))
            ReapplyBounds();
        return;
    }
    if (imlFriends) {
        if (usercontrols::SetVisible(imlFriends, true))
            ReapplyBounds();
        imlFriends->SetSelectedIndex(count);
    }
    // The unread count only means something with two friends or more.
    const int unread = count >= 2 ? usercontrols::FieldAsInteger(app, 394) : 0;
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
    if (unread <= 0 || !dc)
        return;
    const int l = x + left, t = y + top;
    const TRectIG badge(l + width / 2, t, l + width, t + height / 2);
    DString text;
    text << unread;
    if (TAppIcon* icon = TAppIcon::GetThis())
        icon->Pinta_IconoBadgeNumber(*dc, badge, text.c_str(), TColoresIG::F_LtRed);
}

void TUserControlFriends::OnMouseDown(int, int, int, int, int)
{
    if (!app)
        return;
    usercontrols::FieldAsInteger(app, 391);
    app->ExecuteCommand(kFriendsListCommand, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
}
