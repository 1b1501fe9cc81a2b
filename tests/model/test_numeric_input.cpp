#include "model/numeric_input.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

TEST(NumericInput, TheForbiddenSetsHoldNinetyThreeAndNinetyFourCharacters)
{
    EXPECT_EQ(kForbiddenCharacters.size(), 93u);
    EXPECT_EQ(kForbiddenIntegerCharacters.size(), 94u);
    EXPECT_EQ(kForbiddenIntegerCharacters.substr(0, 93), kForbiddenCharacters);
    EXPECT_EQ(kForbiddenIntegerCharacters.back(), U'.');
    for (char32_t c : {U'æ', U'Ø', U'¤', U'´', U'¨', U'£', U'½', U'§', U' ', U'-', U'+', U','})
        EXPECT_NE(kForbiddenCharacters.find(c), std::u32string_view::npos);
    for (char32_t c : {U'.', U'0', U'9', U'"', U':', U'\\', U'\t', U'é'})
        EXPECT_EQ(kForbiddenCharacters.find(c), std::u32string_view::npos);
}

TEST(NumericInput, FieldTexts)
{
    EXPECT_TRUE(HasForbiddenCharacter(U"12,5", kForbiddenCharacters));
    EXPECT_TRUE(HasForbiddenCharacter(U"-3", kForbiddenCharacters));
    EXPECT_TRUE(HasForbiddenCharacter(U"1e-4", kForbiddenCharacters));
    EXPECT_TRUE(HasForbiddenCharacter(U" 5", kForbiddenCharacters));
    EXPECT_FALSE(HasForbiddenCharacter(U"12.5", kForbiddenCharacters));
    EXPECT_FALSE(
        HasForbiddenCharacter(U"1.2.3", kForbiddenCharacters)); // passes, then fails to convert
    EXPECT_FALSE(HasForbiddenCharacter(U"", kForbiddenCharacters));
    EXPECT_TRUE(HasForbiddenCharacter(U"7.5", kForbiddenIntegerCharacters));
    EXPECT_FALSE(HasForbiddenCharacter(U"75", kForbiddenIntegerCharacters));
}

} // namespace
