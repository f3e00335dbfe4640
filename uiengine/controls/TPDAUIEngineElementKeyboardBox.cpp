#include "uiengine/controls/TPDAUIEngineElementKeyboardBox.h"

#include <string>

#include <cctype>
#include <cstring>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

bool IsTrue(const char* value) { return CDString(value) == "true"; }

bool Has(const DString& view, const char* word) { return view.Contains(word); }

bool IsRowLayout(const DString& view) { return Has(view, "QWERTY") || Has(view, "AZERTY"); }

int Lower(int code) { return code < 128 ? std::tolower(code) : code; }

// The key's character code, kept in its command ("key" and the code).
int KeyCode(TPDAUIEngineElement* key)
{
    const char* c = key->onCommand.c_str();
    return std::strncmp(c, "key", 3) == 0 ? std::atoi(c + 3) : -1;
}

} // namespace

const char* const TPDAUIEngineElementKeyboardBox::kDefaultViews =
    "@ABCDEFGHIJKLMNOPQRSTUVWXYZ|@QWERTYUIOP ASDFGHJKL ZXCVBNM|@AZERTYUIOP QSDFGHJKLM WXCVBN|#7894561230-+|"
    "!0123456789-.,;=?\xBF!\"()\\/%$#@_+";

TPDAUIEngineElementKeyboardBox::TPDAUIEngineElementKeyboardBox()
{
    tag = "keyboardbox";
    layoutColumns = 9;
    layoutRows = 3;
    isFocusable = 1;
}

TPDAUIEngineElementKeyboardBox::~TPDAUIEngineElementKeyboardBox()
{
    templateKey.Detach();
}

// ---- attributes and records ----

void TPDAUIEngineElementKeyboardBox::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    if (n == "showBackKey") {
        showBackKey = IsTrue(value);
        if (backKey)
            backKey->visible = showBackKey;
    } else if (n == "showCapitalLettersAsDefault")
        showCapitalLettersAsDefault = IsTrue(value);
    else if (n == "view") {
        if (*value)
            viewMarker = *value;
    } else
        TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementKeyboardBox::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "showBackKey")
        out << showBackKey;
    else if (n == "showCapitalLettersAsDefault")
        out << showCapitalLettersAsDefault;
    else if (n == "view")
        out << viewMarker;
    else
        return TPDAUIEngineElementBox::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementKeyboardBox::Save(TFicheroITV& s)
{
    // The keys are built at load time, never stored.
    VectorP<TPDAUIEngineElement> own(10, 10, false);
    while (children.Count() > 0)
        own.Add(children.Extract(0));
    TPDAUIEngineElementBox::Save(s);
    for (int i = 0; i < own.Count(); ++i)
        children.Add(own[i]);
    s << showBackKey << viewMarker << showCapitalLettersAsDefault;
}

// ---- loading ----

TPDAUIEngineElementButton* TPDAUIEngineElementKeyboardBox::MakeSpecialKey(const char* label, const char* command,
                                                                          int minimumWidth)
{
    auto* key = new TPDAUIEngineElementButton();
    key->CopyFrom(&templateKey);
    key->label = label;
    key->onCommand = command;
    key->minimumWidth = minimumWidth;
    key->isFocusable = isFocusable;
    specialKeysBox->AddChild(key, nullptr, nullptr);
    return key;
}

void TPDAUIEngineElementKeyboardBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    // Keys of an earlier load go first.
    RemoveAllChildren();
    keysBox = specialKeysBox = nullptr;
    changeViewKey = spaceKey = capitalKey = backKey = leftKey = rightKey = nullptr;
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        bool back = true, capitals = true;
        char marker = '@';
        *stream >> back >> marker >> capitals;
        if (!stream->Error()) {
            showBackKey = back;
            viewMarker = marker;
            showCapitalLettersAsDefault = capitals;
        }
    }
    // Children a skin gave the box are replaced by the keys.
    RemoveAllChildren();
    if (!engine || engine->skinCompiling)
        return;
    if (views.IsEmpty())
        SetViews(kDefaultViews);
    landscape = engine->ScreenWidth() >= engine->skinSettings.screenHeight;

    const float scale = GetUIScale();
    for (int s = 0; s < 5; ++s) {
        templateKey.borders.Edit(s) = borders[s];
        templateKey.backgrounds.Edit(s) = backgrounds[s];
        templateKey.foregrounds[s] = foregrounds[s];
    }
    templateKey.font.size = font.size;
    templateKey.font.bold = font.bold;
    templateKey.font.italic = font.italic;
    templateKey.font.bordered = font.bordered;
    templateKey.font.shadowed = font.shadowed;
    templateKey.isFocusable = isFocusable;
    templateKey.padding.left = padding.left;
    templateKey.padding.inner = padding.inner;
    templateKey.padding.right = 1;
    templateKey.padding.top = scale > 1.4f ? 0 : 2;
    templateKey.padding.bottom = scale < 1.4f ? 0 : 2;
    templateKey.timerInterval = 10;
    templateKey.raiseMultipleCommandsWhenPressed = true;
    templateKey.onMultipleCommandEnd = "unkey";
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindNone;
    templateKey.OnLoad(engine, page, nullptr, nullptr, nullptr);
    templateKey.timerInterval = 10;

    keysBox = new TPDAUIEngineElementBox();
    keysBox->layout = LayoutTable;
    keysBox->padding.inner = 1;
    keysBox->flex = 1;
    AddChild(keysBox, nullptr, nullptr);
    specialKeysBox = new TPDAUIEngineElementBox();
    specialKeysBox->layout = LayoutHorizontal;
    specialKeysBox->padding.inner = 1;
    specialKeysBox->margins.top = 1;
    AddChild(specialKeysBox, nullptr, nullptr);

    const int narrow = (int)(scale * 33);
    changeViewKey = MakeSpecialKey("123", "changeview", (int)(scale * 35));
    changeViewKey->raiseMultipleCommandsWhenPressed = false;
    changeViewKey->font.size = std::max(14, font.size - 8);
    spaceKey = MakeSpecialKey("_", "space", 0);
    spaceKey->flex = 1;
    capitalKey = MakeSpecialKey("", "capital", narrow);
    capitalKey->SetAttribute("image", "commonCapital");
    capitalKey->autoPress = true;
    capitalKey->raiseMultipleCommandsWhenPressed = false;
    capitalKey->pressed = showCapitalLettersAsDefault ? 1 : 0;
    leftKey = MakeSpecialKey("<", "left", narrow);
    rightKey = MakeSpecialKey(">", "right", narrow);
    backKey = MakeSpecialKey("", "back", narrow);
    backKey->SetAttribute("image", "commonBackspace");
    backKey->visible = showBackKey;

    isFocusable = 0;
    if (viewMarker == '@')
        ShowLetterView();
    else if (viewMarker == '#')
        ShowNumbersView();
    else if (viewMarker == '!')
        ShowSymbolsView();
    else
        BuildView(0);
    ReapplyBounds();
    Invalidate();
}

// ---- views ----

void TPDAUIEngineElementKeyboardBox::SetViews(const char* text)
{
    views.RemoveAll();
    const CDString all(text ? text : "");
    int start = 0;
    for (int i = 0; i <= all.Length(); ++i) {
        if (i == all.Length() || all[i] == '|') {
            DString view(all.c_str() + start, i - start, all.GetCodepage());
            if (view == "#0123456789")
                view = "#7894561230-+";
            // An empty segment would be a view without a marker.
            if (!view.IsEmpty())
                views.Add(new DString(view));
            start = i + 1;
        }
    }
    for (int i = views.Count() - 1; i >= 0; --i) {
        const DString& v = *views[i];
        if (v[0] != '@')
            continue;
        const bool abc = Has(v, "ABCDEF"), qwerty = Has(v, "QWERTY"), azerty = Has(v, "AZERTY");
        bool drop = false;
        if (keyboardType == 0)
            drop = (qwerty || azerty) && !abc;
        else if (keyboardType == 1)
            drop = abc || (azerty && !qwerty);
        else if (keyboardType == 2)
            drop = abc || qwerty;
        if (drop)
            views.Remove(i);
    }
    currentView = std::max(0, std::min(currentView, views.Count() - 1));
}

