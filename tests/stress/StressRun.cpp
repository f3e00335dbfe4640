#include "StressRun.h"

#include <cstring>

#include <algorithm>
#include <memory>
#include <string>

#include "app/TUserControlFactory.h"
#include "enginelib/draw/TSystemFonts.h"
#include "support/InnerPages.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/controls/TPDAUIEngineElementComboBox.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"
#include "uiengine/controls/TPDAUIEngineElementImageZoomeableBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

const StressRun::Page StressRun::kPages[] = {
    {"pageStressLayouts"},   // every box layout, scroll boxes, IFrame, user control, scroll bar
    {"pageStressControls"},  // labels, auto-fit and slider labels, anchor, buttons
    {"pageStressDialog"},    // a page smaller than the screen over the others
    {"pageStressLists"},     // list boxes: kinetic, strip, grid, plain, disabled
    {"pageStressText"},      // text boxes in every mode
    {"pageFixture"},         // the fixture skin's own page
    {"pageCompact"},
    {"pageTwoClocks"},
    {"pageImages"},          // image boxes, strips and the picture viewer
};
const int StressRun::kPageCount = sizeof kPages / sizeof kPages[0];

namespace {

// Keys the run types: arrows, Enter, Escape, Tab, Backspace, Home, End, Delete, digits, letters.
const int kKeys[] = {0x25, 0x26, 0x27, 0x28, 13, 27, 9, 8, 0x24, 0x23, 0x2E, '1', '5', 'A', 'M', 'Z'};
const int kDeepestStack = 4;

TPDAUIEngineElement* MakeUserControl(void*, const char* tag)
{
    // The live-data controls come from the application's factory; without an
    // application they have nothing live to show.
    if (TPDAUIEngineElement* made = TUserControlFactory::FuncCreateUserControlElementByNameCallBack(nullptr, tag))
        return made;
    auto* control = new TPDAUIEngineElementUserControl();
    control->tag = tag;
    return control;
}

} // namespace

// The headless engine on the stress skin, with the default skin's fonts.
class StressRun::Engine : public TestEngine {
public:
    Engine() : TestEngine(800, 480), fonts_(new TSystemFontsFreeType()), previousFonts_(TSystemFonts::SetInstance(fonts_.get()))
    {
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        skinsFolder = testpaths::Fixture("skins").c_str();
        tempFolder = temp_.path().c_str();
        DString name("stress"), error;
        loaded = LoadSkin(name, "", "", "", error);
        const std::string fonts = testpaths::SourceDir() + "/skins/default/";
        AddFont((fonts + "DejaVuSans.ttf").c_str());
        AddFont((fonts + "DejaVuSans-Bold.ttf").c_str());
        callbacks.userControlFactory = &MakeUserControl;
    }
    ~Engine() override { TSystemFonts::SetInstance(previousFonts_); }

    bool loaded = false;
    Counts* counts = nullptr;

private:
    testpaths::TempDir temp_;
    std::unique_ptr<TSystemFontsFreeType> fonts_;
    TSystemFonts* previousFonts_;
};

// An application page over one skin page: it loads it, fills its IFrames and
// closes on "close".
class StressRun::StressPage : public TPDAUIEngineElementPage {
public:
    StressPage(Engine* e, const char* name) : TPDAUIEngineElementPage(e), owner_(e), skinPage_(name) {}

    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, par, skinPage_.c_str());
        OpenInnerPages(e, this, [this](TPDAUIEngineElementIFrame* frame) -> TPDAUIEngineElementPage* {
            if (frame->innerPageName.IsEmpty())
                return nullptr;
            return new StressPage(owner_, frame->innerPageName.c_str());
        }, 8);
        VectorP<TPDAUIEngineElement> all(20, 0, false);
        CollectDescendants(all, false);
        for (int i = 0; i < all.Count(); ++i) {
            if (auto* list = dynamic_cast<TPDAUIEngineElementListBox*>(all[i]))
                FillList(list, 120 + 40 * i);
            if (auto* combo = dynamic_cast<TPDAUIEngineElementComboBox*>(all[i]))
                FillList(combo->listBox, 3 + 5 * i);
        }
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        TPDAUIEngineElementPage::OnCommand(command);
        if (command.name.IsEmpty() || command.name == "load")
            return;
        ++owner_->counts->commands;
        auto* list = dynamic_cast<TPDAUIEngineElementListBox*>(command.target);
        if (list && command.name == "listChecked" && list->IsValidIndex(list->selectedIndex)) {
            TPDAUIEngineElementListBox::ListBoxItem& item = list->items[list->selectedIndex];
            item.checked = !item.checked;
        }
        // Refilled inside its own command, shorter: the selection goes stale.
        if (list && command.name == "listRefill")
            FillList(list, list->items.Count() / 2);
        auto* combo = dynamic_cast<TPDAUIEngineElementComboBox*>(command.target);
        if (combo && command.name == "comboOpening")
            command.handled = 1;
        if (combo && command.name == "comboChosen")
            combo->SetSelectedIndex(combo->GetSelectedIndex());
        // The first button's context menu pops up near where the press was.
        if (command.name == "menuFirst") {
            if (auto* menu = dynamic_cast<TPDAUIEngineElementMenu*>(FindElement("mnuStress", false))) {
                menu->visible = true;
                menu->Popup(command.target ? command.target->left + 10 : 0, command.target ? command.target->top : 0,
                            DString("menuHidden"));
            }
        }
        // The picture viewer driven as a page would: whole, original size, zoom steps.
        if (auto* viewer = dynamic_cast<TPDAUIEngineElementImageZoomeableBox*>(FindElement("izbStress", false))) {
            if (command.name == "cmdViewFull")
                viewer->ViewFull();
            if (command.name == "cmdViewOriginal") {
                viewer->ViewOriginal();
                viewer->ZoomIn();
                viewer->ZoomOut();
            }
        }
        if (auto* frames = dynamic_cast<TPDAUIEngineElementImageList*>(command.target))
            frames->SetSelectedIndex(frames->selectedIndex - 3);
        if (command.name == "close" && owner_->pages.Count() > 1 && IsTopPage())
            Close(0);
    }

