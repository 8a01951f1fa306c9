#include "hotkeys/KeyCatalogue.h"

#include "text/TextRules.h"

#include <array>

namespace spectrel::keys {

namespace {

constexpr std::array<KeyEntry, 25> kNamed = {{
    {"F1", 112},       {"F2", 113},        {"F3", 114},         {"F4", 115},      {"F5", 116},
    {"F6", 117},       {"F7", 118},        {"F8", 119},         {"F9", 120},      {"F10", 121},
    {"F11", 122},      {"F12", 123},       {"Backspace", 8},    {"Enter", 13},    {"Space", 32},
    {"Tab", 9},        {"Insert", 45},     {"Home", 36},        {"End", 35},      {"Page Up", 33},
    {"Page Down", 34}, {"Left Arrow", 37}, {"Right Arrow", 39}, {"Up Arrow", 38}, {"Down Arrow", 40},
}};

constexpr std::array<KeyEntry, 61> build()
{
    constexpr const char* kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                        "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    constexpr const char* kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    std::array<KeyEntry, 61> out{};
    std::size_t i = 0;
    for (int c = 0; c < 26; ++c)
        out[i++] = {kLetters[c], 'A' + c};
    for (int c = 0; c < 10; ++c)
        out[i++] = {kDigits[c], '0' + c};
    for (const KeyEntry& e : kNamed)
        out[i++] = e;
    return out;
}

constexpr std::array<KeyEntry, 61> kCatalogue = build();

} // namespace

std::span<const KeyEntry> catalogue()
{
    return kCatalogue;
}

int selectedKeyCode(int position, const QString& text)
{
    if (position >= 0 && position < 36)
        return text.isEmpty() ? 0 : (text.at(0).unicode() & 0xFF);
    for (const KeyEntry& e : kNamed) {
        if (text::equalNoCase(text, QString::fromLatin1(e.text)))
            return e.code;
    }
    return 0;
}

} // namespace spectrel::keys
