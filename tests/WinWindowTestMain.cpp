#include "winapp/Application.h"

#include <gtest/gtest.h>

namespace {

// The application object lives while the tests run, as in the program.
class TApplicationEnvironment final : public testing::Environment {
public:
    void SetUp() override { application_.Initialize(); }

private:
    dnspeek::TApplication application_;
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new TApplicationEnvironment);
    return RUN_ALL_TESTS();
}
