#include "enginelib/nav/TConfig.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "enginelib/base/TFitxUtils.h"
#include "enginelib/nav/KeyValueFile.h"

namespace {
const char kRecentFiles[] = "recentFiles";
const char kRecentCities[] = "recentCities";
// A settings file is a few kilobytes; anything far larger is not ours.
const long long kMaximumFileSize = 1 << 20;
} // namespace

TConfig::TConfig(const std::string& dataFolder)
{
    if (!dataFolder.empty()) {
        fontCopyFolder.SetDefault((dataFolder + "/fonts").c_str());
        folders.SetDefault((dataFolder + "/screenshots").c_str());
    }
}

TvarConfig* TConfig::Find(const char* key) const
{
    for (TvarConfig* v : variables_)
        if (std::strcmp(v->Key(), key) == 0)
            return v;
    return nullptr;
}

void TConfig::ResetAll()
{
    for (TvarConfig* v : variables_)
        v->Reset();
    recentFiles.Clear();
    recentCities.Clear();
    modified_ = false;
}

bool TConfig::Load(const std::string& path, std::string& error)
{
    ResetAll();
    std::string files, cities;
    const KeyValueRead r = ReadKeyValueFile(
        path, kMaximumFileSize, "a settings file", "setting",
        [&](const std::string& key, const std::string& value, int line, std::string& err) {
            if (key == kRecentFiles)
                files = value;
            else if (key == kRecentCities)
                cities = value;
            else if (TvarConfig* v = Find(key.c_str()))
                if (!v->SetText(value)) {
                    err = path + ": line " + std::to_string(line) + ": \"" + value + "\" is not a " + v->TypeName() +
                          " for " + key;
                    return false;
                }
            // Keys of other versions are skipped.
            return true;
        },
        error);
    if (r == KeyValueRead::Failed) {
        ResetAll();
        return false;
    }
    recentFiles.SetText(files);
    recentCities.SetText(cities);
    modified_ = false;
    return true;
}

bool TConfig::Save(const std::string& path, std::string& error) const
{
    std::ostringstream out;
    for (const TvarConfig* v : variables_)
        if (v->Text() != v->DefaultText())
            out << v->Key() << '=' << v->Text() << '\n';
    if (recentFiles.Count())
        out << kRecentFiles << '=' << recentFiles.Text() << '\n';
    if (recentCities.Count())
        out << kRecentCities << '=' << recentCities.Text() << '\n';
    // Written aside and moved over, so a failed write never leaves half a file.
    const std::string temp = path + ".new";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f << out.str();
        if (!f.flush()) {
            error = temp + ": cannot write";
            TFitxUtils::Borra_Archivo(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": cannot write";
        TFitxUtils::Borra_Archivo(temp.c_str());
        return false;
    }
    return true;
}

void TConfig::Crea_Carpetas(bool create)
{
    if (!create)
        return;
    TFitxUtils::Crea_Carpeta(fontCopyFolder.c_str());
    const std::string list = folders.c_str();
    const std::string first = list.substr(0, list.find(';'));
    if (!first.empty())
        TFitxUtils::Crea_Carpeta(first.c_str());
}
