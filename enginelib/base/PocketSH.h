#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "enginelib/base/DString.h"

// The device's flash cards: the folders named in ORBETA_FLASH_CARDS (device or
// host paths separated by ';'), none by default.
std::vector<std::string> FlashCardFolders();

// Walks the flash cards' root folders: the first gives a handle (0 when there is
// no card) and the card's folder; the next moves the handle on, false at the end.
intptr_t PocketSH_FindFirstFlashCard(DString& folder);
bool PocketSH_FindNextFlashCard(intptr_t& handle, DString& folder);
