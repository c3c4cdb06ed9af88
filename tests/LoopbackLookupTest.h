#pragma once

#include "lookup/LookupCommand.h"
#include "tests/support/Fakes.h"

#include <gtest/gtest.h>

#include <chrono>

namespace dnspeek::test {

// Lookups with real sockets and the fake window, sent to a responder on
// loopback in place of the resolver.
class TLoopbackLookupTest : public testing::Test {
protected:
    TFakeWindow window;
    TSystemSocketLibrary sockets;

    void Lookup(const TEndpoint& resolver, std::chrono::milliseconds bound = ReceiveBound)
    {
        TLookupCommand(window, sockets, resolver, bound).Button1Click();
    }
};

}  // namespace dnspeek::test
