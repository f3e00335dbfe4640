#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

class TPDAUIEngineElement;
class TPDAUIEngineElementPage;

// Moves integer attributes of a page's elements (a position, a size, an alpha)
// from a start value to an end value over a duration, and posts a command to
// the page when an animation ends. Every page owns one and steps it at every
// paint. Page code appends TAnimation records to Animations() directly.
class TPDAUIEnginePageAnimationsManager {
public:
    enum EEasing { EasingLinear = 0, EasingOutCubic = 1, EasingOutElastic = 2 };

    struct TAnimation {
        int cancelled = 0;      // non-zero: dropped at the next step
        DString elementId;      // text id, looked up in the page at every step
        DString attribute;      // integer attribute set on the element
        int startValue = 0;
        int endValue = 0;
        int duration = 0;       // ms
        int startTime = 0;      // engine GetTickCount when started
        unsigned char blocking = 0; // re-lay out the page after every step while it runs
        DString endCommand;     // posted to the page when the animation ends; empty: none
        int easing = EasingLinear;
    };

    explicit TPDAUIEnginePageAnimationsManager(TPDAUIEngineElementPage* page);
    // Deletes the remaining animations without posting their end commands.
    ~TPDAUIEnginePageAnimationsManager() = default;
    TPDAUIEnginePageAnimationsManager(const TPDAUIEnginePageAnimationsManager&) = delete;
    TPDAUIEnginePageAnimationsManager& operator=(const TPDAUIEnginePageAnimationsManager&) = delete;

    VectorP<TAnimation>& Animations() { return animations_; }
    TPDAUIEngineElementPage* GetPage() const { return page_; }

    // Steps every animation, last to first, removing those that ended; marks the
    // page for layout when a blocking one was stepped. Answers whether
    // animations remain.
    bool StepAll();
    // Steps one animation: sets its value for now; at the end sets the end value
    // and posts the end command. False when the animation is over (ended,
    // cancelled, or its element is gone).
    bool Step(TAnimation& animation);

    // Value of an animation t ms into a duration d (0 <= t < d) by the easing.
    static int Evaluate(int easing, int startValue, int endValue, int t, int d);

private:
    // Step, also telling whether a value was set on the element.
    bool StepOne(TAnimation& animation, bool* applied);
    TPDAUIEngineElement* FindElement(const DString& id);

    TPDAUIEngineElementPage* page_;
    VectorP<TAnimation> animations_;
};
