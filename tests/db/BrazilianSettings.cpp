// Every test of this executable runs under Brazilian regional settings,
// whatever the machine's locale.
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

namespace {

class BrazilianEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegionalSettings::SetCurrent(BrazilianSettings()); }
};

[[maybe_unused]] ::testing::Environment* const kBrazil =
    ::testing::AddGlobalTestEnvironment(new BrazilianEnvironment);

} // namespace
