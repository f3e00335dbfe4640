// Shared by the page-loading, IFrame and user-control tests: a headless engine
// on the fixture skin, a page that loads a named skin page, skin folders made
// for one test, the page compiler and a text dump of an element tree.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

namespace pageload {

using Bytes = std::vector<unsigned char>;

inline TPDAUIEngineElement* MakeUserControl(void*, const char* tag)
{
    // The application knows its controls by name; the tests know one kind.
    if (!CDString(tag).StartsWith("usercontrol/"))
        return nullptr;
    auto* control = new TPDAUIEngineElementUserControl();
    control->tag = tag;
    return control;
}

// A headless engine with the skin "fixture" of skinsFolder loaded at a UI scale.
class FixtureEngine : public TestEngine {
public:
    explicit FixtureEngine(const std::string& skins = testpaths::Fixture("skins"), float scale = 1.0f,
                           int w = 800, int h = 480)
        : TestEngine(w, h)
    {
        skinsFolder = skins.c_str();
        DString name("fixture"), error;
        loaded = skinSettings.LoadSkin(*this, name, "", "", "", error);
        skinSettings.uiScale = scale;
        callbacks.userControlFactory = &MakeUserControl;
    }
    ~FixtureEngine() override
    {
        // Pages are the tests' own objects.
        pages.RemoveAll();
    }
    bool loaded = false;
};

// An application page: it loads its skin page whenever it is loaded, and
// records the commands it is given.
class SkinPage : public TPDAUIEngineElementPage {
public:
    SkinPage(TPDAUIEngine* e, const char* name) : TPDAUIEngineElementPage(e), skinPage(name) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        ++loads;
        loadParent = par;
        LoadPage(e, nullptr, par, skinPage.c_str());
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        commands.push_back(command.name.c_str());
        results.push_back(command.result);
        if (sink)
            sink->push_back(skinPage + ":" + command.name.c_str());
    }
    ~SkinPage() override
    {
        if (sink)
            sink->push_back(skinPage + ":deleted");
    }
    std::string skinPage;
    // Outlives the page: what it was given, then its deletion.
    std::vector<std::string>* sink = nullptr;
    int loads = 0;
    TPDAUIEngineElement* loadParent = nullptr;  // the parent the latest load was given
    std::vector<std::string> commands;
    std::vector<int> results;
};

inline Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes, size_t count)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)count);
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A skins folder of its own holding a copy of the fixture skin; by default
// without its XML pages and user controls (skin.xml stays).
class TempSkin {
public:
    explicit TempSkin(bool withXml = false)
    {
        namespace fs = std::filesystem;
        fs::create_directories(folder());
        for (const auto& entry : fs::directory_iterator(testpaths::Fixture("skins/fixture"))) {
            const std::string name = entry.path().filename().string();
            const bool page = entry.path().extension() == ".xml" && name != "skin.xml";
            if (!page || withXml)
                fs::copy_file(entry.path(), folder() + "/" + name);
        }
    }
    std::string skins() const { return dir.path(); }
    std::string folder() const { return dir.path() + "/fixture"; }
    std::string operator/(const std::string& name) const { return folder() + "/" + name; }

    testpaths::TempDir dir;
};

// Compiles a skin page of skins/fixture (as the skin compiler does: skin-compiling
// mode, UI scale 1.0) into the file out; false when it cannot be written.
inline bool CompilePage(const std::string& skins, const char* pageName, const std::string& out)
{
    FixtureEngine engine(skins, 1.0f);
    engine.skinCompiling = 1;
    TPDAUIEngineElementPage page(&engine);
    page.LoadPage(&engine, nullptr, nullptr, pageName);
    return engine.messageBoxes.empty() && page.WriteCompiled(out.c_str());
}

inline void DumpElement(std::ostringstream& o, TPDAUIEngineElement* e, int depth)
{
    o << std::string(depth * 2, ' ') << e->tag.c_str() << " #" << e->id.c_str() << " [" << e->left << ","
      << e->top << " " << e->width << "x" << e->height << "] v" << (int)e->visible << (int)e->enabled
      << " flex" << e->flex << " span" << e->colspan << "/" << e->rowspan << " pad" << e->padding.left
      << "," << e->padding.top << "," << e->padding.right << "," << e->padding.bottom << ","
      << e->padding.inner << " mar" << e->margins.left << "," << e->margins.top << "," << e->margins.right
      << "," << e->margins.bottom << " min" << e->minimumWidth << "x" << e->minimumHeight << " max"
      << e->maximumWidth << "x" << e->maximumHeight << " font" << e->font.size << " cls'"
      << e->className.c_str() << "' cmd'" << e->onCommand.c_str() << "'";
    for (int s = 0; s < 5; ++s) {
        const auto& b = e->backgrounds[s];
        const auto& r = e->borders[s];
        o << " bg" << b.kind << ":" << (uint32_t)b.colour << ":" << b.imageName.c_str() << ":"
          << (b.image != nullptr) << ":" << b.x << "," << b.y << "," << b.w << "," << b.h << "," << b.edge
          << " bd" << r.style << ":" << r.width << ":" << (uint32_t)r.colour;
        // The radius only draws on round borders; elsewhere the default stays
        // unscaled from XML but is scaled from a compiled record.
        if (r.style == TPDAUIEngineStyleBorder::StyleRound)
            o << ":" << r.radius;
    }
    if (auto* box = dynamic_cast<TPDAUIEngineElementBox*>(e)) {
        // A compiled VerticalInverted box comes back Vertical with its children
        // already reversed, which lays out and paints the same.
        const int layout = box->layout == TPDAUIEngineElementBox::LayoutVerticalInverted
                               ? TPDAUIEngineElementBox::LayoutVertical
                               : box->layout;
        o << " layout" << layout << " cols" << box->layoutColumns << " rows" << box->layoutRows
          << " card" << box->layoutCardIndex << " skip" << box->layoutTableSkipCells << " over"
          << box->overflowY << "/" << box->underflowY << " scale" << box->boxScale;
        if (auto* bar = dynamic_cast<TPDAUIEngineElementVScrollBar*>(box->scrollBar))
            o << " bar" << bar->configuredMode << "/" << bar->mode << ":" << (int)bar->trackVisible
              << (int)bar->autoScroll << (int)bar->smooth << ":" << bar->timerInterval << ":"
              << bar->autoScrollPixelsPerSecond << ":" << bar->iscrollShadowMode << " [" << bar->left
              << "," << bar->top << " " << bar->width << "x" << bar->height << "] v" << (int)bar->visible;
        else if (box->scrollBar)
            o << " bar";
    }
    if (auto* control = dynamic_cast<TPDAUIEngineElementUserControl*>(e))
        o << " expanded" << (int)control->expanded;
    if (auto* frame = dynamic_cast<TPDAUIEngineElementIFrame*>(e))
        o << " inner'" << frame->innerPageName.c_str() << "'";
    if (auto* p = dynamic_cast<TPDAUIEngineElementPage*>(e))
        o << " flags" << (int)p->avoidChangeFocus << (int)p->avoidPreviousPageBackgroundEffect
          << (int)p->focusToFirstVisibleElementOnLoad << " transition" << p->transition;
    o << "\n";
    if (auto* box = dynamic_cast<TPDAUIEngineElementBox*>(e))
        for (int i = 0; i < box->children.Count(); ++i)
            DumpElement(o, box->children[i], depth + 1);
}

// Everything of the tree that loading and layout decide, one line per element.
inline std::string Dump(TPDAUIEngineElement* e)
{
    std::ostringstream o;
    DumpElement(o, e, 0);
    return o.str();
}

} // namespace pageload
