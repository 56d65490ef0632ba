// The words of WQL as the one lexer reads them (repository/wql_lexer.h): the statements of
// tests/data/norvwmi/wql_words.txt and their words; offsets, keywords and what a quoted text says.
#include "repository/wql_lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_file.h"

namespace norvwmi {
namespace {

std::string Words(const std::string& statement) {
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
    norv::test::ExpectCases("wql_words.txt", Words);
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
