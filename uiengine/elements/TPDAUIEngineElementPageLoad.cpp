// Loading a page from its skin page (compiled or XML) and writing the compiled page.
#include <memory>
#include <new>

#include "enginelib/base/Path.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/WholeFileCache.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const char kCaption[] = "Open page";
const char kTrailerMessage[] = "Error opening page, last byte must be '_'.";
const char kNotFound[] = "file not found";
const char kTrailer = '_';

// For its life, the skin settings' landscape flag is what the page forces
// (portrait first), unless the skin is being compiled.
class TOrientationScope {
public:
    TOrientationScope(TPDAUIEngine* engine, const TPDAUIEngineElementPage* page)
    {
        if (!engine || engine->skinCompiling || (!page->forcePortrait && !page->forceLandscape))
            return;
        settings_ = &engine->skinSettings;
        saved_ = settings_->landscape;
        settings_->landscape = page->forcePortrait ? 0 : 1;
    }
    ~TOrientationScope()
    {
        if (settings_)
            settings_->landscape = saved_;
    }
    TOrientationScope(const TOrientationScope&) = delete;
    TOrientationScope& operator=(const TOrientationScope&) = delete;

private:
    TPDAUIEngineSkinSettings* settings_ = nullptr;
    uint8_t saved_ = 0;
};

// For its life, the page's file lookups look at each folder once.
class TLookupScope {
public:
    explicit TLookupScope(TPDAUIEngineResources& store) : store_(store) { store_.SetLookupBatch(&batch_); }
    ~TLookupScope() { store_.SetLookupBatch(nullptr); }
    TLookupScope(const TLookupScope&) = delete;
    TLookupScope& operator=(const TLookupScope&) = delete;

private:
    TPDAUIEngineResources& store_;
    Path::LookupBatch batch_;
};

} // namespace

void TPDAUIEngineElementPage::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*,
                                     TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                     TFicheroITV* stream)
{
    layout = LayoutVertical;
    engine = e;
    resources.SetOwner(e);
    page = this;
    paintReference = nullptr;
    pressedElement = nullptr;
    hoverElement = nullptr;
    keyDownElement = nullptr;
    focusedElement = nullptr;
    result = 0;
    closing = 0;
    reloadRequested = 0;
    margins.Clear();
    padding.left = padding.top = padding.right = padding.bottom = 0;
    if (engine) {
        const TPDAUIEngineSkinSettings& s = engine->skinSettings;
        skinNameAtLoad = s.skinName;
        landscapeAtLoad = s.landscape;
        languageAtLoad = s.languageId;
        themeAtLoad = s.theme1Name;
        uiScaleAtLoad = s.uiScale;
    }
    if (stream)
        LoadCompiledPage(par, *stream);
    else
        TPDAUIEngineElementBox::OnLoad(e, this, par, xmlNode, nullptr);
    flex = 1;
    if (engine)
        engine->OnPageLoaded(this);
}

void TPDAUIEngineElementPage::LoadCompiledPage(TPDAUIEngineElement* par, TFicheroITV& s)
{
    char mark = 0;
    DString recordTag;
    s >> mark >> recordTag;
    if (!s.Error())
        tag = recordTag;
    TPDAUIEngineElementBox::OnLoad(engine, this, par, nullptr, &s);
    bool avoidFocus = false, avoidEffect = false, focusFirst = false;
    int kind = TransitionNone;
    s >> avoidFocus >> avoidEffect >> focusFirst >> kind;
    if (!s.Error()) {
        avoidChangeFocus = avoidFocus;
        avoidPreviousPageBackgroundEffect = avoidEffect;
        focusToFirstVisibleElementOnLoad = focusFirst;
        transition = kind;
    }
    // A record that ends early fails here too. The page keeps what was read in
    // full: a child cut off is taken out by the box reader.
    char trailer = ' ';
    s >> trailer;
    if ((s.Error() || trailer != kTrailer) && engine)
        engine->MessageBox(kTrailerMessage, kCaption);
}

void TPDAUIEngineElementPage::LoadPage(TPDAUIEngine* e, void*, TPDAUIEngineElement* par,
                                       const char* name)
{
    pageName = name;
    pageName.A_Minusculas();
    resources.SetOwner(e);
    TLookupScope lookups(resources);
    if (e && !LoadCompiledForm(e, par, name))
        LoadXmlForm(e, par, name);
    TranslateLabel();
    AdjustFont();
}

bool TPDAUIEngineElementPage::LoadCompiledForm(TPDAUIEngine* e, TPDAUIEngineElement* par,
                                               const char* name)
{
    DString compiledName(name);
    std::shared_ptr<const TWholeFile> file;
    {
        TOrientationScope orientation(e, this);
        file = resources.ReadCompiledPageKept(compiledName);
    }
    if (!file)
        return false;
    loadedFile = name;
    // A short read is a record that ends early: the page reports it as such.
    TFicheroITVdatos memory(file->data.get(), ITV_MODO_LECTURA, file->length);
    TPDAUIEngineElementPage::OnLoad(e, this, par, nullptr, &memory);
    memory.Cierra();
    return true;
}

void TPDAUIEngineElementPage::LoadXmlForm(TPDAUIEngine* e, TPDAUIEngineElement* par, const char* name)
{
    DString fileName(name);
    fileName << ".xml";
    loadedFile = fileName;
    DString found(fileName);
    DString text;
    bool opened = false;
    {
        TOrientationScope orientation(e, this);
        opened = resources.ReadSkinTextFile(text, found, "rb");
    }
    if (text.IsEmpty()) {
        DString message("Error loading ");
        message << fileName << ": ";
        if (opened)
            message << "the file " << found << " is empty";
        else
            message << kNotFound;
        e->MessageBox(message.c_str(), kCaption);
        e->Terminate();
        return;
    }
    TPDAUIEngineXml root;
    root.Parse(text.str());
    VectorP<TPDAUIEngineXml> controls(10, 10, false);
    root.FindDescendants("usercontrol", controls);
    for (int i = 0; i < controls.Count(); ++i) {
        TPDAUIEngineXml* node = controls[i];
        DString controlFile = node->GetAttribute("type", "");
        controlFile << ".xml";
        DString controlText;
        {
            TOrientationScope orientation(e, this);
            resources.ReadSkinTextFile(controlText, controlFile, "rb");
        }
        if (controlText.IsEmpty())
            continue;
        TPDAUIEngineXml definition;
        definition.Parse(controlText.str());
        node->CopyFrom(&definition);
        node->SetAttribute("usercontrolexpanded", "true");
    }
    e->skinSettings.styleSheet.ApplyToXml(&root);
    TPDAUIEngineElementPage::OnLoad(e, this, par, &root, nullptr);
}

void TPDAUIEngineElementPage::Save(TFicheroITV& s)
{
    TPDAUIEngineElementBox::Save(s);
    s << (avoidChangeFocus != 0) << (avoidPreviousPageBackgroundEffect != 0)
      << (focusToFirstVisibleElementOnLoad != 0) << transition << kTrailer;
}

bool TPDAUIEngineElementPage::WriteCompiled(const char* fileName)
{
    TFicheroITV file;
    if (!file.Abre(fileName, ITV_MODO_CREACION))
        return false;
    Save(file);
    return file.CierraEx(true);
}
