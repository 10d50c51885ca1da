// Flag field values: short texts restricted to a fixed set per class.
#pragma once

#include <initializer_list>

#include "cs3base/field_value.h"

// The base of every flag (capacity 8). Its SetN cuts trailing blanks, tabs,
// CR and LF after storing; Set accepts any text.
class CS3FlgStr : public CS3String {
public:
    explicit CS3FlgStr(int capacity = 8) : CS3String(capacity) {}

    int SetN(const char* text, int length) override;

protected:
    // What a flag does with a text outside its accepted set.
    enum class Refusal {
        ClearValue,   // store, then clear the value and return -10007
        KeepStored,   // store, return -10007 with the text left stored
        KeepOld,      // check first: return -10007 with the old value kept
    };
    // Stores text (untrimmed) when it equals one of accepted. 0 or -10007,
    // or the store's own failure code.
    int SetFromList(const char* text, std::initializer_list<const char*> accepted,
                    Refusal refusal);
    // Stores text, then accepts it when it reads as one of the integers
    // (non-numbers read as 0); otherwise clears the value: -10007.
    int SetFromInts(const char* text, std::initializer_list<int> accepted);
};

// Login state: "1", "2", "0", "3"; a refused text stays stored. Clear stores "0".
class CS3LoginFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
    void Clear() override;
};

// 0 or 1, compared as integers.
class CS3LevelFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// 1 or 0, compared as integers.
class CS3InspectFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// Any text.
class CS3AccessKindFlg : public CS3FlgStr {};

// "m", "f" or "o".
class ZGenderFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// "1", "2" or "3".
class ZDisplaySizeFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
    // True when the value is "3".
    virtual bool IsLarge() const;
};

// "2" or "1"; checked before storing.
class ZMenuStyleFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// "S" or "P"; checked before storing.
class ZAreaFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
    // Stores "S".
    virtual int SetDefault();
};

// "1" or "2".
class ZAddrTargetFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};
