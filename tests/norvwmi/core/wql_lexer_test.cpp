// The words of WQL as the one lexer reads them (repository/wql_lexer.h): each row a statement
// and its words, each shown as its kind and text, or what a quoted text says.
#include "repository/wql_lexer.h"

#include <gtest/gtest.h>

#include <string>

namespace norvwmi {
namespace {

struct LexerCase {
    const char* statement;
    const char* words;  // kind:text, a blank between words
};

constexpr LexerCase kLexerCases[] = {
    {"SELECT*FROM Fan", "name:SELECT symbol:* name:FROM name:Fan"},
    {" \ta\r\n=\n_b1 Zz9", "name:a symbol:= name:_b1 name:Zz9"},  // every blank, and none at all
    {"5 5. 5.25 .5 007", "number:5 number:5. number:5.25 number:.5 number:007"},
    {"-3 +.5 - 3 -x", "number:-3 number:+.5 symbol:- number:3 symbol:- name:x"},
    {"1e3 2.5E-2 7e+1", "number:1e3 number:2.5E-2 number:7e+1"},
    {"1e 1e+ 1.e2", "number:1 name:e number:1 name:e symbol:+ number:1.e2"},
    {"12abc . .x", "number:12 name:abc symbol:. symbol:. name:x"},
    {"a1.b", "name:a1 symbol:. name:b"},
    {"'a\\'b' \"c'd\" ''", "text:a\\'b text:c'd text:"},
    {"'open", "unclosed:'open"},
    {"'ends\\'", "unclosed:'ends\\'"},
    {"{ A.k=\"}\" } x", "path:A.k=\"}\" name:x"},
    {"{A.k=\"v", "unclosed:{A.k=\"v"},
    {"<>!=", "symbol:< symbol:> symbol:! symbol:="},
};

std::string Words(const char* statement) {
    constexpr const char* kKinds[] = {"name", "number", "text", "path", "symbol", "unclosed"};
    WqlLexer lexer(statement);
    std::string words;
    for (WqlToken token = lexer.Next(); token.kind != WqlToken::Kind::End; token = lexer.Next()) {
        if (!words.empty()) words += ' ';
        words += std::string(kKinds[static_cast<int>(token.kind)]) + ":" + std::string(token.text);
    }
    return words;
}

TEST(WqlLexer, BlanksNamesNumbersTextsPathsAndSymbols) {
    for (const LexerCase& row : kLexerCases) EXPECT_EQ(Words(row.statement), row.words) << row.statement;
}

TEST(WqlLexer, OffsetsAndTheEndStayWhereTheyAre) {
    WqlLexer lexer("  ab\t-1 'x'");
    EXPECT_EQ(lexer.Next().offset, 2u);
    EXPECT_EQ(lexer.Next().offset, 5u);
    EXPECT_EQ(lexer.Next().offset, 8u);
    const WqlToken end = lexer.Next();
    EXPECT_EQ(end.kind, WqlToken::Kind::End);
    EXPECT_EQ(end.offset, 11u);
    EXPECT_EQ(lexer.Next().kind, WqlToken::Kind::End);
}

TEST(WqlLexer, AQuotedTextSaysItsCharactersEachBackslashTakingTheNext) {
    EXPECT_EQ(QuotedText("a\\'b"), "a'b");
    EXPECT_EQ(QuotedText("a\\\\b\\\"c"), "a\\b\"c");
    EXPECT_EQ(QuotedText("ab\\"), "ab\\");
    EXPECT_EQ(QuotedText(""), "");
}

TEST(WqlLexer, KeywordsInAnyCaseAndSymbolsByTheirOneCharacter) {
    WqlLexer lexer("select 'select' * **");
    const WqlToken name = lexer.Next();
    EXPECT_TRUE(IsKeyword(name, "SELECT"));
    EXPECT_FALSE(IsKeyword(name, "SELECTS"));
    EXPECT_FALSE(IsKeyword(lexer.Next(), "select"));  // a text is no keyword
    EXPECT_TRUE(IsSymbol(lexer.Next(), '*'));
    const WqlToken star = lexer.Next();
    EXPECT_TRUE(IsSymbol(star, '*'));
    EXPECT_EQ(star.text, "*");
}

}  // namespace
}  // namespace norvwmi
