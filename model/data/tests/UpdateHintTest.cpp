#include "HistoryAction.h"
#include "ModelTypes.h"
#include "UpdateHint.h"

#include <gtest/gtest.h>

// Each hint code carries one payload type; a receiver asking for another type gets nothing.
TEST(UpdateHintTest, PayloadFollowsTheCode)
{
    CElement element;
    CRelationCounter counter;
    CRelationSource source;
    CHistoryAction action;

    CUpdateHint hint;
    hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListElement, &element);
    EXPECT_EQ(hint.Element(), &element);
    EXPECT_EQ(hint.Counter(), nullptr);
    EXPECT_EQ(hint.Action(), nullptr);
    EXPECT_EQ(hint.result, -1);

    hint.result = 1;
    hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListRelated2, &counter);
    EXPECT_EQ(hint.Counter(), &counter);
    EXPECT_EQ(hint.Element(), nullptr);
    EXPECT_EQ(hint.result, -1);

    hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeCountInstance, &source);
    EXPECT_EQ(hint.Source(), &source);

    for (int code = CUpdateHint::CodeRestoreElement; code <= CUpdateHint::CodeRestoreDocumentation;
         ++code) {
        hint.Set(CUpdateHint::KindInformation, code, &action);
        EXPECT_EQ(hint.Action(), &action) << code;
    }
}

TEST(UpdateHintTest, AMismatchedPayloadIsDropped)
{
    CElement element;
    CRelationCounter counter;
    CUpdateHint hint;
    // A counter is not what code 4 carries, and an element is not what code 7 carries.
    hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListElement, &counter);
    EXPECT_FALSE(hint.HasData());
    EXPECT_EQ(hint.Element(), nullptr);
    hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListRelated1, &element);
    EXPECT_FALSE(hint.HasData());
    // Codes without data carry nothing, whatever is passed.
    hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeFontChanged, &element);
    EXPECT_FALSE(hint.HasData());
    hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListElement,
             static_cast<CElement*>(nullptr));
    EXPECT_FALSE(hint.HasData());
}
