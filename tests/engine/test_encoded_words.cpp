// MIME encoded words in header texts, decoded into code page 1252 or UTF-8.
#include "mailbox/encoded_words.h"

#include <gtest/gtest.h>

TEST(EncodedWords, DecodeEachCharsetIntoTheUsersCodePage) {
    EXPECT_EQ("Caf\xE9", DecodeEncodedWords("=?UTF-8?Q?Caf=C3=A9?="));
    EXPECT_EQ("Caf\xE9", DecodeEncodedWords("=?utf-8?b?Q2Fmw6k=?="));
    EXPECT_EQ("Caf\xE9 au lait", DecodeEncodedWords("=?ISO-8859-1?q?Caf=e9_au_lait?="));
    EXPECT_EQ("\x80 5", DecodeEncodedWords("=?windows-1252?Q?=80_5?="));
    // ISO-8859-2 itself, not its Windows family 1250 (where 0xA9 is "\xA9");
    // letters 1252 lacks become "?" rather than look-alikes.
    EXPECT_EQ("\x8Akoda ?\xF3"
              "d?",
              DecodeEncodedWords("=?iso-8859-2?Q?=A9koda_=A3=F3d=BC?="));
    EXPECT_EQ("?\xF3"
              "d?",
              DecodeEncodedWords("=?ISO-8859-2?B?o/NkvA==?="));
    // Cyrillic and Japanese: nothing of them fits 1252.
    EXPECT_EQ("??????", DecodeEncodedWords("=?KOI8-R?B?8NLJ18XU?="));
    EXPECT_EQ("??", DecodeEncodedWords("=?shift_jis?B?k/qWew==?="));
    // An RFC 2231 language after the charset.
    EXPECT_EQ("Caf\xE9", DecodeEncodedWords("=?utf-8*fr?Q?Caf=C3=A9?="));
    // Beyond the RFC's 75 characters, yet well formed.
    const std::string longText(100, 'x');
    EXPECT_EQ(longText + "\xE9", DecodeEncodedWords("=?utf-8?q?" + longText + "=C3=A9?="));
    // Padding left off.
    EXPECT_EQ("Caf\xE9", DecodeEncodedWords("=?utf-8?B?Q2Fmw6k?="));
}

TEST(EncodedWords, AdjacentWordsJoinAndCharactersSplitBetweenThemDecode) {
    EXPECT_EQ("Caf\xE9 au lait",
              DecodeEncodedWords("=?utf-8?Q?Caf=C3?=\r\n =?utf-8?Q?=A9_au_lait?="));
    EXPECT_EQ("Caf\xE9", DecodeEncodedWords("=?utf-8?B?Q2Fmww==?= \t =?UTF-8?q?=A9?="));
    // Different charsets join too, each decoded on its own.
    EXPECT_EQ("(Caf\xE9 cr\xE8me)",
              DecodeEncodedWords("(=?iso-8859-1?Q?Caf=E9?=  =?utf-8?Q?_cr=C3=A8me?=)"));
}

TEST(EncodedWords, WhiteSpaceBetweenWordAndTextStays) {
    EXPECT_EQ("Re:  Caf\xE9\ttoday", DecodeEncodedWords("Re:  =?utf-8?Q?Caf=C3=A9?=\ttoday"));
    EXPECT_EQ("a plain b", DecodeEncodedWords("=?utf-8?Q?a?= plain =?utf-8?Q?b?="));
    EXPECT_EQ("a\r\n b", DecodeEncodedWords("a\r\n =?utf-8?Q?b?="));
}

TEST(EncodedWords, MalformedWordsStayAsTheyAre) {
    for (const char* text : {
             "=?utf-8?Q?Caf=C3=A?=",  // hex cut short
             "=?utf-8?Q?Caf=ZZ?=",    // not hex
             "=?utf-8?B?Q2Fm*w==?=",  // not base64
             "=?utf-8?B?Q?=",         // a lone base64 digit
             "=?utf-8?B?Q2E=w6k?=",   // text after the padding
             "=?x-no-such-set?Q?a?=", // unknown charset
             "=?utf-8?X?a?=",         // unknown encoding
             "=??Q?a?=",              // no charset
             "=?*en?Q?a?=",           // a language but no charset
             "=?utf-8?Q?\?=",         // no text
             "=?utf-8?Q?a b?=",       // a blank inside
             "=?utf-8?Q?a?b?=",       // a "?" inside
             "=?utf-8?Q?abc?",        // unterminated
             "=?utf-8?Q?abc",
             "=?utf-8?Q",
             "=?utf-8?",
             "=?",
         }) {
        EXPECT_EQ(text, DecodeEncodedWords(text)) << text;
    }
    // A malformed word is ordinary text: the blank beside it stays.
    EXPECT_EQ("=?utf-8?Q?=ZZ?= ok", DecodeEncodedWords("=?utf-8?Q?=ZZ?= =?utf-8?Q?ok?="));
    EXPECT_EQ("=?x-no-such-set?Q?a?= b", DecodeEncodedWords("=?x-no-such-set?Q?a?= =?utf-8?Q?b?="));
}

TEST(EncodedWords, PlainTextComesBackUnchanged) {
    for (const char* text : {"", "Meeting at noon", "a =? b ?= c", "Caf\xE9 =?", "100% = ?=\r\n"}) {
        EXPECT_EQ(text, DecodeEncodedWords(text)) << text;
    }
}

TEST(EncodedWords, DecodeIntoUtf8KeepsEveryScript) {
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
              DecodeEncodedWordsUtf8("=?KOI8-R?B?8NLJ18XU?="));
    EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC", DecodeEncodedWordsUtf8("=?shift_jis?B?k/qWew==?="));
    EXPECT_EQ("\xC5\x81\xC3\xB3"
              "d\xC5\xBA",
              DecodeEncodedWordsUtf8("=?ISO-8859-2?B?o/NkvA==?="));
    // The text around the words is UTF-8 already and stays as it is.
    EXPECT_EQ("\xCE\xB1\xCE\xB2 Caf\xC3\xA9 \xCE\xB3",
              DecodeEncodedWordsUtf8("\xCE\xB1\xCE\xB2 =?iso-8859-1?Q?Caf=E9?= \xCE\xB3"));
    EXPECT_EQ("=?utf-8?Q?=ZZ?=", DecodeEncodedWordsUtf8("=?utf-8?Q?=ZZ?="));
}
