#include "enginelib/base/PocketSH.h"

#include <cstdlib>

std::vector<std::string> FlashCardFolders()
{
    std::vector<std::string> out;
    Vector<DString> words;
    CDString(std::getenv("ORBETA_FLASH_CARDS")).Separa_En_Palabras(";", words);
    for (int i = 0; i < words.Count(); ++i)
        out.push_back(words[i].c_str());
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
