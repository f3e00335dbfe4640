#pragma once
#include <cstring>

#include "enginelib/base/DString.h"
#include "uiengine/core/TPDAUIEngineXmlPool.h"

// A name, value or text of an XML tree: read like any CDString (a new DString
// makes a copy of it). Its bytes are either its own, held in the tree's pool next
// to the nodes, or borrowed from the text of the document they were read from,
// which the nodes keep alive. Copying, moving or assigning gives a string of its
// own; assigning text keeps this string's code page, assigning a string takes
// that one's.
class TPDAUIEngineXmlString : public CDString {
public:
    TPDAUIEngineXmlString() : CDString() {}
    explicit TPDAUIEngineXmlString(int codepage) : CDString(nullptr, 0, codepage) {}
    TPDAUIEngineXmlString(const char* text, int length, int codepage) : CDString(nullptr, 0, codepage)
    {
        Assign(text, length);
    }
    TPDAUIEngineXmlString(const char* text) : CDString() { Assign(text, text ? (int)std::strlen(text) : 0); }
    // Borrowed at once, as Borrow below does.
    struct TBorrowed {};
    TPDAUIEngineXmlString(const char* text, int length, int codepage, TBorrowed) : CDString(nullptr, 0, codepage)
    {
        if (length > 0) {
            text_ = text;
            length_ = length;
        }
    }
    TPDAUIEngineXmlString(const CDString& other) : CDString(nullptr, 0, other.GetCodepage())
    {
        Assign(other.c_str(), other.Length());
    }
    TPDAUIEngineXmlString(const TPDAUIEngineXmlString& other) : CDString(nullptr, 0, other.GetCodepage())
    {
        Assign(other.c_str(), other.Length());
    }
    TPDAUIEngineXmlString(TPDAUIEngineXmlString&& other) : CDString(nullptr, 0, other.GetCodepage())
    {
        *this = std::move(other);
    }
    ~TPDAUIEngineXmlString() { Release(); }

    TPDAUIEngineXmlString& operator=(const char* text)
    {
        TPDAUIEngineXmlString copy(text, text ? (int)std::strlen(text) : 0, codepage_);
        return *this = std::move(copy);
    }
    TPDAUIEngineXmlString& operator=(const CDString& other)
    {
        TPDAUIEngineXmlString copy(other);
        return *this = std::move(copy);
    }
    TPDAUIEngineXmlString& operator=(const TPDAUIEngineXmlString& other)
    {
        if (this != &other) {
            TPDAUIEngineXmlString copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    TPDAUIEngineXmlString& operator=(TPDAUIEngineXmlString&& other)
    {
        if (this == &other)
            return *this;
        if (!other.owned_ && other.length_ > 0)
            return *this = TPDAUIEngineXmlString(other);  // borrowed bytes are copied
        Release();
        CDString::operator=(other);
        owned_ = other.owned_;
        other.Forget();
        return *this;
    }

    // Points the string at length bytes that stay put and are followed by a NUL,
    // for as long as the string lives (the reader's document text, or constants).
    void Borrow(const char* text, int length, int codepage)
    {
        Release();
        if (length > 0) {
            text_ = text;
            length_ = length;
        }
        codepage_ = codepage;
    }

    void SetCodepage(int codepage) { codepage_ = codepage; }

    // Room for length bytes (and the NUL after them) to be written; the text is
    // then that long. Null, with the string left empty, when there is no memory.
    char* Allocate(int length)
    {
        Release();
        if (length <= 0)
            return nullptr;
        char* bytes = (char*)TPDAUIEngineXmlPool::Allocate((size_t)length + 1);
        if (!Verifica_Ptr(bytes))
            return nullptr;
        bytes[length] = '\0';
        text_ = bytes;
        length_ = length;
        owned_ = true;
        return bytes;
    }
    // Cuts the text of a string with bytes of its own to length bytes (never
    // longer than it is).
    void Shorten(int length)
    {
        if (length <= 0)
            Release();
        else if (owned_ && length < length_) {
            const_cast<char*>(text_)[length] = '\0';
            length_ = length;
        }
    }

private:
    void Assign(const char* text, int length)
    {
        if (text && length > 0) {
            if (char* bytes = Allocate(length))
                std::memcpy(bytes, text, (size_t)length);
        }
    }
    void Release()
    {
        if (owned_)
            TPDAUIEngineXmlPool::Free(const_cast<char*>(text_));
        Forget();
    }
    void Forget()
    {
        text_ = "";
        length_ = 0;
        owned_ = false;
    }

    bool owned_ = false;  // the bytes are this string's (never when it is empty)
};