int TPDAUIEngineElementKeyboardBox::LastView(char marker) const
{
    for (int i = views.Count() - 1; i >= 0; --i)
        if ((*views[i])[0] == marker)
            return i;
    return -1;
}

// Language 14 keeps an extra alphabet beside the Latin letter views: prefer it.
static const int kExtraAlphabetLanguage = 14;

void TPDAUIEngineElementKeyboardBox::ShowLetterView()
{
    int i = -1;
    if (engine && engine->skinSettings.languageId == kExtraAlphabetLanguage) {
        for (int j = views.Count() - 1; j >= 0 && i < 0; --j) {
            const std::string v = views[j]->c_str();
            if (v[0] == '@' && v.find("@ABC") == std::string::npos && v.find("@QWE") == std::string::npos &&
                v.find("@AZER") == std::string::npos)
                i = j;
        }
    }
    if (i < 0)
        i = LastView('@');
    BuildView(i >= 0 ? i : currentView);
}

void TPDAUIEngineElementKeyboardBox::ShowNumbersView()
{
    const int i = LastView('#');
    BuildView(i >= 0 ? i : currentView);
}

void TPDAUIEngineElementKeyboardBox::ShowSymbolsView()
{
    int i = LastView('!');
    if (i < 0)
        for (int j = 0; j < views.Count() && i < 0; ++j)
            if ((*views[j])[0] == '#')
                i = j;
    BuildView(i >= 0 ? i : currentView);
}

void TPDAUIEngineElementKeyboardBox::NextLetterView()
{
    const int n = views.Count();
    for (int step = 1; step <= n; ++step) {
        const int i = (currentView + step) % n;
        if ((*views[i])[0] == '@') {
            BuildView(i);
            break;
        }
    }
    SetAllowedCharacters(DString(allowedCharacters).c_str());
    ReapplyBounds();
    Invalidate();
}

void TPDAUIEngineElementKeyboardBox::ToggleNumbersView()
{
    if (currentView < views.Count() && (*views[currentView])[0] == '#')
        ShowLetterView();
    else
        ShowNumbersView();
    SetAllowedCharacters(DString(allowedCharacters).c_str());
    ReapplyBounds();
    Invalidate();
}

bool TPDAUIEngineElementKeyboardBox::Allowed(int code) const
{
    if (allowedCharacters == "*")
        return true;
    for (int i = 0; i < allowedCharacters.Length(); ++i) {
        const int c = (unsigned char)allowedCharacters[i];
        if (c == code || c == (code < 128 ? std::toupper(code) : code))
            return true;
    }
    return false;
}

void TPDAUIEngineElementKeyboardBox::RetireKeys()
{
    if (!keysBox)
        return;
    while (keysBox->children.Count() > 0) {
        TPDAUIEngineElement* key = keysBox->children.Extract(0);
        key->Detach();
        retired_.Add(key);
    }
    if (commandDepth_ == 0)
        FreeRetired();
}

void TPDAUIEngineElementKeyboardBox::FreeRetired() { retired_.RemoveAll(); }

