#include "uiengine/core/TPDAUIEngineSkinSettings.h"

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/Vector.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

namespace {

TPDAUIEngineSkinSettings* g_current = nullptr;

// Kept as one text so the version can be found in the binary.
const char kRequiredVersionMarker[] = "SKINREQUIREDVERSION000440";

const char kCompiled[] = ".cskin";
const char kSkinFile[] = "skin.xml";
const char kFallbackFont[] = "\\windows\\fonts\\arial.ttf";

int RequiredVersionFromMarker()
{
    const int len = (int)sizeof(kRequiredVersionMarker) - 1;
    return CDString(kRequiredVersionMarker + len - 6).atoi();
}

const char* const kCommonImageNames[TPDAUIEngineSkinSettings::CommonImageCount] = {
    "commonCheck",
    "commonCheckBox",
    "commonMoreItems",
    "commonMoreItemsExpanded",
    "commonMoreItemsInverse",
    "commonRadioButton",
    "commonRadioButtonChecked",
    "commonRadioButtonFocus",
    "commonComboBoxDown",
    "commonComboBoxDownPressed",
    "commonScrollBackground",
    "commonScrollInner",
    "commonScrollUp",
    "commonScrollUpPressed",
    "commonScrollUpLarge",
    "commonScrollUpLargePressed",
    "commonScrollDown",
    "commonScrollDownPressed",
    "commonScrollDownLarge",
    "commonScrollDownLargePressed",
    "commonScrollTrackHeader",
    "commonScrollTrack",
    "commonScrollTrackFooter",
    "commonScrollTrackBack",
    "commonScrollTrackSimple",
    "commonScrollTransparentVerticalBorder",
    "commonContextMenuAnimation",
};

DString Join(const CDString& folder, const CDString& name, const char* file)
{
    DString path(folder);
    path << "\\" << name << "\\" << file;
    return path;
}

// The whole file as text; false when it does not open. readOk, when given,
// tells whether the file that opened could be read to its end.
bool ReadText(const CDString& path, DString& text, bool* readOk = nullptr)
{
    text.Empty();
    TFicheroITV file;
    if (!file.Abre(path.c_str(), ITV_MODO_LECTURA))
        return false;
    const bool read = file.Lee_Todo_Str(text);
    file.Cierra();
    if (readOk)
        *readOk = read;
    return true;
}

enum class SkinFile { Missing, Damaged, Loaded };

// Reads and parses a "skin.xml". A file that opens but cannot be read or is
// not a sound document is damaged: the caller reports it by its path rather
// than loading part of it or passing over it.
SkinFile ReadSkinFile(const CDString& path, DString& text, TPDAUIEngineXml& root)
{
    bool readOk = false;
    if (!ReadText(path, text, &readOk))
        return SkinFile::Missing;
    return readOk && root.Parse(text.str()) ? SkinFile::Loaded : SkinFile::Damaged;
}

void DamagedSkinMessage(const CDString& path, DString& errorText)
{
    errorText = "Invalid Skin, unable to read '";
    errorText << path << "' program will close.";
}

DString WithoutCompiled(const CDString& name)
{
    DString out(name);
    out.Sustituye(kCompiled, "");
    return out;
}

// One skin folder or its compiled form: folder names match without regard to case.
bool SameSkin(const CDString& a, const CDString& b)
{
    return Dstrcmpi(WithoutCompiled(a).c_str(), WithoutCompiled(b).c_str()) == 0;
}

DString Lower(const CDString& text)
{
    DString out(text);
    out.A_Minusculas();
    return out;
}

} // namespace

TPDAUIEngineSkinSettings::TPDAUIEngineSkinSettings()
    : applicationName("Orbeta"),
      skinName("default"),
      requiredVersion(RequiredVersionFromMarker()),
      defaultSkinName("default"),
      fontName("arial"),
      bitmapExtension("png"),
      carMapPosition("50;80"),
      carMapPosition3D("50;80"),
      soundExtension("wav")
{
    for (int i = 0; i < CommonImageCount; ++i)
        commonImages[i] = kCommonImageNames[i];
}

TPDAUIEngineSkinSettings* TPDAUIEngineSkinSettings::Current() { return g_current; }

void TPDAUIEngineSkinSettings::SetCurrent(TPDAUIEngineSkinSettings* settings)
{
    g_current = settings;
}

float TPDAUIEngineSkinSettings::CurrentScale() { return g_current ? g_current->uiScale : 1.0f; }

// ---- LoadSkin ----------------------------------------------------------------------------

