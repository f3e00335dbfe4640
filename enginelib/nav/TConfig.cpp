#include "enginelib/nav/TConfig.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "enginelib/base/TFitxUtils.h"

namespace {
const char kRecentFiles[] = "recentFiles";
const char kRecentCities[] = "recentCities";
// A settings file is a few kilobytes; anything far larger is not ours.
const std::streamoff kMaximumFileSize = 1 << 20;
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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return true;  // first run: the defaults
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    ResetAll();
    if (size > kMaximumFileSize) {
        error = path + ": too large for a settings file";
        return false;
    }
    // Read and check every line before anything changes.
    std::string files, cities;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0 || line.find('\0') != std::string::npos) {
            ResetAll();
            error = path + ": line " + std::to_string(number) + " is not a setting";
            return false;
        }
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == kRecentFiles) {
            files = value;
            continue;
        }
        if (key == kRecentCities) {
            cities = value;
            continue;
        }
        TvarConfig* v = Find(key.c_str());
        if (!v)
            continue;  // a setting of another version
        if (!v->SetText(value)) {
            ResetAll();
            error = path + ": line " + std::to_string(number) + ": \"" + value + "\" is not a " + v->TypeName() +
                    " for " + key;
            return false;
        }
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
