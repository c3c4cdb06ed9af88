#include "lookup/LookupCommand.h"
#include "tests/LoopbackLookupTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace dnspeek {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;

// dnsmasq in the foreground on 127.0.0.1 and a free port, serving an MX and
// an A record for ab.cde from its command line alone: no system
// configuration, hosts file or upstream server.
class DnsmasqTest : public test::TLoopbackLookupTest {
protected:
    void SetUp() override
    {
        endpoint_ = test::RefusingEndpoint();
        std::vector<std::string> arguments{
            "dnsmasq",
            "--keep-in-foreground",
            "--conf-file=/dev/null",
            "--no-hosts",
            "--no-resolv",
            "--no-poll",
            "--pid-file",
            "--log-facility=/dev/null",
            "--bind-interfaces",
            "--listen-address=" + endpoint_.Address,
            "--port=" + std::to_string(endpoint_.Port),
            // As root it would switch to a user of its own; it stays as we are.
            // Nothing else in the tests reads the user or group database, so
            // these calls' shared results are safe.
            // cppcheck-suppress getpwuidCalled
            std::string("--user=") + ::getpwuid(::geteuid())->pw_name,
            // cppcheck-suppress getgrgidCalled
            std::string("--group=") + ::getgrgid(::getegid())->gr_name,
            "--mx-host=ab.cde,mx.ab.cde,10",
            "--host-record=ab.cde,127.0.0.2",
        };
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        // A const string's data() is const char*, which argv cannot hold.
        // cppcheck-suppress constVariableReference
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ASSERT_EQ(::posix_spawnp(&pid_, "dnsmasq", nullptr, nullptr, argv.data(), environ), 0)
            << "dnsmasq is missing: scripts/test installs it (package dnsmasq-base)";
        ASSERT_TRUE(Answers()) << "dnsmasq did not start answering";
    }

    void TearDown() override
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    void LookupAbCde(const char* type)
    {
        window.hostText = "ab.cde";
        window.typeText = type;
        Lookup(endpoint_);
    }

private:
    // Asks until the server answers, for a few seconds at most.
    bool Answers()
    {
        const TQueryBuffer probe = BuildQuery("ab.cde", "1");
        for (int attempt = 0; attempt < 50; ++attempt) {
            TReplyBuffer reply{};
            const auto socket = sockets.OpenDatagramSocket();
            if (socket->Connect(endpoint_) && socket->Send(probe.Message()) && socket->Receive(reply, 100ms))
                return true;
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return false;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    TEndpoint endpoint_;
    pid_t pid_ = 0;
};

TEST_F(DnsmasqTest, MailExchangerLookup)
{
    LookupAbCde("15");
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde"));
    EXPECT_EQ(window.statusText, "Windows Sockets is closed.");
}

TEST_F(DnsmasqTest, AddressLookupShowsTheEchoedNameTwice)
{
    LookupAbCde("1");
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : ab.cde"));
}

}  // namespace
}  // namespace dnspeek