bool TPDAUIEngineSkinSettings::LoadSkin(TPDAUIEngine& engine, DString& name,
                                        const CDString& theme1, const CDString& theme2,
                                        const CDString& themeOption, DString& errorText)
{
    // The arguments may be this record's own fields, which the load rewrites.
    DString wanted(name), t1(theme1), t2(theme2), option(themeOption);
    const bool ok = LoadSkinFrom(engine, wanted, t1, t2, option, errorText, false);
    if (ok)
        name = wanted;
    return ok;
}

bool TPDAUIEngineSkinSettings::LoadSkinFrom(TPDAUIEngine& engine, DString& name,
                                            const DString& t1, const DString& t2,
                                            const DString& option, DString& errorText,
                                            bool fallback)
{
    const DString& folder = engine.skinsFolder;

    // 1. The skin's own folder, its plain or compiled twin, then the default skin.
    // The search stops at the first file that opens, sound or not.
    DString text;
    TPDAUIEngineXml root;
    DString path = Join(folder, name, kSkinFile);
    SkinFile found = ReadSkinFile(path, text, root);
    if (found == SkinFile::Missing) {
        if (path.Contains(kCompiled)) {
            DString plain = WithoutCompiled(name);
            path = Join(folder, plain, kSkinFile);
            if ((found = ReadSkinFile(path, text, root)) != SkinFile::Missing)
                name = plain;
        } else {
            DString compiled(name);
            compiled << kCompiled;
            path = Join(folder, compiled, kSkinFile);
            if ((found = ReadSkinFile(path, text, root)) != SkinFile::Missing)
                name = compiled;
        }
    }
    for (const char* stand : {"default", "default.cskin"}) {
        if (found != SkinFile::Missing)
            break;
        path = Join(folder, stand, kSkinFile);
        if ((found = ReadSkinFile(path, text, root)) != SkinFile::Missing)
            name = stand;
    }
    if (found == SkinFile::Missing) {
        errorText = "Invalid Skin, unable to open '";
        errorText << path << "' program will close.";
        return false;
    }
    if (found == SkinFile::Damaged) {
        DamagedSkinMessage(path, errorText);
        return false;
    }

    // 2. Root attributes.
    const int version = root.GetAttributeInt("version", 0, 1.0f);

    // 3. Version check. A skin of the wrong version gives way to the default
    // skin once; the default skin (compiled or not) or a skin standing in for
    // another one reports the mismatch.
    if (versionCheck && requiredVersion != 0 && version != requiredVersion) {
        if (!fallback && !SameSkin(name, defaultSkinName)) {
            DString fallbackName(defaultSkinName);
            const bool ok = LoadSkinFrom(engine, fallbackName, defaultSkinThemeName, t2, option,
                                         errorText, true);
            if (ok)
                name = fallbackName;
            return ok;
        }
        errorText = "Invalid Skin version '";
        errorText << name << " v." << version << "', needed '" << requiredVersion << "'.";
        errorText << (version < requiredVersion
                          ? "\nYou must update your skins.\nProgram will close."
                          : "\nYou must upgrade your software.\nProgram will close.");
        return false;
    }

    // The default skin's themes, when this skin inherits them, are read before
    // anything changes: a damaged file stops the load with nothing undone. The
    // default skin named is the one this skin's settings will give.
    TPDAUIEngineXml* themes = root.FindChild("themes");
    const DString inheritFrom = root.GetChildAttribute("defaultSkinName", "value",
                                                       defaultSkinName.c_str());
    DString defaultsText;
    TPDAUIEngineXml defaults;
    const TPDAUIEngineXml* inherited = nullptr;
    // A skin inherits from the default skin only; the default skin itself has
    // nothing to inherit (its rules would run twice).
    if (themes && !name.Contains(kCompiled) &&
        themes->GetAttributeBool("inheritsFromDefaultSkin", false) &&
        !SameSkin(name, inheritFrom)) {
        const DString defaultsPath = Join(folder, inheritFrom, kSkinFile);
        switch (ReadSkinFile(defaultsPath, defaultsText, defaults)) {
        case SkinFile::Damaged:
            DamagedSkinMessage(defaultsPath, errorText);
            return false;
        case SkinFile::Loaded:
            inherited = defaults.FindChild("themes");
            break;
        case SkinFile::Missing:
            break;
        }
    }

    // 4. From here on the skin is taken.
    engine.ClearFonts();
    skinVersion = version;
    skinName = name;
    theme1Name = Lower(t1);
    theme2Name = Lower(t2);
    author = root.GetAttribute("author", "");
    compiledSkin = skinName.Contains(kCompiled) ? 1 : 0;

    // 5, 6.
    ReadSettings(root);
    LoadThemes(themes, inherited, option);

    // 7. Images already handed out take the new skin's pixels in place.
    title = root.GetAttribute("title", "");
    description = root.GetAttribute("description", "");
    engine.resources.ReloadCachedImages();

    // 8, 9.
    LoadStyleSheets(engine);
    LoadFonts(engine);
    return true;
}

