#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

#include <memory>
#include <new>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/WholeFileCache.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const char kCaption[] = "Open userControl";
const int kMaxNameLength = 999;
// A definition may hold user controls of its own, but not itself without end.
const int kMaxDefinitionDepth = 32;
thread_local int g_definitionDepth = 0;

class TDefinitionDepth {
public:
    TDefinitionDepth() { ++g_definitionDepth; }
    ~TDefinitionDepth() { --g_definitionDepth; }
    TDefinitionDepth(const TDefinitionDepth&) = delete;
    TDefinitionDepth& operator=(const TDefinitionDepth&) = delete;
    bool TooDeep() const { return g_definitionDepth > kMaxDefinitionDepth; }
};

TPDAUIEngineResources* StoreOf(TPDAUIEngine* engine, TPDAUIEngineElementPage* page)
{
    if (page)
        return &page->resources;
    return engine ? &engine->resources : nullptr;
}

// The compiled definition of name, read whole and kept while its file is
// unchanged, as compiled pages are; null when there is none or it reads short.
std::shared_ptr<const TWholeFile> ReadCompiled(TPDAUIEngineResources* store, const DString& name)
{
    if (!store)
        return nullptr;
    DString found(name);
    std::shared_ptr<const TWholeFile> file = store->ReadCompiledPageKept(found);
    if (!file || file->length != file->size)
        return nullptr;
    return file;
}

} // namespace

TPDAUIEngineElementUserControl::TPDAUIEngineElementUserControl() { tag = "usercontrol"; }

TPDAUIEngineElementUserControl::~TPDAUIEngineElementUserControl() {}

void TPDAUIEngineElementUserControl::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                            TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                            TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        if (stream->Error())
            return;
        bool stored = false;
        *stream >> stored;
        if (stream->Error())
            return;
        expanded = stored;
    } else if (xmlNode) {
        expanded = xmlNode->GetAttributeBool("usercontrolexpanded", expanded != 0);
    }
    if (expanded)
        return;

    const DString name = DefinitionName();
    TDefinitionDepth depth;
    const char* reason = "file not found";
    if (depth.TooDeep()) {
        reason = "user controls nested too deeply";
    } else if (LoadCompiledDefinition(name) || LoadXmlDefinition(name)) {
        expanded = 1;
        return;
    }
    if (!engine)
        return;
    DString message("Error loading ");
    message << name << ".xml: " << reason;
    engine->MessageBox(message.c_str(), kCaption);
    engine->Terminate();
}

DString TPDAUIEngineElementUserControl::DefinitionName() const
{
    const int slash = tag.strchr('/');
    DString name = slash >= 0 ? tag.SubString(slash + 1) : tag;
    if (name.Length() > kMaxNameLength)
        name.SetLength(kMaxNameLength);
    return name;
}

bool TPDAUIEngineElementUserControl::LoadCompiledDefinition(const DString& name)
{
    const std::shared_ptr<const TWholeFile> file = ReadCompiled(StoreOf(engine, page), name);
    if (!file)
        return false;
    TFicheroITVdatos memory(file->data.get(), ITV_MODO_LECTURA, file->length);
    char mark = 0;
    DString recordTag;
    memory >> mark >> recordTag;
    if (memory.Error() || mark != CompiledMark)
        return false;
    // The record names the definition's root; the instance keeps its own id
    // and class, as an XML definition gets them.
    const DString instanceId = id.IsEmpty() ? name : id;
    const DString instanceClass = className;
    const int before = children.Count();
    TPDAUIEngineElementBox::OnLoad(engine, page, parent, nullptr, &memory);
    memory.Cierra();
    if (memory.Error()) {
        while (children.Count() > before)
            RemoveChild(children.Last());
        return false;
    }
    id = instanceId;
    className = instanceClass;
    return true;
}

bool TPDAUIEngineElementUserControl::LoadXmlDefinition(const DString& name)
{
    TPDAUIEngineResources* store = StoreOf(engine, page);
    if (!store)
        return false;
    DString file(name);
    file << ".xml";
    DString text;
    store->ReadSkinTextFile(text, file, "rb");
    if (text.IsEmpty())
        return false;
    TPDAUIEngineXml root;
    root.Parse(text.str());
    root.SetAttribute("id", id.IsEmpty() ? name.c_str() : id.c_str());
    root.SetAttribute("class", className.c_str());
    if (engine)
        engine->skinSettings.styleSheet.ApplyToXml(&root);
    TPDAUIEngineElementBox::OnLoad(engine, page, parent, &root, nullptr);
    return true;
}

void TPDAUIEngineElementUserControl::LoadCompiled(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                                  TPDAUIEngineElement* par, const char* name)
{
    const std::shared_ptr<const TWholeFile> file = ReadCompiled(StoreOf(e, p), DString(name));
    if (!file)
        return;
    TFicheroITVdatos memory(file->data.get(), ITV_MODO_LECTURA, file->length);
    char mark = 0;
    DString recordTag;
    memory >> mark >> recordTag;
    if (!memory.Error() && mark == CompiledMark)
        OnLoad(e, p, par, nullptr, &memory);
    memory.Cierra();
}

void TPDAUIEngineElementUserControl::SetAttribute(const char* name, const char* value)
{
    TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementUserControl::GetAttribute(const char* name)
{
    return TPDAUIEngineElementBox::GetAttribute(name);
}

void TPDAUIEngineElementUserControl::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementBox::CopyFrom(other);
    if (auto* control = dynamic_cast<TPDAUIEngineElementUserControl*>(other))
        expanded = control->expanded;
}

void TPDAUIEngineElementUserControl::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementBox::Save(stream);
    stream << (expanded != 0);
}
