#pragma once
#include <memory>

// An element's five per-state styles (borders or backgrounds), held out of line
// and only once one of them is edited. Most elements keep the defaults, and a
// page makes, lays out and drops thousands of elements: kept inline they would
// make every element several times larger. Reading never allocates; an element
// that has not edited its styles reads the shared defaults (T's own).
template <class T>
class TPDAUIEngineStateStyles {
public:
    enum { kStates = 5 };

    TPDAUIEngineStateStyles() = default;
    TPDAUIEngineStateStyles(const TPDAUIEngineStateStyles& other)
        : block_(other.block_ ? new Block(*other.block_) : nullptr)
    {
    }
    TPDAUIEngineStateStyles& operator=(const TPDAUIEngineStateStyles& other)
    {
        if (!other.block_)
            block_.reset();
        else if (block_)
            *block_ = *other.block_;
        else
            block_.reset(new Block(*other.block_));
        return *this;
    }

    // A state's style (0 to 4).
    const T& operator[](int state) const { return (block_ ? *block_ : Defaults()).items[state]; }
    // A state's style to change; the first edit makes the element's own copy
    // of all five.
    T& Edit(int state) { return Own().items[state]; }
    // Every state's style to the given one.
    void SetAll(const T& style)
    {
        for (T& item : Own().items)
            item = style;
    }
    // Back to the defaults, dropping the element's own copy.
    void Reset() { block_.reset(); }
    // Whether the element holds its own copy (it may still equal the defaults).
    bool IsOwn() const { return block_ != nullptr; }

    const T* begin() const { return (block_ ? *block_ : Defaults()).items; }
    const T* end() const { return begin() + kStates; }

private:
    struct Block {
        T items[kStates];
    };
    static const Block& Defaults()
    {
        static const Block defaults;
        return defaults;
    }
    Block& Own()
    {
        if (!block_)
            block_.reset(new Block);  // each style starts at its own defaults; no zero fill first
        return *block_;
    }

    std::unique_ptr<Block> block_;
};