private:
    // Rows of every kind: checked, disabled, hidden, indented, with
    // descriptions and markers, images from the skin.
    void FillList(TPDAUIEngineElementListBox* list, int count)
    {
        list->RemoveAll();
        TDibIG* icon = resources.GetImage("fixtureIcon");
        for (int i = 0; i < count; ++i) {
            DString label("Row ");
            label << i << (i % 7 == 0 ? " with a label long enough to wrap or be cut short" : "");
            TPDAUIEngineElementListBox::ListBoxItem item(label, i % 3 == 0 ? icon : nullptr, nullptr);
            item.description = "description";
            item.checked = i % 4 == 0;
            item.enabled = i % 9 != 5;
            item.visible = i % 13 != 6;
            item.indent = i % 5 == 0 ? 1 : 0;
            item.moreItems = i % 6 == 0;
            item.showCheckBox = i % 8 == 0;
            list->items.Insert(item, -1);
        }
        list->Invalidate();
    }

    Engine* owner_;
    std::string skinPage_;
};

StressRun::StressRun(uint32_t seed, int firstPage) : engine_(new Engine()), state_(seed ? seed : 1)
{
    engine_->counts = &counts_;
    Open(firstPage >= 0 && firstPage < kPageCount ? firstPage : 0);
}

StressRun::~StressRun() { CloseAll(); }

bool StressRun::Loaded() const { return engine_->loaded; }
StressRun::Counts StressRun::counts() const
{
    Counts c = counts_;
    c.messageBoxes = (int)engine_->messageBoxes.size();
    return c;
}
TestEngine& StressRun::engine() { return *engine_; }

uint32_t StressRun::Next()
{
    // xorshift32: the same stream on every platform.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

void StressRun::Open(int index)
{
    ++counts_.opens;
    engine_->OpenPage(new StressPage(engine_.get(), kPages[index].name));
}

void StressRun::CloseAll()
{
    if (down_) {
        engine_->Release(x_, y_);
        down_ = false;
    }
    while (engine_->GetPageCount() > 0)
        if (!engine_->ClosePage(engine_->GetTopPage(), true))
            break;
}

void StressRun::Run(int events)
{
    for (int i = 0; i < events; ++i)
        Step();
}

void StressRun::Step()
{
    Engine& e = *engine_;
    const int w = e.ScreenWidth(), h = e.ScreenHeight();
    const int roll = Random(200);
    if (roll < 40 && down_ && Random(8)) {
        e.Release(x_, y_);
        down_ = false;
        ++counts_.releases;
    } else if (roll < 40) {
        // Now and then a press while held (a lost release) or off the screen.
        x_ = Random(w + 40) - 20;
        y_ = Random(h + 40) - 20;
        const int kind = Random(20);
        e.Press(x_, y_, kind < 18 ? 0 : kind == 18 ? 1 : 15);
        down_ = true;
        ++counts_.presses;
    } else if (roll < 100) {
        if (down_) {
            x_ += Random(81) - 40;
            y_ += Random(81) - 40;
        } else {
            x_ = Random(w);
            y_ = Random(h);
        }
        e.Move(x_, y_);
        ++counts_.moves;
    } else if (roll < 130) {
        e.Release(x_, y_, down_ || Random(4) ? 0 : 1);
        down_ = false;
        ++counts_.releases;
    } else if (roll < 150) {
        const int key = kKeys[Random(sizeof kKeys / sizeof kKeys[0])];
        e.KeyDown(key);
        if (key >= '0')
            e.Char(key);
        e.Advance(Random(3) ? 20 : 700);  // now and then held long enough to repeat
        e.KeyUp(key);
        ++counts_.keys;
    } else if (roll < 180) {
        e.Advance(1 + Random(Random(8) ? 120 : 900));
        ++counts_.timerPasses;
    } else if (roll < 186) {
        e.Frame();
        ++counts_.paints;
    } else if (roll < 190) {
        e.Wheel(Random(w), Random(h), Random(2) ? 120 : -120);
        ++counts_.wheels;
    } else if (roll < 194) {
        // Pages open less often than input comes: their transitions cost most.
        if (e.GetPageCount() < kDeepestStack && Random(2) == 0)
            Open(Random(kPageCount));
    } else if (roll < 198) {
        if (e.GetPageCount() > 1) {
            e.GetTopPage()->Close(0);
            ++counts_.closes;
        }
    } else if (roll == 198) {
        // The screen turns.
        if (!down_) {
            e.OnResize(0, 0, h, w);
            ++counts_.turns;
        }
    } else {
        e.Advance(2000);  // a long pause: flings end, long presses fire
        ++counts_.timerPasses;
    }
}
