#pragma once
#include <mutex>

// A lock that the thread holding it may enter again (as the device's critical
// sections allow); every Entra is matched by one Sale.
class TCriticalSectionITV {
public:
    TCriticalSectionITV() = default;
    TCriticalSectionITV(const TCriticalSectionITV&) = delete;
    TCriticalSectionITV& operator=(const TCriticalSectionITV&) = delete;

    void Entra() { mutex_.lock(); }
    void Sale() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a critical section for the life of the object. A null section is ignored.
class TCriticalSectionITVEntra {
public:
    explicit TCriticalSectionITVEntra(TCriticalSectionITV& cs) : cs_(&cs) { cs_->Entra(); }
    explicit TCriticalSectionITVEntra(TCriticalSectionITV* cs) : cs_(cs) {
        if (cs_) cs_->Entra();
    }
    ~TCriticalSectionITVEntra() {
        if (cs_) cs_->Sale();
    }
    TCriticalSectionITVEntra(const TCriticalSectionITVEntra&) = delete;
    TCriticalSectionITVEntra& operator=(const TCriticalSectionITVEntra&) = delete;

private:
    TCriticalSectionITV* cs_;
};
