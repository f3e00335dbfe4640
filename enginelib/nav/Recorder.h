#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class TElementoGPS;
struct TCallbackLumor;

namespace enginelib {

// What the library did, kept for tests and demos (pages never read it): the calls
// the program made in order, log lines, and every request with its answers.
class Recorder {
public:
    enum RequestKind { ReqMessageBox, ReqProperties, ReqLists, ReqFileOpen, ReqInputText, ReqAskRadio, ReqAskGeoCode, KindCount };
    struct Request {
        int id = 0;
        RequestKind kind = ReqMessageBox;
        TElementoGPS* element = nullptr;
        TCallbackLumor* callback = nullptr;
        int answers = 0;  // final answers given, by the callback's result or an End call
        int code = 0;     // the first final answer
    };

    static const char* KindName(RequestKind kind);

    void Call(const std::string& what) { calls.push_back(what); }
    void LogLine(const std::string& line) { log.push_back(line); }
    // Native messages posted to the program's window (from any thread).
    struct PostedMessage {
        unsigned message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    void Posted(unsigned message, uintptr_t wParam, intptr_t lParam)
    {
        std::lock_guard<std::mutex> lock(postedMutex_);
        posted_.push_back({message, wParam, lParam});
    }
    std::vector<PostedMessage> TakePosted()
    {
        std::lock_guard<std::mutex> lock(postedMutex_);
        std::vector<PostedMessage> out;
        out.swap(posted_);
        return out;
    }

    // A request raised through a callback; its id.
    int Open(RequestKind kind, TElementoGPS* element, TCallbackLumor* callback);
    // The oldest unanswered request of the kind (of that element when given), or null.
    Request* Pending(RequestKind kind, TElementoGPS* element, bool anyElement);
    // The newest answered request of the kind (of that element when given), or null.
    Request* Answered(RequestKind kind, TElementoGPS* element, bool anyElement);
    Request* Find(int id);

    // An End call: completes the oldest pending request of its kind, or is kept as
    // "late" (its request was answered already) or "unsolicited" (none was made).
    // Answers the request it completed, or null.
    Request* End(RequestKind kind, TElementoGPS* element, bool anyElement, int code, const std::string& text);

    bool ExpectOneAnswer(int id) const;
    std::vector<int> Unanswered() const;

    std::vector<std::string> calls;
    std::vector<std::string> log;
    std::vector<std::string> endAnswers;  // "<End name> <code>[ <text>]: answer|late|unsolicited"
    std::vector<Request> requests;

private:
    int nextId_ = 1;
    std::mutex postedMutex_;
    std::vector<PostedMessage> posted_;
};

} // namespace enginelib
