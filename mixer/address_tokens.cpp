#include "mixer/address_tokens.h"

#include <cstring>

void splitAddress(char* address, AddressTokens& tokens)
{
    tokens.count = 0;
    if (!address) return;
    char* p = address;
    while (*p) {
        while (*p == '/') *p++ = '\0';
        if (!*p) break;
        if (tokens.count < ADDRESS_TOKEN_MAX) tokens.token[tokens.count] = p;
        ++tokens.count;
        while (*p && *p != '/') ++p;
    }
}

bool tokenIs(const AddressTokens& tokens, int index, const char* text)
{
    if (index < 0 || index >= tokens.count || index >= ADDRESS_TOKEN_MAX) return false;
    return std::strcmp(tokens.token[index], text) == 0;
}

bool startsWithDigit(const char* token)
{
    return token && *token >= '0' && *token <= '9';
}

bool parseAddressNumber(const char* token, int& value)
{
    if (!startsWithDigit(token)) return false;
    int result = 0;
    int digits = 0;
    for (const char* p = token; *p; ++p) {
        if (*p < '0' || *p > '9' || ++digits > 9) return false;
        result = result * 10 + (*p - '0');
    }
    value = result;
    return true;
}
