#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/draw/TColorIG.h"
#include "uiengine/core/TPDAUIEngineStyleSheet.h"
#include "uiengine/core/TPDAUIEngineTheme.h"

class TPDAUIEngine;
class TPDAUIEngineXml;

// The skin-settings record embedded in the engine: screen, scale, language and
// the settings read from "skin.xml", with the two active themes and the joined
// stylesheet. The engine publishes a pointer to its record process-wide so style
// and font code can read the UI scale.
//
// "skin.xml" (a folder under the skins folder; "<name>.cskin" is the compiled form):
//
//   <skin version="440" author="..." title="..." description="...">
//     <defaultSkinName value="default"/>      <fontName value="DejaVuSans"/>
//     <embeddedFontNames value="a.ttf,b.cfont"/>  <bitmapExtension value="png"/>
//     <fontSizeIncrement value="0"/>  <fontSizeIncrementRTL value="0"/>
//     <soundButton value="button"/>  <soundClick .../>  <soundMessageBox .../>
//     <carMapPosition value="50;80"/>  (also ...3D, ...FullScreen, ...3DFullScreen)
//     <screenPageTransitionsEnabled value="true"/>
//     <themes inheritsFromDefaultSkin="false"> <theme .../> ... </themes>
//   </skin>
class TPDAUIEngineSkinSettings {
public:
    enum { CommonImageCount = 27 };

    TPDAUIEngineSkinSettings();
    // The themes and the stylesheet own filters and rules: no copies.
    TPDAUIEngineSkinSettings(const TPDAUIEngineSkinSettings&) = delete;
    TPDAUIEngineSkinSettings& operator=(const TPDAUIEngineSkinSettings&) = delete;

    // The record of the live engine, or null when there is none.
    static TPDAUIEngineSkinSettings* Current();
    static void SetCurrent(TPDAUIEngineSkinSettings* settings);

    // The UI scale of the live engine, 1.0 when there is none.
    static float CurrentScale();

    // Finds the skin under engine.skinsFolder (the name as given, with or without
    // ".cskin", else "default", else "default.cskin"), checks its version, and
    // loads its settings, themes (themeOption names the theme taken when a theme
    // name is unknown), stylesheets and fonts; the engine's cached images are read
    // again from it. skinName becomes the name loaded. A skin of the wrong version
    // gives way to the default skin once. False with the message in errorText when
    // no skin can be loaded; the record is then as it was.
    bool LoadSkin(TPDAUIEngine& engine, DString& skinName, const CDString& theme1Name,
                  const CDString& theme2Name, const CDString& themeOption, DString& errorText);

    int integerMemberA = 0;
    DString applicationName;
    int screenWidth = 240;
    int screenHeight = 320;
    int windowX = 0;
    int windowY = 0;
    float uiScale = 1.0f;
    uint8_t dpiScale = 0;   // automatic scale from the DPI ratio
    uint8_t sizeScale = 0;  // automatic scale from the screen size
    int integerMemberB = 16;
    float screenDpi = 96.0f;
    float designDpi = 96.0f;
    uint8_t landscape = 0;
    uint8_t rightToLeft = 0;
    int languageId = 0;
    int screenRotation = 0;  // degrees: 0, 90, 180 or 270
    int keyboardType = 1;    // 0 ABCDEF, 1 QWERTY, 2 AZERTY
    uint8_t screenPageTransitionsEnabled = 1;
    const bool* openGLSetting = nullptr;  // configuration value; none means false
    DString skinName;                     // folder name as found
    DString theme1Name;                   // lower-cased
    DString theme2Name;
    DString themeList;                    // "name=title;" for every theme of the skin
    int skinVersion = 0;
    int requiredVersion;
    DString defaultSkinName;
    DString defaultSkinThemeName;         // theme 1 when falling back to the default skin
    DString author;
    DString title;
    DString description;
    uint8_t compiledSkin = 0;             // the skin name holds ".cskin"
    uint8_t versionCheck = 1;
    int fontSizeIncrement = 0;
    int fontSizeIncrementRTL = 0;
    DString embeddedFontNames;            // comma-separated file names in the skin folder
    DString fontName;
    DString bitmapExtension;
    DString soundButton;
    DString soundClick;
    DString soundMessageBox;
    DString carMapPosition;               // "x;y" percentages
    DString carMapPosition3D;
    DString carMapPositionFullScreen;
    DString carMapPosition3DFullScreen;
    TColorIG transparentColor = TColoresIG::F_Magenta;
    DString soundExtension;
    TPDAUIEngineTheme theme1;
    TPDAUIEngineTheme theme2;  // takes the images theme 1 has no rule for
    TPDAUIEngineStyleSheet styleSheet;
    // Image names the controls use; the last is the long-press indicator strip.
    DString commonImages[CommonImageCount];

    enum CommonImage {
        ImgCheck,
        ImgCheckBox,
        ImgMoreItems,
        ImgMoreItemsExpanded,
        ImgMoreItemsInverse,
        ImgRadioButton,
        ImgRadioButtonChecked,
        ImgRadioButtonFocus,
        ImgComboBoxDown,
        ImgComboBoxDownPressed,
        ImgScrollBackground,
        ImgScrollInner,
        ImgScrollUp,
        ImgScrollUpPressed,
        ImgScrollUpLarge,
        ImgScrollUpLargePressed,
        ImgScrollDown,
        ImgScrollDownPressed,
        ImgScrollDownLarge,
        ImgScrollDownLargePressed,
        ImgScrollTrackHeader,
        ImgScrollTrack,
        ImgScrollTrackFooter,
        ImgScrollTrackBack,
        ImgScrollTrackSimple,
        ImgScrollTransparentVerticalBorder,
        ImgContextMenuAnimation,
    };

private:
    // fallback: this load already stands in for a skin of the wrong version.
    bool LoadSkinFrom(TPDAUIEngine& engine, DString& skinName, const DString& theme1,
                      const DString& theme2, const DString& option, DString& errorText,
                      bool fallback);
    void ReadSettings(const TPDAUIEngineXml& root);
    // inherited: the default skin's "themes" when this skin inherits them, else null.
    void LoadThemes(TPDAUIEngineXml* themes, const TPDAUIEngineXml* inherited,
                    const DString& option);
    void LoadStyleSheets(TPDAUIEngine& engine);
    void LoadFonts(TPDAUIEngine& engine);
};
