// The handler gate both hosts hold around a long empty: what waits, and in which order it runs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shared/handler_gate.h"

namespace tw {
namespace {

TEST(HandlerGate, HeldCallsRunAfterwardsInArrivalOrderAndNeverInsideAnotherHold) {
    int posts = 0;
    HandlerGate gate([&] { ++posts; });
    std::vector<std::string> ran;
    const int owner = 0;
    const int gone = 0;

    gate.run(&owner, [&] { ran.push_back("free"); });
    EXPECT_EQ(ran, std::vector<std::string>{"free"});

    gate.hold();
    gate.run(&owner, [&] {
        ran.push_back("close");
        // A held call that starts another empty: the rest wait for that one too.
        gate.hold();
    });
    gate.run(&gone, [&] { ran.push_back("dropped"); });
    gate.run(&owner, [&] { ran.push_back("tray"); });
    gate.drop(&gone);
    gate.drain();  // a drain that comes while held runs nothing
    EXPECT_EQ(ran.size(), 1u);
    EXPECT_EQ(posts, 0);

    gate.release();
    EXPECT_EQ(posts, 1);
    // Not drained yet: a new call waits behind the held ones.
    gate.run(&owner, [&] { ran.push_back("tick"); });
    EXPECT_EQ(ran.size(), 1u);
    gate.drain();
    EXPECT_EQ(ran, (std::vector<std::string>{"free", "close"}));

    gate.release();
    EXPECT_EQ(posts, 2);
    gate.drain();
    EXPECT_EQ(ran, (std::vector<std::string>{"free", "close", "tray", "tick"}));
}

}  // namespace
}  // namespace tw
