#pragma once
#include "enginelib/base/DString.h"

// A path as text: folder, name and extension. It is a DString (the text may be
// built and tested as any text); the parts are read from the text each time.
// '\' and '/' both separate; the folder part keeps its last separator
// ("\Data\Maps\track.gpx": folder "\Data\Maps\", name "track", extension "gpx").
// A leading '.' does not start an extension (".svn" is a name), nor do "." and "..".
// Names compare without regard to case, as the device's file system does.
class TStringNomFitx : public DString {
public:
    TStringNomFitx() = default;
    TStringNomFitx(const char* text) : DString(text) {}
    TStringNomFitx(const CDString& text) : DString(text) {}
    TStringNomFitx(const TStringNomFitx& other) = default;
    TStringNomFitx& operator=(const TStringNomFitx& other) = default;
    TStringNomFitx& operator=(const char* text) {
        DString::operator=(text);
        return *this;
    }
    TStringNomFitx& operator=(const CDString& text) {
        DString::operator=(text);
        return *this;
    }

    DString carpeta() const;       // folder with its trailing separator; empty when none
    DString nom_fitx() const;      // name without extension
    DString nom_fitx_ext() const;  // name with extension
    DString ext() const;           // extension without the dot; empty when none

    // True when the extension is ext, ignoring case ("gpx" or ".gpx").
    bool es_extension(const char* ext) const;
    // Adds "." + ext when the name has no extension.
    void Anyade_Ext_sinohay(const char* ext);
    // Replaces the extension (an empty ext removes it).
    void Cambia_Ext(const char* ext);

    // Replaces the folder, keeping name and extension (a separator is added when the
    // folder does not end with one; an empty folder leaves the bare name).
    void Set_Carpeta(const char* folder);
    // The path becomes folder joined with file.
    void Set_Path_y_Fitx(const char* folder, const char* file);
    // The folder becomes the program's folder / the application-data folder
    // ($XDG_DATA_HOME/orbeta, by default ~/.local/share/orbeta, created when
    // missing); name and extension are kept.
    void Set_Path_Exe();
    void Set_Path_AppData();
    static DString Path_AppData();

    // Changes the folder part, keeping the name: ".." goes up one level (never above
    // a root "\" or "/"; on a relative folder with nothing left it adds ".."), "."
    // stays, a path beginning with a separator replaces the folder, anything else
    // goes down into it.
    void cd(const char* dir);

    // "My Documents" is the device folder "\My Documents": shown shortened to
    // "My Documents\..." and expanded back.
    void ReducePathMyDocs(bool);
    void ExpandePathMyDocs(bool);
    // The kind of drive the path lies on: "Card" on a flash card, "" elsewhere.
    DString Obten_Unidad_Typo() const;
    // The device root "\" and each flash card.
    static void GetDrives(Vector<DString>& drives);

    // The whole path names an existing folder / an existing file.
    bool Verifica_Existencia_Carpeta() const;
    bool Verifica_Existencia_Archivo() const;

    // True when this path is folder or lies inside it, comparing whole components
    // ("\Data" does not hold "\Data2"), ignoring case and separator kind. rest, when
    // given, takes the part of this path below folder ("" when they are the same).
    bool Resta_Path(const char* folder, DString* rest = nullptr) const;
    bool Es_Archivo_Hijo(const char* folder) const { return Resta_Path(folder); }

    // Order of the whole path text, ignoring case and separator kind.
    // Checks the file's MD5. Check action 2 compares it with the 32 hex digits of
    // the file of the same name with the extension "md5" beside it. False (and
    // failMessage logged) when the file or its sum is missing or they differ.
    bool FileMd5(const char* failMessage, int checkAction) const;

    static int Compara(const TStringNomFitx& a, const TStringNomFitx& b);

private:
    int InicioNombre() const;  // index of the first byte of the name
    int PuntoExt() const;      // index of the extension's dot, or -1
};

inline bool operator<(const TStringNomFitx& a, const TStringNomFitx& b) { return TStringNomFitx::Compara(a, b) < 0; }
inline bool operator==(const TStringNomFitx& a, const TStringNomFitx& b) { return TStringNomFitx::Compara(a, b) == 0; }
inline bool operator!=(const TStringNomFitx& a, const TStringNomFitx& b) { return TStringNomFitx::Compara(a, b) != 0; }
