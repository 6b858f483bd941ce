// The numeric pad's rules, apart from its window: which characters and keys
// it offers for an integer or a floating-point value with limits, the text
// it opens with, and what an entered text comes to. The decimal character is
// the user's (a German user types "1,5"), whatever the C runtime's locale is.
#pragma once

#include <cstdint>

#include "framework/Types.h"

// String resources of the pads' messages.
constexpr uint32_t kTextNotANumber = 1012;     // "Please enter a valid number."
constexpr uint32_t kTextAboveMaximum = 1014;   // "%s" stands for the maximum
constexpr uint32_t kTextBelowMinimum = 1016;   // "%s" stands for the minimum
constexpr uint32_t kTextInvalidEntryTitle = 1025;

// Command ids of the numeric pad's keys beyond the characters they type.
constexpr uint32_t kPadKeyMinus = 45;
constexpr uint32_t kPadKeyDecimal = 46;

enum class PadNumberKind { Integer, Floating };

// What the decimal and minus keys look like for given limits.
struct NumPadKeys {
    bool minusShown = false;
    bool decimalShown = false;
    char16_t decimalLabel = u'.';  // what the decimal key shows and types
};

// What an entered text comes to.
struct NumPadVerdict {
    enum class Outcome {
        Cancel,  // nothing entered: the pad closes, the value stays
        Accept,  // a number within the limits
        Refuse,  // the pad stays open with a message
    };
    Outcome outcome = Outcome::Cancel;
    uint32_t messageId = 0;  // Refuse: the string resource of the message
    CString argument;        // Refuse: the limit the message names, as the pad writes numbers
    int32_t integer = 0;     // Accept in integer mode
    double floating = 0;     // Accept in floating mode
};

class CNumPadRules {
public:
    static CNumPadRules ForInteger(int32_t minimum, int32_t maximum);
    static CNumPadRules ForFloating(double minimum, double maximum, char16_t decimal);

    PadNumberKind Kind() const { return m_kind; }
    char16_t Decimal() const { return m_decimal; }

    // "%d", and "%lg" with the decimal character.
    CString Format(int32_t value) const;
    CString Format(double value) const;
    // Digits and control characters always; the minus only where the limits
    // reach below zero; in floating mode also the decimal character and the
    // exponent letters. Everything else is refused.
    bool IsCharAllowed(char16_t ch) const;
    NumPadKeys Keys() const;
    // The character a key of the pad types for its command id (0: none).
    char16_t CharForKey(uint32_t commandId) const;
    NumPadVerdict Judge(const CString& text) const;

private:
    bool MinusAllowed() const;

    PadNumberKind m_kind = PadNumberKind::Integer;
    int32_t m_intMinimum = 0;
    int32_t m_intMaximum = 0;
    double m_minimum = 0;
    double m_maximum = 0;
    char16_t m_decimal = u'.';
};

// The character an edit pad's button types: its command id for 32 to 255,
// and backspace (8), which the pad handles as if it had been typed; 0 else.
char16_t PadCharForCommand(uint32_t commandId);

// A message pattern with the argument in place of its first "%s". A missing
// pattern gives the pad's English text, so that a refusal never reads empty
// (an empty message would count as no objection).
CString ComposePadMessage(uint32_t messageId, const CString& pattern, const CString& argument);
