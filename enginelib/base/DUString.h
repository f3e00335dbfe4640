#pragma once
#include <string>

#include "enginelib/base/DString.h"

// UTF-16 text. Made from 8-bit text and a code page (the text's own code page for
// a CDString, the default code page for a char*), or from UTF-16 units.
// Positions and lengths count UTF-16 units.
class DUString {
public:
    DUString() = default;
    DUString(const CDString& text);                  // in the text's own code page
    DUString(const char* text, int codepage);        // -1: the default code page
    explicit DUString(const char* text);             // the default code page
    DUString(const char16_t* text, int length = -1); // null is empty

    int Length() const { return (int)text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    const char16_t* c_str() const { return text_.c_str(); }
    // Writable units (Length() of them, then a 0).
    char16_t* str() { return &text_[0]; }
    const std::u16string& Text() const { return text_; }

    // Unit at index; 0 outside the text (writes there go to a scratch unit).
    char16_t operator[](int index) const;
    char16_t& operator[](int index);

    DUString& operator=(const char16_t* text);
    DUString& operator+=(char16_t c);
    DUString& operator+=(const DUString& text);
    DUString& Insert(int position, char16_t c);
    DUString& Insert(int position, const char16_t* text, int length = -1);
    DUString& Delete(int position, int count);
    DUString SubString(int start, int length = -1) const;
    int Find(char16_t c, int from = 0) const;
    int Find(const char16_t* what, int from = 0) const;

    DUString& A_Mayusculas();
    DUString& A_Minusculas();

    // Back to 8-bit text in a code page (-1: the default); characters the code page
    // lacks become '?'.
    DString ToDString(int codepage = -1) const;

    // Reverses the units of a range in place (length -1: to the end); a surrogate
    // pair stays in order.
    void Reverse(int start = 0, int length = -1);
    // Puts a range of right-to-left text from logical into display order, line by
    // line (line feeds stay where they are). Each line is read right to left:
    // its order is reversed, except that runs of left-to-right text (Latin and
    // other letters, digits, with the blanks and punctuation between them) keep
    // their own order. Numbers stay whole ("12.5", "3/4", "10:30"), and brackets in
    // right-to-left text are mirrored.
    void ReverseFrase(int start = 0, int length = -1);

private:
    std::u16string text_;
};

bool operator==(const DUString& a, const DUString& b);
bool operator!=(const DUString& a, const DUString& b);
