// The iTunes gapless comment value over arbitrary UTF-8 text. Both numbers
// stay within the cap whatever the words say, and for text made only of
// spaces, signs and letters and digits (what the words are meant to hold)
// the result is checked against the word rule spelt out below.
#include "input/ITunesGaplessComment.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

int32_t Hex(const std::string& word) {
    size_t i = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) i = 1;
    int64_t value = 0;
    for (; i < word.size() && std::isxdigit(static_cast<unsigned char>(word[i])); ++i) {
        const int c = word[i] | 0x20;
        value = std::min<int64_t>(value * 16 + (c <= '9' ? c - '0' : c - 'a' + 10),
                                  ITunesGaplessComment::kMaxSamples);
    }
    return negative ? 0 : int32_t(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    int32_t delay = -1, padding = -1;
    ITunesGaplessComment::ParseValue(ZrString::FromUtf8(text.c_str(), int(size)), delay, padding);
    Check(delay >= 0 && delay <= ITunesGaplessComment::kMaxSamples);
    Check(padding >= 0 && padding <= ITunesGaplessComment::kMaxSamples);

    if (text.find_first_not_of(
            " +-0123456789ABCDEFabcdefghijklmnopqrstuvwxyzGHIJKLMNOPQRSTUVWXYZ") !=
        std::string::npos)
        return 0;
    const size_t first = text.find_first_not_of(' ');
    const std::string trimmed = first == std::string::npos
                                    ? std::string()
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t space; (space = trimmed.find(' ', start)) != std::string::npos; start = space + 1)
        words.push_back(trimmed.substr(start, space - start));
    words.push_back(trimmed.substr(start));
    Check(delay == (words.size() > 1 ? Hex(words[1]) : 0));
    Check(padding == (words.size() > 2 ? Hex(words[2]) : 0));
    return 0;
}
