#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "enginelib/base/Path.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/TIteradorFitx.h"
#include "enginelib/base/TStringNomFitx.h"
#include "support/TestPaths.h"

namespace {

namespace fs = std::filesystem;

void Touch(const std::string& path, const std::string& content = "x") {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << content;
}

// Sets or clears an environment variable for the life of the object.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

// ---- TStringNomFitx

TEST(StringNomFitx, PartsTable) {
    struct Case {
        const char *path, *folder, *name, *nameExt, *ext;
    } cases[] = {
        {"\\Data\\Maps\\track.gpx", "\\Data\\Maps\\", "track", "track.gpx", "gpx"},
        {"skins/default/skin.xml", "skins/default/", "skin", "skin.xml", "xml"},
        {"/home/u\\x.CSKIN", "/home/u\\", "x", "x.CSKIN", "CSKIN"},
        {"archive.tar.gz", "", "archive.tar", "archive.tar.gz", "gz"},
        {".svn", "", ".svn", ".svn", ""},
        {"\\Data\\..", "\\Data\\", "..", "..", ""},
        {"\\Data\\", "\\Data\\", "", "", ""},
        {"name.", "", "name", "name.", ""},
        {"a.b\\c", "a.b\\", "c", "c", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        TStringNomFitx p(c.path);
        EXPECT_STREQ(p.carpeta().c_str(), c.folder) << c.path;
        EXPECT_STREQ(p.nom_fitx().c_str(), c.name) << c.path;
        EXPECT_STREQ(p.nom_fitx_ext().c_str(), c.nameExt) << c.path;
        EXPECT_STREQ(p.ext().c_str(), c.ext) << c.path;
    }
}

TEST(StringNomFitx, ExtensionOperations) {
    TStringNomFitx p("\\skins\\Default.CSKIN");
    EXPECT_TRUE(p.es_extension("cskin"));
    EXPECT_TRUE(p.es_extension(".CSkin"));
    EXPECT_FALSE(p.es_extension("cski"));
    EXPECT_FALSE(TStringNomFitx("\\skins\\default").es_extension("cskin"));

    struct Case {
        const char *path, *ext, *added, *changed;
    } cases[] = {
        {"skin", "xml", "skin.xml", "skin.xml"},
        {"skin.xml", "png", "skin.xml", "skin.png"},
        {"images\\logo.bmp", ".cbmp", "images\\logo.bmp", "images\\logo.cbmp"},
        {"name.", "txt", "name.txt", "name.txt"},
        {"dir.d\\file", "x", "dir.d\\file.x", "dir.d\\file.x"},
        {"a.png", "", "a.png", "a"},
        {"\\Data\\", "gpx", "\\Data\\", "\\Data\\.gpx"},
    };
    for (const Case& c : cases) {
        TStringNomFitx a(c.path), b(c.path);
        a.Anyade_Ext_sinohay(c.ext);
        b.Cambia_Ext(c.ext);
        EXPECT_STREQ(a.c_str(), c.added) << c.path;
        EXPECT_STREQ(b.c_str(), c.changed) << c.path;
    }
}

TEST(StringNomFitx, FolderOperations) {
    TStringNomFitx p("x\\font.cfont");
    p.Set_Carpeta("\\Data");
    EXPECT_STREQ(p.c_str(), "\\Data\\font.cfont");
    p.Set_Carpeta("/tmp/");
    EXPECT_STREQ(p.c_str(), "/tmp/font.cfont");
    p.Set_Carpeta("/tmp/a");
    EXPECT_STREQ(p.c_str(), "/tmp/a/font.cfont");
    p.Set_Carpeta("");
    EXPECT_STREQ(p.c_str(), "font.cfont");

    struct Join {
        const char *folder, *file, *out;
    } joins[] = {
        {"\\Data", "a.gpx", "\\Data\\a.gpx"},
        {"\\Data\\", "a.gpx", "\\Data\\a.gpx"},
        {"\\Data\\", "\\a.gpx", "\\Data\\a.gpx"},
        {"/home/u", "x", "/home/u/x"},
        {"", "a", "a"},
        {"\\Data", "", "\\Data"},
    };
    for (const Join& j : joins) {
        TStringNomFitx q;
        q.Set_Path_y_Fitx(j.folder, j.file);
        EXPECT_STREQ(q.c_str(), j.out) << j.folder << " + " << j.file;
    }
}

TEST(StringNomFitx, ChangeDirectoryTable) {
    struct Case {
        const char *path, *dir, *out;
    } cases[] = {
        {"\\Data\\Maps\\", "..", "\\Data\\"},
        {"\\Data\\", "..", "\\"},
        {"\\", "..", "\\"},
        {"/", "..", "/"},
        {"Maps\\", "..", ""},
        {"skins\\default\\font.cfont", "..", "skins\\font.cfont"},
        {"skins\\font.cfont", "base", "skins\\base\\font.cfont"},
        {"font.cfont", "..", "..\\font.cfont"},
        {"..\\", "..", "..\\..\\"},
        {"/home/u/x.txt", "..", "/home/x.txt"},
        {"\\Data\\", "Maps", "\\Data\\Maps\\"},
        {"\\Data\\", ".", "\\Data\\"},
        {"\\Data\\f.txt", "\\Other", "\\Other\\f.txt"},
    };
    for (const Case& c : cases) {
        TStringNomFitx p(c.path);
        p.cd(c.dir);
        EXPECT_STREQ(p.c_str(), c.out) << c.path << " cd " << c.dir;
    }
}

TEST(StringNomFitx, RestaPathComparesWholeComponents) {
    struct Case {
        const char *path, *folder;
        bool inside;
        const char* rest;
    } cases[] = {
        {"\\Data\\Maps\\x.gpx", "\\Data", true, "Maps\\x.gpx"},
        {"\\data\\maps", "\\DATA\\", true, "maps"},
        {"\\Data", "\\Data", true, ""},
        {"\\Data\\", "/dummy/../Data", false, ""},  // a Linux path is not a device path
        {"\\Data2\\x", "\\Data", false, ""},
        {"\\Data", "\\Data\\Maps", false, ""},
        {"Data\\x", "\\Data", false, ""},
        {"\\Data\\x", "", false, ""},
        {"/home/u/a/b", "/home/u/", true, "a\\b"},
        {"\\Data\\Maps\\..\\x", "\\Data\\Maps", false, ""},
    };
    for (const Case& c : cases) {
        TStringNomFitx p(c.path);
        DString rest("junk");
        EXPECT_EQ(p.Resta_Path(c.folder, &rest), c.inside) << c.path << " in " << c.folder;
        EXPECT_STREQ(rest.c_str(), c.rest) << c.path << " in " << c.folder;
        EXPECT_EQ(p.Es_Archivo_Hijo(c.folder), c.inside) << c.path << " in " << c.folder;
    }
}

TEST(StringNomFitx, OrderIgnoresCaseAndSeparatorKind) {
    TStringNomFitx a("\\D\\a.txt"), b("\\D\\B.txt"), b2("/D/b.TXT"), dots("\\D\\..");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(b == b2);
    EXPECT_FALSE(b < b2);
    EXPECT_FALSE(b2 < b);
    EXPECT_TRUE(dots < a);
    EXPECT_TRUE(a != b);
}

TEST(StringNomFitx, ProgramAndAppDataFolders) {
    TStringNomFitx keys("ObKeys.cxml");
    keys.Set_Path_Exe();
    EXPECT_EQ(std::string(keys.c_str()), Path::ProgramFolder() + "/ObKeys.cxml");
    TStringNomFitx folder;
    folder.Set_Path_Exe();
    EXPECT_EQ(std::string(folder.c_str()), Path::ProgramFolder() + "/");

    testpaths::TempDir tmp;
    {
        EnvVar xdg("XDG_DATA_HOME", tmp.path().c_str());
        TStringNomFitx p("\\Old\\ObKeys.cxml");
        p.Set_Path_AppData();
        EXPECT_EQ(std::string(p.c_str()), tmp / "orbeta/ObKeys.cxml");
        EXPECT_TRUE(fs::is_directory(tmp / "orbeta"));
    }
    {
        EnvVar home("HOME", tmp.path().c_str());
        EnvVar xdg("XDG_DATA_HOME", "relative/ignored");
        EXPECT_EQ(std::string(TStringNomFitx::Path_AppData().c_str()), tmp / ".local/share/orbeta");
    }
}

TEST(StringNomFitx, ExistenceIgnoresCase) {
    testpaths::TempDir tmp;
    Touch(tmp / "data/maps/track.gpx");
    EXPECT_TRUE(TStringNomFitx((tmp.path() + "\\Data\\MAPS").c_str()).Verifica_Existencia_Carpeta());
    EXPECT_TRUE(TStringNomFitx((tmp.path() + "\\Data\\MAPS\\").c_str()).Verifica_Existencia_Carpeta());
    EXPECT_FALSE(TStringNomFitx((tmp.path() + "\\Data\\Maps\\Track.gpx").c_str()).Verifica_Existencia_Carpeta());
    EXPECT_TRUE(TStringNomFitx((tmp.path() + "\\Data\\Maps\\Track.gpx").c_str()).Verifica_Existencia_Archivo());
}

// ---- TFitxUtils

TEST(FitxUtils, Existence) {
    testpaths::TempDir tmp;
    Touch(tmp / "sub/track.kml");
    Touch(tmp / "sub/plain");
    const std::string t = tmp.path();
    EXPECT_TRUE(TFitxUtils::Verifica_Existencia_Archivo((t + "\\SUB\\Track.KML").c_str()));
    EXPECT_FALSE(TFitxUtils::Verifica_Existencia_Archivo((t + "\\sub").c_str()));
    EXPECT_FALSE(TFitxUtils::Verifica_Existencia_Archivo((t + "\\sub\\none.kml").c_str()));
    EXPECT_FALSE(TFitxUtils::Verifica_Existencia_Archivo(nullptr));
    EXPECT_TRUE(TFitxUtils::Verifica_Existencia_Carpeta((t + "\\Sub").c_str()));
    EXPECT_FALSE(TFitxUtils::Verifica_Existencia_Carpeta((t + "\\sub\\track.kml").c_str()));

    struct Case {
        const char* name;
        bool found;
    } cases[] = {
        {"\\sub\\track.gpx", true}, {"\\sub\\TRACK", true}, {"\\sub\\plain.txt", true},
        {"\\sub\\trac.kml", false}, {"\\sub\\track.kml.bak", false}, {"\\none\\track", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFitxUtils::Verifica_Existencia_Archivo_Sin_Extension((t + c.name).c_str()), c.found) << c.name;
}

TEST(FitxUtils, DeleteMoveAndCreate) {
    testpaths::TempDir tmp;
    const std::string t = tmp.path();
    Touch(tmp / "a.txt", "A");
    Touch(tmp / "b.txt", "B");
    fs::create_directories(tmp / "folder");

    EXPECT_FALSE(TFitxUtils::Borra_Archivo((t + "\\folder").c_str()));
    EXPECT_TRUE(fs::exists(tmp / "folder"));
    EXPECT_FALSE(TFitxUtils::Borra_Archivo((t + "\\missing").c_str()));

    // The destination exists: nothing moves.
    EXPECT_FALSE(TFitxUtils::Mueve_Archivo((t + "\\A.TXT").c_str(), (t + "\\b.txt").c_str()));
    EXPECT_TRUE(fs::exists(tmp / "a.txt"));
    std::ifstream b(tmp / "b.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(b), {}), "B");

    EXPECT_TRUE(TFitxUtils::Borra_Archivo((t + "\\B.txt").c_str()));
    EXPECT_FALSE(fs::exists(tmp / "b.txt"));
    EXPECT_TRUE(TFitxUtils::Mueve_Archivo((t + "\\A.TXT").c_str(), (t + "\\Folder\\moved.jpg").c_str()));
    EXPECT_FALSE(fs::exists(tmp / "a.txt"));
    EXPECT_TRUE(fs::exists(tmp / "folder/moved.jpg"));
    EXPECT_FALSE(TFitxUtils::Mueve_Archivo((t + "\\a.txt").c_str(), (t + "\\c.txt").c_str()));

    EXPECT_TRUE(TFitxUtils::Crea_Carpeta((t + "\\FOLDER\\x\\y").c_str()));
    EXPECT_TRUE(fs::is_directory(tmp / "folder/x/y"));
    EXPECT_TRUE(TFitxUtils::Crea_Carpeta((t + "\\folder").c_str()));
    EXPECT_FALSE(TFitxUtils::Crea_Carpeta((t + "\\folder\\moved.jpg\\z").c_str()));
}

// ---- TIteradorFitx

std::vector<std::string> Names(const std::string& pattern, std::vector<bool>* folders = nullptr) {
    std::vector<std::string> names;
    TIteradorFitx it(pattern.c_str());
    while (it.Siguiente()) {
        names.push_back(it.Nombre().c_str());
        if (folders) folders->push_back(it.EsCarpeta());
    }
    EXPECT_FALSE(it.Siguiente());
    EXPECT_TRUE(it.Nombre().IsEmpty());
    return names;
}

TEST(IteradorFitx, ListsMatchingEntriesInOrder) {
    testpaths::TempDir tmp;
    Touch(tmp / "tmp/tempuiedm1");
    Touch(tmp / "tmp/TempUIEDM2.jpg");
    Touch(tmp / "tmp/keep.txt");
    Touch(tmp / "tmp/README");
    fs::create_directories(tmp / "tmp/Sub");
    const std::string folder = tmp.path() + "\\TMP\\";

    std::vector<bool> isFolder;
    EXPECT_EQ(Names(folder + "*", &isFolder),
              (std::vector<std::string>{".", "..", "keep.txt", "README", "Sub", "tempuiedm1", "TempUIEDM2.jpg"}));
    EXPECT_EQ(isFolder, (std::vector<bool>{true, true, false, false, true, false, false}));
    EXPECT_EQ(Names(folder + "*.*").size(), 7u);
    EXPECT_EQ(Names(folder).size(), 7u);
    EXPECT_EQ(Names(folder + "tempuiedm*"), (std::vector<std::string>{"tempuiedm1", "TempUIEDM2.jpg"}));
    EXPECT_EQ(Names(folder + "*.TXT"), (std::vector<std::string>{"keep.txt"}));
    EXPECT_TRUE(Names(tmp.path() + "\\missing\\*").empty());

    TIteradorFitx it((folder + "k*").c_str());
    ASSERT_TRUE(it.Siguiente());
    EXPECT_EQ(std::string(it.Ruta().c_str()), folder + "keep.txt");
}

// The download manager's clean-up: every temporary download goes, nothing else.
TEST(IteradorFitx, DeletingWhatItFinds) {
    testpaths::TempDir tmp;
    Touch(tmp / "t/tempuiedm1");
    Touch(tmp / "t/tempuiedm7.png");
    Touch(tmp / "t/other.png");
    TIteradorFitx it((tmp.path() + "\\t\\tempuiedm*").c_str());
    while (it.Siguiente()) EXPECT_TRUE(TFitxUtils::Borra_Archivo(it.Ruta().c_str()));
    EXPECT_EQ(Names(tmp.path() + "/t/*.*"), (std::vector<std::string>{".", "..", "other.png"}));
}

} // namespace