void TPDAUIEngineElementKeyboardBox::BuildView(int index)
{
    if (index < 0 || !keysBox)
        return;
    // Without views there is nothing to build or change to.
    if (views.IsEmpty()) {
        RetireKeys();
        if (changeViewKey)
            changeViewKey->visible = 0;
        return;
    }
    if (index >= views.Count())
        index = 0;
    currentView = index;
    RetireKeys();
    const DString& view = *views[index];
    const char marker = view[0];
    const bool capitals = !capitalKey || capitalKey->pressed;
    const bool rows = marker == '@' && IsRowLayout(view);

    TPDAUIEngineElementBox* row[3] = {nullptr, nullptr, nullptr};
    int rowLength[3] = {0, 0, 0};
    int r = 0;
    if (rows) {
        for (int i = 0; i < 3; ++i) {
            row[i] = new TPDAUIEngineElementBox();
            row[i]->layout = LayoutTable;
            row[i]->layoutRows = 1;
            row[i]->layoutColumns = 0;
            row[i]->padding.inner = keysBox->padding.inner;
            row[i]->align = AlignCenter;
            keysBox->AddChild(row[i], nullptr, nullptr);
        }
    }
    for (int i = 1; i < view.Length(); ++i) {
        const int c = (unsigned char)view[i];
        if (c == ' ') {
            if (rows)
                r = std::min(r + 1, 2);
            else
                keysBox->AddChild(new TPDAUIEngineElementLabel(), nullptr, nullptr);
            continue;
        }
        const int code = marker == '@' && !capitals ? Lower(c) : c;
        auto* key = new TPDAUIEngineElementButton();
        key->CopyFrom(&templateKey);
        DString label;
        label.Lee_Unicode((unsigned int)code);
        key->label = label;
        key->onCommand = "";
        key->onCommand << "key" << code;
        key->enabled = Allowed(code);
        if (rows) {
            row[r]->AddChild(key, nullptr, nullptr);
            ++rowLength[r];
        } else {
            keysBox->AddChild(key, nullptr, nullptr);
        }
    }

    if (changeViewKey) {
        changeViewKey->visible = views.Count() > 1;
        const DString& next = *views[(index + 1) % views.Count()];
        DString label;
        if (next[0] == '@') {
            for (int i = 1; i < next.Length() && i <= 3; ++i)
                label << (char)Lower((unsigned char)next[i]);
        } else if (next[0] == '#') {
            label = "123 ";
        } else {
            label = "!#@";
        }
        changeViewKey->label = label;
    }

    if (capitalKey)
        capitalKey->visible = marker == '@';
    if (rows) {
        const int longest = std::max(rowLength[0], std::max(rowLength[1], rowLength[2]));
        for (TPDAUIEngineElementBox* b : row)
            b->layoutColumns = longest;
        keysBox->layoutColumns = 1;
        keysBox->layoutRows = 3;
        return;
    }
    int columns = 10, rowsCount = 3;
    if (marker == '#') {
        columns = 3;
        rowsCount = 4;
    } else if (marker == '!') {
        columns = landscape ? 9 : 8;
        rowsCount = 4;
    } else if (!landscape) {
        columns = 7;
        rowsCount = 4;
    }
    // Every key gets a cell.
    while (columns * rowsCount < view.Length() - 1) {
        ++columns;
        ++rowsCount;
    }
    keysBox->layoutColumns = columns;
    keysBox->layoutRows = rowsCount;
}

void TPDAUIEngineElementKeyboardBox::CollectKeys(VectorP<TPDAUIEngineElement>& keys)
{
    if (!keysBox)
        return;
    for (int i = 0; i < keysBox->children.Count(); ++i) {
        TPDAUIEngineElement* child = keysBox->children[i];
        auto* rowBox = dynamic_cast<TPDAUIEngineElementBox*>(child);
        if (rowBox) {
            for (int j = 0; j < rowBox->children.Count(); ++j)
                keys.Add(rowBox->children[j]);
        } else if (KeyCode(child) >= 0) {
            keys.Add(child);
        }
    }
}

void TPDAUIEngineElementKeyboardBox::SetAllowedCharacters(const char* text)
{
    allowedCharacters = text ? text : "";
    VectorP<TPDAUIEngineElement> keys(10, 10, false);
    CollectKeys(keys);
    for (int i = 0; i < keys.Count(); ++i)
        keys[i]->enabled = Allowed(KeyCode(keys[i]));
    if (spaceKey)
        spaceKey->enabled = allowedCharacters.Contains(" ") || allowedCharacters.Contains("_") ||
                            allowedCharacters.Contains("*");
    MoveFocusOffDisabledKey();
    Invalidate();
}