void TPDAUIEngineSkinSettings::ReadSettings(const TPDAUIEngineXml& root)
{
    auto text = [&root](const char* element, const char* def) {
        return root.GetChildAttribute(element, "value", def);
    };
    auto number = [&root](const char* element) {
        const TPDAUIEngineXml* node = root.FindChild(element);
        return node ? node->GetAttributeInt("value", 0, 1.0f) : 0;
    };

    defaultSkinName = text("defaultSkinName", defaultSkinName.c_str());
    fontName = text("fontName", "");
    fontSizeIncrement = number("fontSizeIncrement");
    fontSizeIncrementRTL = number("fontSizeIncrementRTL");
    bitmapExtension = text("bitmapExtension", bitmapExtension.c_str());
    soundButton = text("soundButton", soundButton.c_str());
    soundClick = text("soundClick", soundClick.c_str());
    soundMessageBox = text("soundMessageBox", soundMessageBox.c_str());
    carMapPosition = text("carMapPosition", "50;50");
    carMapPosition3D = text("carMapPosition3D", "50;50");
    carMapPositionFullScreen = text("carMapPositionFullScreen", "50;50");
    carMapPosition3DFullScreen = text("carMapPosition3DFullScreen", "50;50");
    embeddedFontNames = text("embeddedFontNames", "");
    const TPDAUIEngineXml* transitions = root.FindChild("screenPageTransitionsEnabled");
    screenPageTransitionsEnabled = transitions ? transitions->GetAttributeBool("value", true) : 1;
}

void TPDAUIEngineSkinSettings::LoadThemes(TPDAUIEngineXml* themes,
                                          const TPDAUIEngineXml* inherited,
                                          const DString& option)
{
    // The default skin's themes come first, this skin's own rules after theirs.
    if (themes && inherited)
        TPDAUIEngineTheme::ReadThemeList(themes, inherited);

    theme1.Load(themes, theme1Name, option);
    theme2.Load(themes, theme2Name, option);

    themeList.Empty();
    if (!themes)
        return;
    for (int i = 0; i < themes->children.Count(); ++i) {
        const TPDAUIEngineXml* theme = themes->children[i];
        if (theme->name == "#text")
            continue;
        const DString themeName = theme->GetAttribute("name", "");
        themeList << themeName << "=" << theme->GetAttribute("title", themeName.c_str()) << ";";
    }
}

void TPDAUIEngineSkinSettings::LoadStyleSheets(TPDAUIEngine& engine)
{
    // "base" first, then the default skin, then the skin's own file, so that the
    // skin's rules come last. Each is read once.
    Vector<DString> files(3, 1);
    files.Add(DString("..\\base\\styles.css"));
    if (Dstrcmpi(defaultSkinName.c_str(), "base") != 0 &&
        Dstrcmpi(defaultSkinName.c_str(), skinName.c_str()) != 0) {
        DString file("..\\");
        file << defaultSkinName << "\\styles.css";
        files.Add(file);
    }
    files.Add(DString("styles.css"));

    DString joined;
    for (int i = 0; i < files.Count(); ++i) {
        DString text;
        if (ReadText(Join(engine.skinsFolder, skinName, files[i].c_str()), text))
            joined << text << "\n";
    }
    // Always parsed: a skin without stylesheets keeps none of the last skin's rules.
    styleSheet.Parse(joined.c_str());
}

void TPDAUIEngineSkinSettings::LoadFonts(TPDAUIEngine& engine)
{
    Vector<DString> names(4, 4);
    embeddedFontNames.Separa_En_Palabras(",", names);
    for (int i = 0; i < names.Count(); ++i) {
        DString file(names[i]);
        file.Trim();
        if (file.IsEmpty())
            continue;
        engine.AddFont(Join(engine.skinsFolder, skinName, file.c_str()).c_str());
    }
    if (TPDAUIEngineFontManager::DefaultFamily().IsEmpty())
        engine.AddFont(kFallbackFont);
}
