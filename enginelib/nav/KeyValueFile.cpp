#include "enginelib/nav/KeyValueFile.h"

#include <fstream>

KeyValueRead ReadKeyValueFile(const std::string& path, long long maxSize, const char* kind, const char* item,
                              const std::function<bool(const std::string&, const std::string&, int, std::string&)>& pair,
                              std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return KeyValueRead::Missing;
    in.seekg(0, std::ios::end);
    if ((long long)in.tellg() > maxSize) {
        error = path + ": too large for " + kind;
        return KeyValueRead::Failed;
    }
    in.seekg(0);
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
            error = path + ": line " + std::to_string(number) + " is not a " + item;
            return KeyValueRead::Failed;
        }
        if (!pair(line.substr(0, eq), line.substr(eq + 1), number, error))
            return KeyValueRead::Failed;
    }
    return KeyValueRead::Ok;
}
