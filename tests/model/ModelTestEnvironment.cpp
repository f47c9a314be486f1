// COM for the template's XML storage, and the type names every test creates
// rules by, registered the way the programs' start-up does.
#include <gtest/gtest.h>

#include "BOMObjects.h"
#include "BOMUICommands.h"
#include "XMLStorage.h"
#include "uModelLoadClasses.h"

namespace {

class TModelEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        com_ = std::make_unique<vpw::TComInit>();
        ASSERT_TRUE(com_->Ok());
        vpw::RegisterBOMClasses();
        vpw::RegisterUICommandClasses();
        vpw::RegisterWindowRuleModelClasses();
    }
    void TearDown() override { com_.reset(); }

private:
    std::unique_ptr<vpw::TComInit> com_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TModelEnvironment);

}  // namespace
