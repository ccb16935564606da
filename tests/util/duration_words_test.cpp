#include "util/duration_words.h"

#include <limits>
#include <map>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "util/duration_text.h"

namespace korvid {

namespace {

util::TLabelOf Labels(std::map<std::string, std::string, std::less<>> texts)
{
    return [texts = std::move(texts)](std::string_view key) {
        const auto found = texts.find(key);
        return found == texts.end() ? std::string{} : found->second;
    };
}

const util::TDurationWords English = util::DurationWordsOf(Labels({{"msgDurYear", "%d yr"},
                                                                   {"msgDurYears", "%d yrs"},
                                                                   {"msgDurDay", "%d d"},
                                                                   {"msgDurHour", "%d h"},
                                                                   {"msgDurMinute", "%d min"},
                                                                   {"msgDurSecond", "%d s"}}));

TEST(DurationToText, WritesOnlyTheShownParts)
{
    // A catalogue without duration words gives the built-in French ones.
    const util::TDurationWords french = util::DurationWordsOf(Labels({}));
    for (const auto& row : test::CaseTable("util/data/durations.cases", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(util::DurationToText(std::stod(row[0])), row[1]);
        EXPECT_EQ(util::DurationToText(std::stod(row[0]), french), row[1]);
    }
}

TEST(DurationToText, SurvivesValuesNoDurationCanHave)
{
    EXPECT_EQ(util::DurationToText(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_FALSE(util::DurationToText(std::numeric_limits<double>::infinity()).empty());
    EXPECT_EQ(util::DurationToText(-std::numeric_limits<double>::infinity()).front(), '-');
}

} // namespace

TEST(DurationWords, ALanguageGivesItsOwnWords)
{
    // A word without its placeholder, or none at all, stays French.
    const util::TDurationWords partial =
        util::DurationWordsOf(Labels({{"msgDurHour", "Stunden"}, {"msgDurMinute", "%d'"}}));
    struct Row {
        const util::TDurationWords& words;
        double seconds;
        const char* text;
    };
    const Row rows[] = {{English, 126420, "1 d 11 h 7 min"},
                        {English, 61, "1 min 1 s"},
                        {English, 31536000, "1 yr 0 d"},
                        {English, 63072000, "2 yrs 0 d"},
                        {English, 0.5, ""},
                        {English, -3600, "-1 h"},
                        {partial, 90061, "1 j. 1 h. 1' 1 sec."}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(util::DurationToText(row.seconds, row.words), row.text);
    }
}

TEST(PercentText, FollowsTheLanguageWhereItSaysSoElseTheRegion)
{
    for (const auto& row : test::CaseTable("util/data/percent_text.cases", 6)) {
        SCOPED_TRACE(row[0]);
        std::map<std::string, std::string, std::less<>> texts;
        for (const auto& [key, field] : {std::pair{"msgDecimalSeparator", 1}, {"msgPercent", 2}})
            if (row[field] != "-")
                texts[key] = row[field];
        const util::TPercentStyle style = util::PercentStyleOf(Labels(texts), row[3].at(0));
        EXPECT_EQ(util::PercentText(std::stod(row[4]), style), row[5]);
    }
}

} // namespace korvid
