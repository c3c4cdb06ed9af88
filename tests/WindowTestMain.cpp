#include "app/Application.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The application object lives while the tests run. Listing them, which the
// build does, creates none and so needs no display.
class TApplicationEnvironment final : public testing::Environment {
public:
    TApplicationEnvironment(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    void SetUp() override
    {
        application_.emplace(argc_, argv_);
        application_->Initialize();
    }
    void TearDown() override { application_.reset(); }

private:
    int& argc_;
    char** argv_;
    std::optional<dnspeek::TApplication> application_;
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new TApplicationEnvironment(argc, argv));
    return RUN_ALL_TESTS();
}
