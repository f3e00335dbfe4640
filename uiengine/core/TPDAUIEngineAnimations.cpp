#include "uiengine/core/TPDAUIEngineAnimations.h"

#include <cmath>
#include <cstdint>

#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const double kPi = 3.14159265358979323846;

// A double converted to int, truncated toward zero and kept inside the int range.
int ToInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return (int)v;
}

} // namespace

TPDAUIEnginePageAnimationsManager::TPDAUIEnginePageAnimationsManager(TPDAUIEngineElementPage* page)
    : page_(page), animations_(10, 10, true)
{
}

int TPDAUIEnginePageAnimationsManager::Evaluate(int easing, int startValue, int endValue, int t, int d)
{
    if (d <= 0 || t >= d)
        return endValue;
    if (t < 0)
        t = 0;
    // Wide arithmetic: a large change times a long duration must not overflow.
    const long long c = (long long)endValue - startValue;
    switch (easing) {
    case EasingOutCubic: {
        double p = (double)t / d - 1.0;
        return ToInt(startValue + c * (p * p * p + 1.0));
    }
    case EasingOutElastic: {
        if (t == 0)
            return startValue;
        double p = 0.3 * d;
        double a, s;
        if (c >= -50 && c <= 50) {
            a = 50.0;
            s = p / (2 * kPi) * std::asin((double)c / 50.0);
        } else {
            a = (double)c;
            s = p / 4;
        }
        double tn = (double)t / d;
        return ToInt(startValue + c + a * std::pow(2.0, -10.0 * tn) * std::sin((t - s) * 2 * kPi / p));
    }
    default:
        return ToInt(startValue + (double)(c * t / d));
    }
}

TPDAUIEngineElement* TPDAUIEnginePageAnimationsManager::FindElement(const DString& id)
{
    if (!page_)
        return nullptr;
    // The page's tree in document order, the page first, as the container's
    // search by id walks it.
    if (page_->id == id)
        return page_;
    VectorP<TPDAUIEngineElement> tree(20, 20, false);
    page_->CollectDescendants(tree, false);
    for (int i = 0; i < tree.Count(); ++i)
        if (tree[i]->id == id)
            return tree[i];
    return nullptr;
}

bool TPDAUIEnginePageAnimationsManager::StepOne(TAnimation& animation, bool* applied)
{
    *applied = false;
    if (animation.cancelled)
        return false;
    TPDAUIEngineElement* element = FindElement(animation.elementId);
    if (!element)
        return false;
    *applied = true;
    TPDAUIEngine* engine = page_->engine;
    int now = engine ? engine->GetTickCount() : animation.startTime;
    int t = (int)((uint32_t)now - (uint32_t)animation.startTime);
    if (t < animation.duration) {
        int value = Evaluate(animation.easing, animation.startValue, animation.endValue, t,
                             animation.duration);
        element->SetAttributeInt(animation.attribute.c_str(), value);
        return true;
    }
    element->SetAttributeInt(animation.attribute.c_str(), animation.endValue);
    if (!animation.endCommand.IsEmpty() && engine)
        engine->PostCommand(TPDAUIEngineCommand(page_, animation.endCommand.c_str()));
    return false;
}

bool TPDAUIEnginePageAnimationsManager::Step(TAnimation& animation)
{
    bool applied;
    return StepOne(animation, &applied);
}

bool TPDAUIEnginePageAnimationsManager::StepAll()
{
    bool blocking = false;
    for (int i = animations_.Count() - 1; i >= 0; --i) {
        TAnimation* animation = animations_[i];
        bool applied;
        bool running = StepOne(*animation, &applied);
        if (applied && animation->blocking)
            blocking = true;
        if (!running)
            animations_.Remove(i);
    }
    if (blocking && page_)
        page_->ReapplyBounds();
    return !animations_.IsEmpty();
}