void TPDAUIEngineElementKeyboardBox::MoveFocusOffDisabledKey()
{
    TPDAUIEngineElementPage* p = page ? page->GetOuterPage() : nullptr;
    if (!p || !keysBox)
        return;
    const int at = keysBox->IndexOfChild(p->focusedElement);
    if (at < 0 || keysBox->children[at]->enabled)
        return;
    for (int i = at - 1; i >= 0; --i)
        if (keysBox->children[i]->enabled && keysBox->children[i]->isFocusable) {
            p->SetFocus(keysBox->children[i], true);
            return;
        }
    for (int i = at + 1; i < keysBox->children.Count(); ++i)
        if (keysBox->children[i]->enabled && keysBox->children[i]->isFocusable) {
            p->SetFocus(keysBox->children[i], true);
            return;
        }
    p->FocusPrevious();
}

void TPDAUIEngineElementKeyboardBox::Rebuild()
{
    BuildView(currentView);
    ReapplyBounds();
    Invalidate();
}

// ---- layout and commands ----

void TPDAUIEngineElementKeyboardBox::SetBounds(int l, int t, int w, int h)
{
    TPDAUIEngineElementBox::SetBounds(l, t, w, h);
    if (!keysBox || !specialKeysBox || !changeViewKey)
        return;
    const int c = std::max(1, keysBox->layoutColumns), r = std::max(1, keysBox->layoutRows);
    const int f = keysBox->padding.inner;
    const int g = (keysBox->width - c * f) / c;
    const int k = (h - (r + 1) * f - padding.top - padding.bottom) / (r + 1);
    if (changeViewKey->minimumWidth == g && specialKeysBox->minimumHeight == k + 1)
        return;
    int change = g, leftW = g, rightW = g + 1, backW = 2 * (g + f) + 1, capitalW = g;
    if (c == 1) {
        const int g1 = w / 10 + f;
        change = leftW = capitalW = g1;
        rightW = g1 + 1;
        backW = 2 * (g1 + f) + 1;
    } else if (c == 3) {
        change = leftW = g / 2;
        rightW = (g + 1) / 2;
        backW = g + 1;
    } else if (c <= 5) {
        leftW = g / 2;
        rightW = (g + 1) / 2;
        backW = g + 1;
    }
    changeViewKey->minimumWidth = change;
    leftKey->minimumWidth = leftW;
    rightKey->minimumWidth = rightW;
    backKey->minimumWidth = backW;
    capitalKey->minimumWidth = capitalW;
    specialKeysBox->minimumHeight = k + 1;
    TPDAUIEngineElementBox::SetBounds(l, t, w, h);
}

void TPDAUIEngineElementKeyboardBox::OnCommand(TPDAUIEngineCommand& command)
{
    if (commandDepth_ == 0)
        FreeRetired();
    ++commandDepth_;
    const DString& name = command.name;
    TPDAUIEngineElement* source = command.target;
    if (name == "changeview") {
        if (!views.IsEmpty())
            BuildView((currentView + 1) % views.Count());
        SetAllowedCharacters(DString(allowedCharacters).c_str());
        ReapplyBounds();
        Invalidate();
    } else if (name == "capital") {
        BuildView(currentView);
        ReapplyBounds();
        Invalidate();
        SetAllowedCharacters(DString(allowedCharacters).c_str());
    } else if (name == "refreshkeys") {
        // The page has set the keys' states; only the picture is stale.
        Invalidate();
    } else if (name == "unkey") {
        if (source)
            source->timerInterval = 10;
    } else if (!name.IsEmpty()) {
        const bool keyCommand = name == "back" || name == "space" || name == "left" || name == "right" ||
                                std::strncmp(name.c_str(), "key", 3) == 0;
        if (keyCommand && source && source->pressed) {
            if (source->timerInterval == 10)
                source->timerInterval = 500;
            else if (source->timerInterval == 500)
                source->timerInterval = 50;
        }
        if (parent)
            parent->OnCommand(command);
    }
    --commandDepth_;
}
