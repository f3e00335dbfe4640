#pragma once

// For a control whose own commands may delete it: the control holds one of
// these, every frame that raises a command holds a Guard on it, and after the
// command the frame reads the guard's alive flag before touching the control
// again. Deleting the control clears the flag of every frame still running.
class TPDAUIEngineAliveGuards {
public:
    class Guard {
    public:
        explicit Guard(TPDAUIEngineAliveGuards& owner);
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

        bool alive = true;

    private:
        friend class TPDAUIEngineAliveGuards;
        TPDAUIEngineAliveGuards* owner_;
        Guard* previous_;
    };

    TPDAUIEngineAliveGuards() = default;
    TPDAUIEngineAliveGuards(const TPDAUIEngineAliveGuards&) = delete;
    TPDAUIEngineAliveGuards& operator=(const TPDAUIEngineAliveGuards&) = delete;
    ~TPDAUIEngineAliveGuards();

private:
    Guard* top_ = nullptr;
};
