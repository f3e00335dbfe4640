#include "enginelib/base/PocketSH.h"

#include <cstdlib>

std::vector<std::string> FlashCardFolders()
{
    std::vector<std::string> out;
    const char* env = std::getenv("ORBETA_FLASH_CARDS");
    const std::string list = env ? env : "";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find(';', start);
        const std::string item = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!item.empty())
            out.push_back(item);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

intptr_t PocketSH_FindFirstFlashCard(DString& folder)
{
    const std::vector<std::string> cards = FlashCardFolders();
    if (cards.empty())
        return 0;
    folder = cards[0].c_str();
    return 1;
}

bool PocketSH_FindNextFlashCard(intptr_t& handle, DString& folder)
{
    const std::vector<std::string> cards = FlashCardFolders();
    if (handle <= 0 || handle >= (intptr_t)cards.size())
        return false;
    folder = cards[handle].c_str();
    ++handle;
    return true;
}
