// File names as bytes and back: every name, valid UTF-8 or not, comes back byte for byte.

#include "files/codec/NativeName.h"

#include <gtest/gtest.h>

namespace undarix::testing {
namespace {

using files::codec::DecodeNativeName;
using files::codec::EncodeNativeName;

TEST(NativeName, EveryNameComesBackByteForByte) {
    const struct {
        const char* what;
        std::string bytes;
        std::u16string decoded; // empty: not checked
    } cases[] = {
        {"ASCII", "site000.csv", u"site000.csv"},
        {"UTF-8", "mesure-\xC3\xA9t\xC3\xA9.csv", u"mesure-\u00E9t\u00E9.csv"},
        {"beyond the basic plane", "\xF0\x9F\x8C\x8A.api", u"\U0001F30A.api"},
        {"Latin-1", "caf\xE9.api", u"caf\xDCE9.api"},
        {"a lone continuation byte", "a\x80z", u"a\xDC80z"},
        {"a sequence cut short", "a\xE2\x82", u"a\xDCE2\xDC82"},
        {"an overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF"},
        {"an encoded surrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
        {"beyond Unicode", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
        {"every byte",
         [] {
             std::string all;
             for (int b = 1; b < 256; ++b)
                 all += char(b);
             return all;
         }(),
         u""},
    };
    for (const auto& c : cases) {
        const std::u16string decoded = DecodeNativeName(c.bytes);
        if (!c.decoded.empty()) EXPECT_EQ(decoded, c.decoded) << c.what;
        EXPECT_EQ(EncodeNativeName(decoded), c.bytes) << c.what;
    }
}

TEST(NativeName, TextThatDidNotComeFromANameIsStillEncoded) {
    // A lone surrogate that no stray byte makes becomes the replacement character.
    EXPECT_EQ(EncodeNativeName(u"a\xD800z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(EncodeNativeName(u"\xDC41"), "\xEF\xBF\xBD");
}

} // namespace
} // namespace undarix::testing
