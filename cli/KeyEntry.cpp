// Key rules of the command-line tool.
#include "cli/KeyEntry.h"

#include <algorithm>

std::string KeyRefusal(const std::string& key, const std::string* confirmation, bool encrypting) {
    if (key.empty()) {
        return std::string("You must enter a key for file ") + (encrypting ? "encryption." : "decoding.");
    }
    // The dialogs read 255 characters at most; a longer key typed there is
    // cut without a word, which would leave the user with a key that is not
    // the one they think. The tool says so instead.
    if (key.size() > kLongestKey) return "The key is longer than 255 characters.";
    if (key.find('\0') != std::string::npos) return "The key holds a zero byte, which no key can.";
    if (confirmation && *confirmation != key) return "The encryption keys do not match.";
    return "";
}

const char* KeyRetryText(bool last, bool mismatch) {
    if (mismatch) return last ? "File encryption canceled." : "Please reenter these keys now.";
    return last ? "Conversion canceled." : "Please enter a key now.";
}

std::string KeyFromText(const std::string& text) {
    std::string key = text.substr(0, std::min(text.find('\n'), text.size()));
    if (!key.empty() && key.back() == '\r') key.pop_back();
    return key;
}

void WipeKey(std::string& key) {
    volatile char* bytes = key.empty() ? nullptr : &key[0];
    for (std::size_t i = 0; i < key.size(); ++i) bytes[i] = '\0';
    key.clear();
}
