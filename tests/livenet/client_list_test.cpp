#include "livenet/client_address.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using livenet::TClientAddress;
using livenet::TClientEntry;

TEST(ClientListTest, ReadsEntriesSeparatorsNamesAndKeepsWhatNamesNoClient)
{
    const std::pair<const char*, std::vector<TClientEntry>> rows[] = {
        {"", {}},
        {" ;, ", {}},
        {"rig", {{"rig", TClientAddress{"rig", 7396}, ""}}},
        {" rig:7400 = Big box ; 10.0.0.2,",
         {{"rig:7400 = Big box", TClientAddress{"rig", 7400}, "Big box"},
          {"10.0.0.2", TClientAddress{"10.0.0.2", 7396}, ""}}},
        {"a=x=y", {{"a=x=y", TClientAddress{"a", 7396}, "x=y"}}},
        {"rig:0,:7396,[::1]:7396=v6",
         {{"rig:0", std::nullopt, ""},
          {":7396", std::nullopt, ""},
          {"[::1]:7396=v6", std::nullopt, "v6"}}},
        {"rig:65535;rig:65536;rig:;rig:80x;::1",
         {{"rig:65535", TClientAddress{"rig", 65535}, ""},
          {"rig:65536", std::nullopt, ""},
          {"rig:", std::nullopt, ""},
          {"rig:80x", std::nullopt, ""},
          {"::1", std::nullopt, ""}}},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(livenet::ParseClientList(text), expected) << text;
}

} // namespace
} // namespace korvid
