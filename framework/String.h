// The framework's string types: CString, CStringArray and the root class CObject.
// CString holds a zero-terminated byte string (no embedded zeros); it is a value type.
#pragma once

#include <string>
#include <vector>

#include "framework/Types.h"

class CObject {
public:
    CObject() = default;
    virtual ~CObject() = default;
    // Run-time class name; classes that declare none answer as CObject.
    virtual LPCSTR GetRuntimeClassName() const { return "CObject"; }
    // Serialization hook; nothing in the program is serialized.
    virtual void Serialize() {}
};

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : m_text(text ? text : "") {}  // NOLINT: implicit like the original
    CString(LPCSTR text, int length) : m_text(text ? text : "", static_cast<size_t>(length)) {}
    explicit CString(const std::string& text) : m_text(text) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    LPCSTR GetString() const { return m_text.c_str(); }
    operator LPCSTR() const { return m_text.c_str(); }  // NOLINT: implicit like the original
    char GetAt(int index) const { return m_text[static_cast<size_t>(index)]; }
    const std::string& str() const { return m_text; }

    CString& operator=(LPCSTR text) {
        m_text = text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& other) {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(LPCSTR text) {
        if (text) m_text += text;
        return *this;
    }
    CString& operator+=(char c) {
        m_text += c;
        return *this;
    }
    // Case-sensitive and case-insensitive comparison: <0, 0, >0.
    int Compare(LPCSTR other) const;
    int CompareNoCase(LPCSTR other) const;

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
    friend CString operator+(const CString& a, LPCSTR b) { return CString(a.m_text + (b ? b : "")); }
    friend CString operator+(LPCSTR a, const CString& b) { return CString((a ? a : "") + b.m_text); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, LPCSTR b) { return a.m_text == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

private:
    std::string m_text;
};

class CStringArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    const CString& GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    CString& ElementAt(int index) { return m_items.at(static_cast<size_t>(index)); }
    const CString& operator[](int index) const { return GetAt(index); }
    CString& operator[](int index) { return ElementAt(index); }
    void SetAt(int index, LPCSTR text) { ElementAt(index) = text; }
    int Add(const CString& text) {
        m_items.push_back(text);
        return GetSize() - 1;
    }
    void InsertAt(int index, const CString& text) {
        m_items.insert(m_items.begin() + CheckedIndex(index, GetSize()), text);
    }
    void RemoveAt(int index) { m_items.erase(m_items.begin() + CheckedIndex(index, GetSize() - 1)); }
    void RemoveAll() { m_items.clear(); }
    bool operator==(const CStringArray& other) const { return m_items == other.m_items; }

private:
    static long CheckedIndex(int index, int highest);
    std::vector<CString> m_items;
};
