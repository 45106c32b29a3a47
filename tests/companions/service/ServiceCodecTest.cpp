#include "Base64.h"
#include "FormBody.h"
#include "HttpServer.h"
#include "PasswordHash.h"
#include "TextRules.h"

#include <gtest/gtest.h>

#include <optional>

using namespace zarnik::service;

TEST(ServiceBase64, EncodesAndDecodesTheStandardAlphabetWithFill)
{
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"\xfb\xff\xbf", "+/+/"},
        {"中文", "5Lit5paH"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(encodeBase64(c.bytes), c.text) << c.text;
        EXPECT_EQ(decodeBase64(c.text), c.bytes) << c.text;
    }
}

TEST(ServiceBase64, DecodingSkipsCharactersOutsideTheAlphabet)
{
    // The client breaks its base64 after every 76 characters, also at the very end.
    const std::string bytes(57, 'x');
    const std::string encoded = encodeBase64(bytes);
    ASSERT_EQ(encoded.size(), 76u);
    EXPECT_EQ(decodeBase64(encoded + "\r\n"), bytes);
    EXPECT_EQ(decodeBase64(encodeBase64(bytes + bytes).insert(76, "\r\n")), bytes + bytes);
    EXPECT_EQ(decodeBase64(" Zm9v\tYmFy !"), "foobar");
    EXPECT_EQ(decodeBase64("Zg==garbage"), "f");
}

TEST(ServiceFormBody, DecodesFieldsInOrder)
{
    const auto fields = decodeFormBody("userid=0&username=a+b&userpass=Zm9v%3D%0D%0A&x=%E4%B8%AD%26%3d&flag&&v=a=b");
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields->find("userid"), "0");
    EXPECT_EQ(*fields->find("username"), "a b");
    EXPECT_EQ(*fields->find("userpass"), "Zm9v=\r\n");
    EXPECT_EQ(*fields->find("x"), "中&=");
    EXPECT_EQ(*fields->find("flag"), "");
    EXPECT_EQ(*fields->find("v"), "a=b");
    EXPECT_EQ(fields->find("missing"), nullptr);
    EXPECT_EQ(fields->size(), 6u);
}

TEST(ServiceFormBody, FirstOccurrenceOfANameCounts)
{
    const auto fields = decodeFormBody("action=login&action=deletetask");
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields->find("action"), "login");
}

TEST(ServiceFormBody, ClientEncodingKeepsOnlyTheUnreservedBytesAndDecodesBack)
{
    const std::string text = "a Z09*-._~+=&%/\xE4\xB8\xAD";
    const std::string encoded = encodeFormComponent(text);
    EXPECT_EQ(encoded, "a+Z09*-._%7E%2B%3D%26%25%2F%E4%B8%AD");
    const auto fields = decodeFormBody("v=" + encoded);
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields->find("v"), text);
}

TEST(ServiceFormBody, BrokenPercentEscapesMakeTheBodyMalformed)
{
    for (const char *body : {"a=%", "a=%4", "a=%zz", "a=%4g&b=1", "%=1", "a=1&b=%%31"})
        EXPECT_FALSE(decodeFormBody(body)) << body;
    EXPECT_TRUE(decodeFormBody(""));
}

TEST(ServiceTextRules, ParsesOnlyWholeDecimal32BitIntegers)
{
    const std::pair<const char *, std::optional<std::int32_t>> cases[] = {
        {"0", 0}, {"42", 42}, {"-5", -5}, {"+7", 7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"", std::nullopt}, {"abc", std::nullopt}, {"12x", std::nullopt},
        {"1.5", std::nullopt}, {"0x10", std::nullopt}, {"++1", std::nullopt}, {" 1", std::nullopt},
        {"-", std::nullopt},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(parseInt32(text), expected) << text;
}

TEST(ServiceTextRules, TrimsBlanksAndControlCharactersOnly)
{
    EXPECT_EQ(trimText(" \t\r\n a b \x7f\x01"), "a b");
    EXPECT_EQ(trimText("中"), "中");
    EXPECT_EQ(trimText("   "), "");
}

TEST(ServiceTextRules, RecognisesValidUtf8)
{
    EXPECT_TRUE(isValidUtf8("abc 中文 \xF0\x9F\x98\x80"));
    for (const char *bad : {"\xff", "\xC0\xAF", "\xE4\xB8", "\xED\xA0\x80", "a\x80"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
}

TEST(ServiceTextRules, AcceptsRealCalendarDatesOnly)
{
    EXPECT_TRUE(isValidDate("2024-02-29"));
    for (const char *bad : {"2023-02-29", "2024-13-01", "2024-1-01", "20240101", "2024-01-00", "abcd-ef-gh"})
        EXPECT_FALSE(isValidDate(bad)) << bad;
}

TEST(ServiceTextRules, LogTextHasNoLineBreaksOrQuotes)
{
    EXPECT_EQ(loggable("a\nb\"c"), "a\\x0ab\\x22c");
    EXPECT_EQ(loggable(std::string(100, 'x'), 4), "xxxx...");
}

TEST(ServicePasswordHash, VerifiesOnlyTheRightPasswordAndSaltsEachHash)
{
    const std::string first = hashPassword("s3cret 中");
    const std::string second = hashPassword("s3cret 中");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind("pbkdf2-sha256$100000$", 0), 0u) << first;
    EXPECT_EQ(first.find("s3cret"), std::string::npos);
    EXPECT_TRUE(verifyPassword("s3cret 中", first));
    EXPECT_FALSE(verifyPassword("s3cret", first));
    EXPECT_FALSE(verifyPassword("", first));
    EXPECT_FALSE(verifyPassword("s3cret 中", "pbkdf2-sha256$1$AAAA$AAAA"));
    EXPECT_FALSE(verifyPassword("x", "x"));
}

TEST(ServicePasswordHash, CredentialTagsSeparateNameAndPassword)
{
    const CredentialTagger tagger;
    EXPECT_TRUE(CredentialTagger::equal(tagger.tag("ab", "c"), tagger.tag("ab", "c")));
    EXPECT_FALSE(CredentialTagger::equal(tagger.tag("ab", "c"), tagger.tag("a", "bc")));
    EXPECT_FALSE(CredentialTagger::equal(tagger.tag("ab", "c"), CredentialTagger().tag("ab", "c")));
}

TEST(ServiceListenAddress, ParsesNumericIpv4AndPort)
{
    std::string address;
    std::uint16_t port = 1;
    ASSERT_TRUE(parseListenAddress("127.0.0.1:0", address, port));
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(port, 0);
    ASSERT_TRUE(parseListenAddress("0.0.0.0:8080", address, port));
    EXPECT_EQ(port, 8080);
    for (const char *bad : {"127.0.0.1", "localhost:80", "127.0.0.1:65536", "127.0.0.1:", ":80", "1.2.3.4:8x"})
        EXPECT_FALSE(parseListenAddress(bad, address, port)) << bad;
}
