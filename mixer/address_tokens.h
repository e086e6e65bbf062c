// Received OSC addresses split in place into their "/"-separated words, and
// the number rules of the reply handlers. Runs on the OSC receive thread.
#pragma once

constexpr int ADDRESS_TOKEN_MAX = 8;

struct AddressTokens {
    const char* token[ADDRESS_TOKEN_MAX];  // token[0] is the family ("ch", "-stat", ...)
    int count;  // words found; above ADDRESS_TOKEN_MAX only the first ones are kept
};

// Writes a NUL over every "/" of address. Runs of "/" count as one separator
// and the leading "/" gives no empty word.
void splitAddress(char* address, AddressTokens& tokens);

// True when word index exists and equals text exactly (case matters).
bool tokenIs(const AddressTokens& tokens, int index, const char* text);

bool startsWithDigit(const char* token);

// A whole token of decimal digits (leading zeros allowed, at most 9 digits).
// Anything else is not a number, so an address like "/ch/1x/..." matches nothing.
bool parseAddressNumber(const char* token, int& value);
