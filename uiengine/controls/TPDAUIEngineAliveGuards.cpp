#include "uiengine/controls/TPDAUIEngineAliveGuards.h"

TPDAUIEngineAliveGuards::Guard::Guard(TPDAUIEngineAliveGuards& owner) : owner_(&owner), previous_(owner.top_)
{
    owner.top_ = this;
}

TPDAUIEngineAliveGuards::Guard::~Guard()
{
    // The owner is gone when alive was cleared: nothing to unlink.
    if (alive)
        owner_->top_ = previous_;
}

TPDAUIEngineAliveGuards::~TPDAUIEngineAliveGuards()
{
    for (Guard* g = top_; g; g = g->previous_)
        g->alive = false;
}
