// Names for the cases of parameterised tests, so that a failing case reads as
// "Fixtures/ZipListing.EqualsZipinfo/tree_zip" in CTest's output instead of
// an index.
//
//   INSTANTIATE_TEST_SUITE_P(Cases, SomeTest, ::testing::Values(...), test::CaseNames<&Case::name>);
//   INSTANTIATE_TEST_SUITE_P(Files, FileTest, ::testing::Values("a.zip", "b.zip"), test::CaseNames<>);
//   INSTANTIATE_TEST_SUITE_P(Depths, DepthTest, ::testing::Values(1, 24), test::CaseNames<&DepthName>);
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

namespace lumvor::test {

// Text as a test name: every byte other than an ASCII letter or digit becomes
// '_' (so "fuse.sshfs" gives "fuse_sshfs"), and empty text gives "Empty".
// Whether the names of one suite differ is up to the caller.
inline std::string TestNameOf(std::string_view Text) {
    if (Text.empty()) return "Empty";
    std::string name(Text);
    for (char& c : name) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) c = '_';
    }
    return name;
}

// The name generator behind CaseNames: each case is named by TestNameOf of
// Text applied to its parameter. Text is a data member (&Case::name) or a
// function of the parameter giving text; without it (nullptr) the parameter
// itself is the text, as a file name is.
template <auto Text>
struct TCaseNamer {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& Info) const {
        if constexpr (std::is_null_pointer_v<decltype(Text)>)
            return TestNameOf(Info.param);
        else
            return TestNameOf(std::invoke(Text, Info.param));
    }
};

// The last argument of INSTANTIATE_TEST_SUITE_P.
template <auto Text = nullptr>
inline constexpr TCaseNamer<Text> CaseNames{};

}  // namespace lumvor::test
